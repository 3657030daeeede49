#include "app/AboutBox.h"

#include "app/DialogPlacement.h"
#include "app/ShellTexts.h"
#include "net/ServiceEndpoints.h"
#include "settings/AboutPage.h"
#include "settings/GradientButton.h"
#include "version/Version.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QUrl>
#include <QVBoxLayout>

namespace marlune {

QString VendorSiteDisplayName(const QString& siteAddress) {
    const QUrl url(siteAddress);
    if (!url.isValid() || url.host().isEmpty())
        return siteAddress;
    return url.port() > 0 ? QStringLiteral("%1:%2").arg(url.host()).arg(url.port()) : url.host();
}

AboutBox::AboutBox(QWidget* parent) : QDialog(parent) {
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setWindowTitle(ShellText(kAboutBoxTitle));
    setWindowIcon(QApplication::windowIcon());

    const QString site = QString::fromStdString(ServiceBaseUrl(Service::kVendorSite));
    auto* icon = new QLabel(this);
    icon->setPixmap(QApplication::windowIcon().pixmap(32, 32));
    m_product = new QLabel(ShellText(kAboutBoxProductLine), this);
    m_product->setObjectName(QStringLiteral("productLine"));
    m_version = new QLabel(ShellText(kAboutVersionPrefix) + QString::fromLatin1(kMarluneVersion), this);
    m_version->setObjectName(QStringLiteral("versionLine"));
    auto* siteLabel = new QLabel(ShellText(kAboutSitePrefix), this);
    m_home = new LinkLabel(VendorSiteDisplayName(site), site, this);
    m_home->setObjectName(QStringLiteral("homeLink"));
    m_advice =
        new LinkLabel(ShellText(kAboutAdviceText), site + QString::fromUtf8(kSuggestionPagePath), this);
    m_advice->setObjectName(QStringLiteral("adviceLink"));
    m_help = new LinkLabel(ShellText(kAboutHelpText), site + QString::fromUtf8(kHelpPagePath), this);
    m_help->setObjectName(QStringLiteral("helpLink"));
    auto* ownership = new QLabel(ShellText(kAboutOwnership), this);
    auto* userGroup = new QLabel(ShellText(kAboutUserGroup), this);
    m_ok = new GradientButton(ShellText(kOkText), this);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    // Enter closes the box wherever the keyboard is in it, Esc too.
    m_ok->setDefault(true);

    auto* siteRow = new QHBoxLayout;
    siteRow->addWidget(siteLabel);
    siteRow->addWidget(m_home);
    siteRow->addStretch(1);
    auto* linkRow = new QHBoxLayout;
    linkRow->addWidget(m_advice);
    linkRow->addSpacing(20);
    linkRow->addWidget(m_help);
    linkRow->addStretch(1);
    auto* lines = new QVBoxLayout;
    lines->addWidget(m_product);
    lines->addWidget(m_version);
    lines->addLayout(siteRow);
    lines->addLayout(linkRow);
    lines->addWidget(ownership);
    lines->addWidget(userGroup);
    auto* top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addLayout(lines, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);
    setFixedSize(sizeHint());
}

void AboutBox::showEvent(QShowEvent* event) {
    CentreInWorkArea(this);
    QDialog::showEvent(event);
}

} // namespace marlune
