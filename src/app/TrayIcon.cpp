#include "app/TrayIcon.h"

#include "app/OwnerCore.h"
#include "app/ShellTexts.h"
#include "text/Gbk.h"

#include <QSystemTrayIcon>

namespace marlune {

BalloonText CutBalloon(std::string_view text, std::string_view title) {
    return BalloonText{CutToGbkBytes(text, kBalloonTextMaxBytes),
                       CutToGbkBytes(title, kBalloonTitleMaxBytes)};
}

SystemTrayIcon::SystemTrayIcon(const QIcon& icon) : m_icon(std::make_unique<QSystemTrayIcon>(icon)) {
    QObject::connect(m_icon.get(), &QSystemTrayIcon::activated, m_icon.get(),
                     [this](QSystemTrayIcon::ActivationReason reason) {
                         // A single click does nothing; the double click and the right
                         // button are the icon's two gestures.
                         if (reason == QSystemTrayIcon::DoubleClick)
                             report(kTrayIconId, kTrayLeftDoubleClick);
                         else if (reason == QSystemTrayIcon::Context)
                             report(kTrayIconId, kTrayRightButtonUp);
                     });
}

SystemTrayIcon::~SystemTrayIcon() {
    m_icon->hide();
}

bool SystemTrayIcon::IsAvailable() const {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void SystemTrayIcon::Add(const QString& tip) {
    m_icon->hide();
    m_icon->setToolTip(tip);
    m_icon->show();
}

void SystemTrayIcon::Delete() {
    m_icon->hide();
}

bool SystemTrayIcon::IsShown() const {
    return m_icon->isVisible();
}

void SystemTrayIcon::SetTip(const QString& tip) {
    m_icon->setToolTip(tip);
}

void SystemTrayIcon::ShowBalloon(std::string_view text, std::string_view title, int timeoutMs) {
    const BalloonText balloon = CutBalloon(text, title);
    m_icon->showMessage(QString::fromStdString(balloon.title), QString::fromStdString(balloon.text),
                        QSystemTrayIcon::Information, timeoutMs);
}

} // namespace marlune
