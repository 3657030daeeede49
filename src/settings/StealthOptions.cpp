#include "settings/StealthOptions.h"

#include "settings/ColorSwatch.h"
#include "settings/SettingsPrompts.h"

#include <QCheckBox>
#include <QHBoxLayout>

namespace marlune {
namespace {

QCheckBox* NewBox(const char* text, const char* objectName, QWidget* parent) {
    auto* box = new QCheckBox(QString::fromUtf8(text), parent);
    box->setObjectName(QString::fromLatin1(objectName));
    return box;
}

} // namespace

PlainModeSwitch::PlainModeSwitch(QWidget* parent) : QWidget(parent) {
    m_box = NewBox("朴素显示", "plainModeBox", this);
    m_box->setToolTip(QStringLiteral("所有文字用同一种颜色，不分涨跌，无下划线"));
    m_swatch = new ColorSwatch(QStringLiteral("文字"), this);
    m_swatch->setObjectName(QStringLiteral("plainColorSwatch"));
    connect(m_swatch, &ColorSwatch::clicked, this, &PlainModeSwitch::PickColor);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(m_box);
    row->addWidget(m_swatch);
}

void PlainModeSwitch::Show(const StealthSettings& s) {
    m_box->setChecked(s.plainMode);
    m_swatch->SetColor(QColor(s.plainColor.r, s.plainColor.g, s.plainColor.b));
}

StealthSettings PlainModeSwitch::Values(StealthSettings s) const {
    s.plainMode = m_box->isChecked();
    const QColor color = m_swatch->Color();
    s.plainColor = Rgb{static_cast<std::uint8_t>(color.red()), static_cast<std::uint8_t>(color.green()),
                       static_cast<std::uint8_t>(color.blue())};
    return s;
}

void PlainModeSwitch::SetBackground(const QColor& background) {
    m_swatch->SetBackground(background);
}

void PlainModeSwitch::PickColor() {
    const std::optional<QColor> chosen = CurrentSettingsPrompts().chooseColor(this, m_swatch->Color());
    if (!chosen)
        return;
    m_swatch->SetColor(*chosen);
    m_box->setChecked(true);
}

HidingOptions::HidingOptions(QWidget* parent) : QObject(parent) {
    m_afterClose = NewBox("收盘后自动隐藏", "hideAfterCloseBox", parent);
    m_whenStale = NewBox("行情过期时也隐藏", "hideWhenStaleBox", parent);
    m_noRefresh = NewBox("隐藏时不刷新", "noRefreshHiddenBox", parent);
    m_afterClose->setToolTip(QStringLiteral("当日最后一个交易时段结束后隐藏窗口，下一次开盘时再显示"));
    m_noRefresh->setToolTip(QStringLiteral("用快捷键或菜单隐藏窗口后不再请求任何数据"));
    // Stale quotes hide the window only as part of the schedule.
    connect(m_afterClose, &QCheckBox::toggled, m_whenStale, &QWidget::setEnabled);
    m_whenStale->setEnabled(false);
}

void HidingOptions::Show(const StealthSettings& s) {
    m_afterClose->setChecked(s.hideAfterClose);
    m_whenStale->setChecked(s.hideWhenStale);
    m_whenStale->setEnabled(s.hideAfterClose);
    m_noRefresh->setChecked(s.noRefreshHidden);
}

StealthSettings HidingOptions::Values(StealthSettings s) const {
    s.hideAfterClose = m_afterClose->isChecked();
    s.hideWhenStale = m_whenStale->isChecked();
    s.noRefreshHidden = m_noRefresh->isChecked();
    return s;
}

} // namespace marlune
