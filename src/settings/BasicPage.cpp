#include "settings/BasicPage.h"

#include "config/Profile.h"
#include "config/ProgramFolder.h"
#include "config/SettingsKeys.h"
#include "quote/QuoteService.h"
#include "settings/GradientButton.h"
#include "settings/SettingsPrompts.h"
#include "settings/StealthOptions.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>

#include <algorithm>
#include <vector>

namespace marlune {
namespace {

constexpr int kSliderTickInterval = 5;
constexpr int kSliderPageStep = 5;
// The entry " 1" is chosen when the stored hot key matches no entry.
constexpr int kDefaultHotKeyEntry = 1;

QRadioButton* NewRadio(const QString& text, const char* objectName, QButtonGroup* group, int id,
                       QWidget* parent) {
    auto* radio = new QRadioButton(text, parent);
    radio->setObjectName(QString::fromLatin1(objectName));
    group->addButton(radio, id);
    return radio;
}

// Ticks the group's button with the id, or none when no button has it.
void CheckOnly(QButtonGroup* group, int id) {
    group->setExclusive(false);
    for (QAbstractButton* button : group->buttons())
        button->setChecked(group->id(button) == id);
    group->setExclusive(true);
}

} // namespace

QString RefreshPeriodText(int seconds) {
    if (seconds <= 0)
        return QString::fromUtf8(kNoRefreshText);
    return QStringLiteral("%1 秒").arg(seconds);
}

int OfferedRefreshPeriod(int requested, int previous) {
    if (requested <= 0 || requested >= baseini::kFreshSecMin)
        return requested;
    // Periods under 4 seconds are not offered: moving down past 4 gives "不刷新", moving up
    // from it gives 4.
    return requested < previous ? 0 : baseini::kFreshSecMin;
}

QStringList HotKeyEntries() {
    QStringList entries;
    for (char c = '0'; c <= '9'; ++c)
        entries << QStringLiteral(" ") + QChar::fromLatin1(c);
    for (char c = 'A'; c <= 'Z'; ++c)
        entries << QStringLiteral(" ") + QChar::fromLatin1(c);
    return entries;
}

BasicPage::BasicPage(StatusSink status, QWidget* parent)
    : SettingsPageBase(std::move(status), parent), m_baseIniPath(BaseIniPath()) {
    createControls();
    load();
}

void BasicPage::createControls() {
    m_slider = new QSlider(Qt::Horizontal, this);
    m_slider->setObjectName(QStringLiteral("refreshSlider"));
    m_slider->setRange(0, baseini::kFreshSecMax);
    m_slider->setTickPosition(QSlider::TicksBelow);
    m_slider->setTickInterval(kSliderTickInterval);
    m_slider->setSingleStep(1);
    m_slider->setPageStep(kSliderPageStep);
    m_sliderLabel = new QLabel(this);
    m_sliderLabel->setObjectName(QStringLiteral("refreshLabel"));
    m_sliderLabel->setMinimumWidth(60);
    // The slider skips the periods it does not offer; the label follows it, also while it
    // is dragged.
    connect(m_slider, &QSlider::valueChanged, this, [this](int value) {
        const int offered = OfferedRefreshPeriod(value, m_period);
        m_period = offered;
        if (offered != value)
            m_slider->setValue(offered);
        updateSliderLabel();
    });

    // One radio per quote service, in DataSour order, its id the DataSour value.
    m_sources = new QButtonGroup(this);
    std::vector<QRadioButton*> sourceRadios;
    for (const QuoteService& service : QuoteServices()) {
        const std::string objectName = "sourceRadio" + std::to_string(service.source);
        // Services that no longer answer stay selectable for old settings, marked as such.
        QString name = QString::fromUtf8(service.name);
        if (!service.answersToday)
            name += QStringLiteral("（%1）").arg(QString::fromUtf8(kServiceStoppedText));
        sourceRadios.push_back(NewRadio(name, objectName.c_str(), m_sources, service.source, this));
    }

    m_autoSource = new QCheckBox(QStringLiteral("自动切换行情源"), this);
    m_autoSource->setObjectName(QStringLiteral("autoSourceBox"));
    m_tradeHoursOnly = new QCheckBox(QStringLiteral("仅在交易时段刷新"), this);
    m_tradeHoursOnly->setObjectName(QStringLiteral("tradeHoursBox"));
    m_alertSound = new QCheckBox(QStringLiteral("预警时发出提示音"), this);
    m_alertSound->setObjectName(QStringLiteral("alertSoundBox"));
    m_hiding = new HidingOptions(this);

    m_modifiers = new QButtonGroup(this);
    auto* alt = NewRadio(QStringLiteral("Alt"), "altRadio", m_modifiers, baseini::kHotKeyAlt, this);
    auto* ctrl = NewRadio(QStringLiteral("Ctrl"), "ctrlRadio", m_modifiers, baseini::kHotKeyCtrl, this);
    m_hotKey = new QComboBox(this);
    m_hotKey->setObjectName(QStringLiteral("hotKeyList"));
    // A hot key that other programs use is taken only when the user says so.
    connect(m_hotKey, &QComboBox::activated, this, [this] { confirmHotKey(); });
    connect(m_modifiers, &QButtonGroup::idClicked, this, [this] { confirmHotKey(); });

    m_program = new QLineEdit(this);
    m_program->setObjectName(QStringLiteral("programEdit"));
    m_browse = new GradientButton(QStringLiteral("浏览"), this);
    m_browse->setObjectName(QStringLiteral("browseButton"));
    connect(m_browse, &QPushButton::clicked, this, &BasicPage::Browse);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* frame = new QGroupBox(QStringLiteral("基本设置"), this);
    auto* inner = new QVBoxLayout(frame);

    auto* refresh = new QGroupBox(QStringLiteral("刷新频率"), frame);
    auto* refreshRow = new QHBoxLayout(refresh);
    refreshRow->addWidget(new QLabel(QStringLiteral("刷新频率："), refresh));
    refreshRow->addWidget(m_slider, 1);
    refreshRow->addWidget(m_sliderLabel);
    refreshRow->addWidget(m_tradeHoursOnly);
    inner->addWidget(refresh);

    auto* source = new QGroupBox(QStringLiteral("数据来源"), frame);
    auto* sourceRow = new QHBoxLayout(source);
    for (QRadioButton* radio : sourceRadios)
        sourceRow->addWidget(radio);
    sourceRow->addWidget(m_autoSource);
    sourceRow->addStretch(1);
    inner->addWidget(source);

    auto* hotKey = new QGroupBox(QStringLiteral("显示/隐藏 快捷键"), frame);
    auto* hotKeyRow = new QHBoxLayout(hotKey);
    hotKeyRow->addWidget(alt);
    hotKeyRow->addWidget(ctrl);
    hotKeyRow->addWidget(new QLabel(QStringLiteral("+"), hotKey));
    hotKeyRow->addWidget(m_hotKey);
    hotKeyRow->addStretch(1);
    hotKeyRow->addWidget(m_hiding->NoRefreshBox());
    inner->addWidget(hotKey);

    auto* trading = new QGroupBox(QStringLiteral("关联交易软件"), frame);
    auto* tradingRow = new QHBoxLayout(trading);
    tradingRow->addWidget(m_program, 1);
    tradingRow->addWidget(m_browse);
    inner->addWidget(trading);

    auto* alerts = new QGroupBox(QStringLiteral("预警与隐藏"), frame);
    auto* alertsRow = new QHBoxLayout(alerts);
    alertsRow->addWidget(m_alertSound);
    alertsRow->addStretch(1);
    alertsRow->addWidget(m_hiding->AfterCloseBox());
    alertsRow->addWidget(m_hiding->WhenStaleBox());
    inner->addWidget(alerts);
    inner->addStretch(1);
    outer->addWidget(frame);
}

void BasicPage::load() {
    using namespace baseini;
    int freshSec = ProfileReadInt(m_baseIniPath, kFreshSec.section, kFreshSec.name);
    if (freshSec < 0 || freshSec > kFreshSecMax)
        freshSec = 0;
    m_period = RefreshPeriodOf(freshSec);
    m_slider->setValue(m_period);
    updateSliderLabel();

    const int source = ProfileReadInt(m_baseIniPath, kDataSour.section, kDataSour.name);
    CheckOnly(m_sources, source == 0 ? kDataSourceSina : source);
    CheckOnly(m_modifiers, ProfileReadInt(m_baseIniPath, kHotKeyPress.section, kHotKeyPress.name));
    m_autoSource->setChecked(ProfileReadFlag(m_baseIniPath, kAutoSource.section, kAutoSource.name, true));
    m_tradeHoursOnly->setChecked(
        ProfileReadFlag(m_baseIniPath, kTradeHoursOnly.section, kTradeHoursOnly.name, true));
    // Missing is silent: only a stored 1 sounds.
    m_alertSound->setChecked(ProfileRead(m_baseIniPath, kAlertSound.section, kAlertSound.name) == "1");
    m_hiding->Show(ReadStealthSettings(XmlSettingsPath()));

    const QString hotKey = QString::fromStdString(ProfileRead(m_baseIniPath, kHotKey.section, kHotKey.name));
    m_hotKey->addItems(HotKeyEntries());
    const int entry =
        m_hotKey->findText(QStringLiteral(" ") + hotKey, Qt::MatchExactly | Qt::MatchCaseSensitive);
    m_hotKey->setCurrentIndex(entry >= 0 ? entry : kDefaultHotKeyEntry);
    m_confirmedHotKey = {m_modifiers->checkedId(), m_hotKey->currentIndex()};

    m_program->setText(QString::fromStdString(ProfileRead(m_baseIniPath, kReSoft.section, kReSoft.name)));
}

void BasicPage::Store() {
    using namespace baseini;
    const int source = m_sources->checkedId();
    // With neither modifier ticked (a stored value that was neither) the hot key gets the
    // first-run modifier, Alt, so that it works again.
    const int modifier = m_modifiers->checkedId() > 0 ? m_modifiers->checkedId() : kHotKeyAlt;
    // One write: the page is applied whole or not at all.
    ProfileWriteAll(
        m_baseIniPath,
        {
            {kDataSour.section, kDataSour.name, source > 0 ? std::to_string(source) : ""},
            {kHotKeyPress.section, kHotKeyPress.name, std::to_string(modifier)},
            {kHotKey.section, kHotKey.name, m_hotKey->currentText().toStdString()},
            {kFreshSec.section, kFreshSec.name, std::to_string(m_slider->value())},
            {kReSoft.section, kReSoft.name, m_program->text().toStdString()},
            {kAutoSource.section, kAutoSource.name, m_autoSource->isChecked() ? "1" : "0"},
            {kTradeHoursOnly.section, kTradeHoursOnly.name, m_tradeHoursOnly->isChecked() ? "1" : "0"},
            {kAlertSound.section, kAlertSound.name, m_alertSound->isChecked() ? "1" : "0"},
        });
    // The hiding options live beside the display settings in SSTConf.xml (one write there).
    WriteHidingOptions(XmlSettingsPath(), m_hiding->Values({}));
}

void BasicPage::Browse() {
    const QString chosen = CurrentSettingsPrompts().chooseProgram(this);
    if (chosen.isEmpty())
        return;
    QFile file(chosen);
    if (!file.open(QIODevice::ReadOnly)) {
        CurrentSettingsPrompts().message(this, QString::fromUtf8(kInvalidProgramText));
        return;
    }
    file.close();
    m_program->setText(chosen);
}

bool IsCommonProgramShortcut(int modifier, const QString& entry) {
    static const QString kLetters = QStringLiteral("CVXSZAFP");
    const QString key = entry.trimmed();
    return modifier == baseini::kHotKeyCtrl && key.size() == 1 && kLetters.contains(key.at(0));
}

static QString CommonShortcutQuestion(const QString& entry) {
    return QString::fromUtf8(kCommonShortcutQuestion).arg(entry.trimmed());
}

void BasicPage::confirmHotKey() {
    const HotKeyChoice chosen{m_modifiers->checkedId(), m_hotKey->currentIndex()};
    if (chosen == m_confirmedHotKey)
        return;
    const QString entry = m_hotKey->currentText();
    if (IsCommonProgramShortcut(chosen.modifier, entry) &&
        !CurrentSettingsPrompts().ask(this, CommonShortcutQuestion(entry))) {
        // Back to the hot key the page had.
        CheckOnly(m_modifiers, m_confirmedHotKey.modifier);
        m_hotKey->setCurrentIndex(m_confirmedHotKey.entry);
        return;
    }
    m_confirmedHotKey = chosen;
}

QRadioButton* BasicPage::SourceRadio(int source) const {
    return qobject_cast<QRadioButton*>(m_sources->button(source));
}

QRadioButton* BasicPage::ModifierRadio(int modifier) const {
    return qobject_cast<QRadioButton*>(m_modifiers->button(modifier));
}

void BasicPage::updateSliderLabel() {
    m_sliderLabel->setText(RefreshPeriodText(m_slider->value()));
}

} // namespace marlune
