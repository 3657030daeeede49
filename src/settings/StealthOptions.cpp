#include "settings/StealthOptions.h"

#include "settings/ColorSwatch.h"
#include "settings/SettingsPrompts.h"

#include <QCheckBox>
#include <QGridLayout>

namespace marlune {
namespace {

QCheckBox* NewBox(const char* text, const char* objectName, QWidget* parent) {
    auto* box = new QCheckBox(QString::fromUtf8(text), parent);
    box->setObjectName(QString::fromLatin1(objectName));
    return box;
}

} // namespace

StealthOptions::StealthOptions(QWidget* parent) : QGroupBox(QStringLiteral("隐蔽"), parent) {
    setObjectName(QStringLiteral("stealthOptions"));
    m_plainMode = NewBox("朴素显示（不分涨跌颜色，无下划线），文字颜色：", "plainModeBox", this);
    m_plainColor = new ColorSwatch(QStringLiteral("文字"), this);
    m_plainColor->setObjectName(QStringLiteral("plainColorSwatch"));
    connect(m_plainColor, &ColorSwatch::clicked, this, &StealthOptions::PickPlainColor);
    m_hideAfterClose = NewBox("收盘后自动隐藏", "hideAfterCloseBox", this);
    m_hideWhenStale = NewBox("行情过期时也隐藏", "hideWhenStaleBox", this);
    m_noRefreshHidden = NewBox("隐藏时不刷新", "noRefreshHiddenBox", this);
    // Stale quotes hide the window only as part of the schedule.
    connect(m_hideAfterClose, &QCheckBox::toggled, m_hideWhenStale, &QWidget::setEnabled);
    m_hideWhenStale->setEnabled(false);

    auto* grid = new QGridLayout(this);
    grid->addWidget(m_plainMode, 0, 0, 1, 2);
    grid->addWidget(m_plainColor, 0, 2);
    grid->addWidget(m_hideAfterClose, 1, 0);
    grid->addWidget(m_hideWhenStale, 1, 1, 1, 2);
    grid->addWidget(m_noRefreshHidden, 2, 0);
    grid->setColumnStretch(3, 1);
}

void StealthOptions::Show(const StealthSettings& s) {
    m_plainMode->setChecked(s.plainMode);
    m_plainColor->SetColor(QColor(s.plainColor.r, s.plainColor.g, s.plainColor.b));
    m_hideAfterClose->setChecked(s.hideAfterClose);
    m_hideWhenStale->setChecked(s.hideWhenStale);
    m_hideWhenStale->setEnabled(s.hideAfterClose);
    m_noRefreshHidden->setChecked(s.noRefreshHidden);
}

StealthSettings StealthOptions::Values() const {
    StealthSettings s;
    s.plainMode = m_plainMode->isChecked();
    const QColor color = m_plainColor->Color();
    s.plainColor = Rgb{static_cast<std::uint8_t>(color.red()), static_cast<std::uint8_t>(color.green()),
                       static_cast<std::uint8_t>(color.blue())};
    s.hideAfterClose = m_hideAfterClose->isChecked();
    s.hideWhenStale = m_hideWhenStale->isChecked();
    s.noRefreshHidden = m_noRefreshHidden->isChecked();
    return s;
}

void StealthOptions::SetBackground(const QColor& background) {
    m_plainColor->SetBackground(background);
}

void StealthOptions::PickPlainColor() {
    const std::optional<QColor> chosen = CurrentSettingsPrompts().chooseColor(this, m_plainColor->Color());
    if (!chosen)
        return;
    m_plainColor->SetColor(*chosen);
    // A colour chosen for the plain mode is meant to be seen.
    m_plainMode->setChecked(true);
}

} // namespace marlune
