#include "settings/DisplayPage.h"

#include "config/Profile.h"
#include "config/ProgramFolder.h"
#include "config/XmlSettingsStore.h"
#include "platform/AutoStart.h"
#include "settings/ColorSwatch.h"
#include "settings/SettingsPrompts.h"
#include "settings/StealthOptions.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace marlune {
namespace {

struct BoxInfo {
    int id;
    const char* text;
};

// The seven columns the ticker window can leave out.
constexpr BoxInfo kColumnBoxes[] = {
    {DisplayPage::kBoxCode, "代码"},       {DisplayPage::kBoxChangeRate, "涨跌幅"},
    {DisplayPage::kBoxPlRate, "盈亏率"},   {DisplayPage::kBoxPrice, "最新价"},
    {DisplayPage::kBoxName, "简称"},       {DisplayPage::kBoxChange, "涨跌额"},
    {DisplayPage::kBoxPlAmount, "盈亏额"},
};

constexpr BoxInfo kOptionBoxes[] = {
    {DisplayPage::kBoxShowHead, "在窗口上显示表头"},
    {DisplayPage::kBoxDisplayFresh, "显示刷新时间"},
    {DisplayPage::kBoxTopMost, "总在最前端显示"},
    {DisplayPage::kBoxTransparent, "透明背景"},
    {DisplayPage::kBoxAutoHide, "靠边自动隐藏窗口"},
    {DisplayPage::kBoxAutoRun, "开机自动运行"},
    {DisplayPage::kBoxMiniTray, "快捷键隐藏窗口同时隐藏托盘图标"},
    {DisplayPage::kBoxMiniWnd, "程序启动时自动隐藏窗口"},
    {DisplayPage::kBoxAutoUpdate, "自动升级"},
    {DisplayPage::kBoxNewStockTip, "新股提示"},
    {DisplayPage::kBoxActiveWnd, "活动窗口显示股票数据"},
};

constexpr const char* kSwatchTexts[kSwatchCount] = {"涨", "跌", "简称", "表头", "背景"};
constexpr const char* kFontSizes[kFontSizeCount] = {"最小", "较小", "中", "较大", "最大"};

QColor ToQColor(Rgb c) {
    return QColor(c.r, c.g, c.b);
}

Rgb ToRgb(const QColor& c) {
    return Rgb{static_cast<std::uint8_t>(c.red()), static_cast<std::uint8_t>(c.green()),
               static_cast<std::uint8_t>(c.blue())};
}

std::array<Rgb, kSwatchCount> DefaultColors() {
    const DisplaySettings defaults;
    return {defaults.colorUp, defaults.colorDown, defaults.colorName, defaults.colorTitle, defaults.colorBK};
}

} // namespace

DisplayPage::DisplayPage(StatusSink status, QWidget* parent)
    : SettingsPageBase(std::move(status), parent), m_xmlPath(XmlSettingsPath()) {
    createControls();
    load();
}

void DisplayPage::createControls() {
    const auto newBox = [this](const BoxInfo& info, QWidget* parent) {
        auto* box = new QCheckBox(QString::fromUtf8(info.text), parent);
        box->setObjectName(QStringLiteral("box%1").arg(info.id));
        m_boxes[info.id] = box;
        return box;
    };

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);

    auto* columns = new QGroupBox(QStringLiteral("显示列"), this);
    auto* columnGrid = new QGridLayout(columns);
    int n = 0;
    for (const BoxInfo& info : kColumnBoxes) {
        QCheckBox* box = newBox(info, columns);
        connect(box, &QCheckBox::clicked, this, &DisplayPage::onColumnClicked);
        columnGrid->addWidget(box, n / 4, n % 4);
        ++n;
    }
    columnGrid->addWidget(newBox({kBoxTotal, "总盈亏"}, columns), n / 4, n % 4);
    outer->addWidget(columns);

    auto* colors = new QGroupBox(QStringLiteral("颜色"), this);
    auto* colorRow = new QHBoxLayout(colors);
    QCheckBox* custom = newBox({kBoxCustColor, "自定义字体颜色："}, colors);
    connect(custom, &QCheckBox::clicked, this, &DisplayPage::onCustomColorClicked);
    colorRow->addWidget(custom);
    for (int i = 0; i < kSwatchCount; ++i) {
        m_swatches[i] = new ColorSwatch(QString::fromUtf8(kSwatchTexts[i]), colors);
        m_swatches[i]->setObjectName(QStringLiteral("swatch%1").arg(i));
        connect(m_swatches[i], &ColorSwatch::clicked, this,
                [this, i] { PickColor(static_cast<SwatchId>(i)); });
        colorRow->addWidget(m_swatches[i]);
    }
    m_swatches[kSwatchCount - 1]->SetShowsBackground(true);
    colorRow->addStretch(1);
    m_plainMode = new PlainModeSwitch(colors);
    colorRow->addWidget(m_plainMode);
    outer->addWidget(colors);

    auto* font = new QGroupBox(QStringLiteral("字体"), this);
    auto* fontRow = new QHBoxLayout(font);
    fontRow->addWidget(new QLabel(QStringLiteral("字体大小："), font));
    m_fontSize = new QComboBox(font);
    m_fontSize->setObjectName(QStringLiteral("fontSizeList"));
    fontRow->addWidget(m_fontSize);
    fontRow->addWidget(newBox({kBoxFontBold, "粗体"}, font));
    fontRow->addStretch(1);
    outer->addWidget(font);

    auto* options = new QGroupBox(QStringLiteral("窗口"), this);
    auto* optionGrid = new QGridLayout(options);
    n = 0;
    for (const BoxInfo& info : kOptionBoxes) {
        optionGrid->addWidget(newBox(info, options), n / 2, n % 2);
        ++n;
    }
    outer->addWidget(options);
    outer->addStretch(1);
}

QCheckBox* DisplayPage::Box(BoxId id) const {
    const auto found = m_boxes.find(id);
    return found != m_boxes.end() ? found->second : nullptr;
}

void DisplayPage::load() {
    // Without the file every box stays clear, the font list empty and the swatches plain.
    XmlSettingsStore store;
    store.SetPath(m_xmlPath);
    if (!store.IsOpenable())
        return;
    m_loaded = true;
    const DisplaySettings s = ReadDisplaySettings(m_xmlPath);
    Box(kBoxDisplayFresh)->setChecked(s.displayFresh);
    // The window's top-most flag is the one in base.ini, which the popup menu toggles too.
    Box(kBoxTopMost)
        ->setChecked(ProfileReadInt(BaseIniPath(), baseini::kTopMost.section, baseini::kTopMost.name) == 1);
    // So is the transparent background; only 1 turns it on.
    Box(kBoxTransparent)
        ->setChecked(ProfileReadInt(BaseIniPath(), baseini::kTransBK.section, baseini::kTransBK.name) == 1);
    Box(kBoxAutoRun)->setChecked(s.autoRun);
    Box(kBoxMiniTray)->setChecked(s.miniTray);
    Box(kBoxMiniWnd)->setChecked(s.miniWnd);
    Box(kBoxAutoHide)->setChecked(s.autoHide);
    Box(kBoxAutoUpdate)->setChecked(s.autoUpdate);
    Box(kBoxNewStockTip)->setChecked(s.newStockTip);
    Box(kBoxActiveWnd)->setChecked(s.activeWnd);
    Box(kBoxCode)->setChecked(s.showCode);
    Box(kBoxChangeRate)->setChecked(s.showChangeRate);
    Box(kBoxPlRate)->setChecked(s.showPlRate);
    Box(kBoxPrice)->setChecked(s.showPrice);
    Box(kBoxName)->setChecked(s.showName);
    Box(kBoxChange)->setChecked(s.showChange);
    Box(kBoxPlAmount)->setChecked(s.showPlAmount);
    Box(kBoxTotal)->setChecked(s.showTotalLine);
    Box(kBoxCustColor)->setChecked(s.custColor);
    if (s.custColor)
        setColors({s.colorUp, s.colorDown, s.colorName, s.colorTitle, s.colorBK});
    else
        setColors(DefaultColors());
    Box(kBoxShowHead)->setChecked(s.showHead);
    if (s.fontSize >= 0 && s.fontSize < kFontSizeCount) {
        for (const char* size : kFontSizes)
            m_fontSize->addItem(QString::fromUtf8(size));
        m_fontSize->setCurrentIndex(s.fontSize);
    }
    Box(kBoxFontBold)->setChecked(s.fontBold);
    m_plainMode->Show(ReadStealthSettings(m_xmlPath));
    showSwatchesOnBackground();
}

void DisplayPage::setColors(const std::array<Rgb, kSwatchCount>& colors) {
    for (int i = 0; i < kSwatchCount; ++i)
        m_swatches[i]->SetColor(ToQColor(colors[i]));
    showSwatchesOnBackground();
}

void DisplayPage::showSwatchesOnBackground() {
    const QColor background = m_swatches[kSwatchCount - 1]->Color();
    for (int i = 0; i < kSwatchCount - 1; ++i)
        m_swatches[i]->SetBackground(background);
    m_plainMode->SetBackground(background);
}

void DisplayPage::onColumnClicked() {
    bool any = false;
    for (const BoxInfo& info : kColumnBoxes)
        any = any || Box(static_cast<BoxId>(info.id))->isChecked();
    showStatus(any ? QString() : QString::fromUtf8(kNoColumnText));
}

void DisplayPage::PickColor(SwatchId swatch) {
    // The dialog opens at the swatch's colour, so that a small change is a small step.
    const QColor current = m_swatches[static_cast<int>(swatch)]->Color();
    const std::optional<QColor> chosen = CurrentSettingsPrompts().chooseColor(this, current);
    if (!chosen)
        return;
    m_swatches[static_cast<int>(swatch)]->SetColor(*chosen);
    showSwatchesOnBackground();
    // A chosen colour only shows in the ticker window with the custom colours on, so
    // choosing one turns them on (also for "涨").
    Box(kBoxCustColor)->setChecked(true);
}

void DisplayPage::onCustomColorClicked() {
    if (!Box(kBoxCustColor)->isChecked())
        setColors(DefaultColors());
}

DisplaySettings DisplayPage::Values() const {
    DisplaySettings s;
    const auto on = [this](BoxId id) { return Box(id)->isChecked(); };
    s.showCode = on(kBoxCode);
    s.showChangeRate = on(kBoxChangeRate);
    s.showPlRate = on(kBoxPlRate);
    s.showPrice = on(kBoxPrice);
    s.showName = on(kBoxName);
    s.showChange = on(kBoxChange);
    s.showPlAmount = on(kBoxPlAmount);
    s.showTotalLine = on(kBoxTotal);
    s.showHead = on(kBoxShowHead);
    s.displayFresh = on(kBoxDisplayFresh);
    s.custColor = on(kBoxCustColor);
    s.colorUp = ToRgb(m_swatches[0]->Color());
    s.colorDown = ToRgb(m_swatches[1]->Color());
    s.colorName = ToRgb(m_swatches[2]->Color());
    s.colorTitle = ToRgb(m_swatches[3]->Color());
    s.colorBK = ToRgb(m_swatches[4]->Color());
    s.fontSize = m_fontSize->count() == kFontSizeCount ? m_fontSize->currentIndex() : -1;
    s.fontBold = on(kBoxFontBold);
    s.topMost = on(kBoxTopMost);
    s.autoHide = on(kBoxAutoHide);
    s.autoRun = on(kBoxAutoRun);
    s.miniTray = on(kBoxMiniTray);
    s.miniWnd = on(kBoxMiniWnd);
    s.autoUpdate = on(kBoxAutoUpdate);
    s.newStockTip = on(kBoxNewStockTip);
    s.activeWnd = on(kBoxActiveWnd);
    return s;
}

QString DisplayPage::CheckBeforeStore() const {
    if (m_loaded && !Values().AnyColumnShown())
        return QString::fromUtf8(kNoColumnText);
    return {};
}

void DisplayPage::Store() {
    // Nothing is stored without the file: the page never loaded from it either.
    if (!m_loaded)
        return;
    const DisplaySettings s = Values();
    WriteDisplaySettings(m_xmlPath, s, PlainModeValues(m_plainMode->Values({})));
    ProfileWriteInt(BaseIniPath(), baseini::kTopMost.section, baseini::kTopMost.name, s.topMost ? 1 : 0);
    // Written only when switched, so that another value the file holds stays as it is.
    const bool transparent = Box(kBoxTransparent)->isChecked();
    const int stored = ProfileReadInt(BaseIniPath(), baseini::kTransBK.section, baseini::kTransBK.name);
    if (transparent != (stored == 1))
        ProfileWriteInt(BaseIniPath(), baseini::kTransBK.section, baseini::kTransBK.name,
                        transparent ? 1 : 0);
    platform::SetAutoStart(s.autoRun);
}

} // namespace marlune
