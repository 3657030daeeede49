// The display page and the display settings record: the program's look for a file the page
// never stored, the column rule, the colours, the font list and the store.
#include "settings/DisplayPage.h"

#include "SettingsTestSupport.h"
#include "config/DisplaySettings.h"
#include "config/Profile.h"
#include "config/XmlSettingsStore.h"
#include "platform/AutoStart.h"
#include "settings/ColorSwatch.h"
#include "settings/SettingsPrompts.h"
#include "settings/StealthOptions.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QTest>

#include <memory>

namespace marlune {
namespace {

constexpr DisplayPage::BoxId kColumns[] = {
    DisplayPage::kBoxCode, DisplayPage::kBoxChangeRate, DisplayPage::kBoxPlRate,  DisplayPage::kBoxPrice,
    DisplayPage::kBoxName, DisplayPage::kBoxChange,     DisplayPage::kBoxPlAmount};

class DisplayPageTest : public test::ProgramFolderTest {
protected:
    void SetUp() override {
        test::ProgramFolderTest::SetUp();
        m_store.SetPath(Path("scnf/SSTConf.xml"));
    }
    std::unique_ptr<DisplayPage> makePage() {
        auto page = std::make_unique<DisplayPage>([this](const QString& text) { m_status = text; }, nullptr);
        page->show();
        return page;
    }
    // Stores the seven columns as the page would, so the file counts as stored.
    void storeColumns(const char* value) {
        for (const char* key :
             {"STcode", "STUpDownRato", "STValueRato", "STPrice", "STName", "STUpDown", "STValue"})
            m_store.SetValue(key, value);
    }
    void click(QCheckBox* box) { test::ClickIndicator(box); }

    XmlSettingsStore m_store;
    QString m_status;
};

TEST_F(DisplayPageTest, ANeverStoredFileGivesTheProgramsLook) {
    bool stored = true;
    const DisplaySettings read = ReadDisplaySettings(Path("scnf/SSTConf.xml"), &stored);
    EXPECT_FALSE(stored);
    EXPECT_TRUE(read.showCode && read.showPlAmount && read.showHead && read.showTotalLine &&
                read.displayFresh);
    EXPECT_EQ(read.fontSize, kDefaultFontSize);
    EXPECT_TRUE(read.autoHide);
    // Reading added the keys with "0", as every reader of the file does...
    EXPECT_EQ(m_store.GetValue("STcode"), "0");
    // ...which still reads as never stored, and the page shows the same look.
    auto page = makePage();
    for (DisplayPage::BoxId column : kColumns)
        EXPECT_TRUE(page->Box(column)->isChecked());
    EXPECT_EQ(page->FontSizeList()->currentText(), "中");
    EXPECT_TRUE(page->Box(DisplayPage::kBoxTopMost)->isChecked()); // base.ini's TopMost=1
    EXPECT_EQ(page->Swatch(SwatchId::Background)->Color(), QColor(0xFF, 0xFF, 0xE6));
}

TEST_F(DisplayPageTest, EverySwatchWordReadsOnItsBox) {
    auto page = makePage();
    // The background's word stands on its pale yellow in black, not in the yellow itself.
    ColorSwatch* background = page->Swatch(SwatchId::Background);
    EXPECT_EQ(background->palette().color(QPalette::Window), QColor(0xFF, 0xFF, 0xE6));
    EXPECT_EQ(background->palette().color(QPalette::WindowText), QColor(Qt::black));
    EXPECT_TRUE(background->autoFillBackground());
    // The text colours show on that background, as in the ticker.
    ColorSwatch* up = page->Swatch(SwatchId::Up);
    EXPECT_EQ(up->palette().color(QPalette::Window), QColor(0xFF, 0xFF, 0xE6));
    EXPECT_EQ(up->palette().color(QPalette::WindowText), up->Color());

    // A dark background chosen: white words on it, and the other swatches follow it.
    ScopedSettingsPrompts prompts(
        {nullptr, nullptr, [](QWidget*, const QColor&) { return std::optional<QColor>(QColor(0, 0, 64)); },
         nullptr});
    page->PickColor(SwatchId::Background);
    EXPECT_EQ(background->palette().color(QPalette::WindowText), QColor(Qt::white));
    EXPECT_EQ(up->palette().color(QPalette::Window), QColor(0, 0, 64));
}

TEST_F(DisplayPageTest, StoredValuesLoadAsTheyStand) {
    storeColumns("0");
    m_store.SetValue("STPrice", "1");
    m_store.SetValue("ShowHead", "0");
    m_store.SetValue("FontSize", "5");
    m_store.SetValue("CustColor", "1");
    m_store.SetValue("ColorUp", "ff0000");
    m_store.SetValue("ColorBK", "zz");
    m_store.SetValue("MiniTray", "1");
    auto page = makePage();
    EXPECT_TRUE(page->Box(DisplayPage::kBoxPrice)->isChecked());
    EXPECT_FALSE(page->Box(DisplayPage::kBoxCode)->isChecked());
    EXPECT_FALSE(page->Box(DisplayPage::kBoxShowHead)->isChecked());
    EXPECT_TRUE(page->Box(DisplayPage::kBoxMiniTray)->isChecked());
    EXPECT_EQ(page->FontSizeList()->count(), 0);
    EXPECT_TRUE(page->Box(DisplayPage::kBoxCustColor)->isChecked());
    EXPECT_EQ(page->Swatch(SwatchId::Up)->Color(), QColor(255, 0, 0));
    EXPECT_EQ(page->Swatch(SwatchId::Up)->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_EQ(page->Swatch(SwatchId::Background)->Color(), QColor(0, 0, 0));

    // Without custom colours the swatches show the defaults whatever the keys hold.
    m_store.SetValue("CustColor", "0");
    m_store.SetValue("FontSize", "0");
    auto plain = makePage();
    EXPECT_EQ(plain->Swatch(SwatchId::Up)->Color(), QColor(255, 0, 0));
    EXPECT_EQ(plain->Swatch(SwatchId::Down)->Color(), QColor(0, 0x99, 0));
    EXPECT_EQ(plain->FontSizeList()->currentText(), "最小");
}

TEST_F(DisplayPageTest, NoColumnLeftIsWarnedAndRefused) {
    auto page = makePage();
    for (DisplayPage::BoxId column : kColumns)
        click(page->Box(column));
    EXPECT_EQ(m_status, QString::fromUtf8(kNoColumnText));
    EXPECT_EQ(page->CheckBeforeStore(), QString::fromUtf8(kNoColumnText));
    click(page->Box(DisplayPage::kBoxName));
    EXPECT_TRUE(m_status.isEmpty());
    EXPECT_TRUE(page->CheckBeforeStore().isEmpty());
    m_status = "x";
    click(page->Box(DisplayPage::kBoxTotal)); // not a column
    EXPECT_EQ(m_status, "x");
}

TEST_F(DisplayPageTest, ChosenColoursTurnTheCustomColoursOn) {
    std::optional<QColor> answer = QColor(10, 20, 30);
    QColor offered;
    ScopedSettingsPrompts prompts({nullptr, nullptr,
                                   [&](QWidget*, const QColor& initial) {
                                       offered = initial;
                                       return answer;
                                   },
                                   nullptr});
    auto page = makePage();
    ASSERT_FALSE(page->Box(DisplayPage::kBoxCustColor)->isChecked());
    const QColor before = page->Swatch(SwatchId::Up)->Color();
    QTest::mouseClick(page->Swatch(SwatchId::Up), Qt::LeftButton);
    EXPECT_EQ(offered, before); // the dialog opens at the swatch's colour
    EXPECT_EQ(page->Swatch(SwatchId::Up)->Color(), QColor(10, 20, 30));
    EXPECT_TRUE(page->Box(DisplayPage::kBoxCustColor)->isChecked());

    answer.reset(); // cancelled
    page->PickColor(SwatchId::Background);
    EXPECT_EQ(offered, QColor(0xFF, 0xFF, 0xE6));
    EXPECT_EQ(page->Swatch(SwatchId::Background)->Color(), QColor(0xFF, 0xFF, 0xE6));

    // Unticking the custom colours puts the defaults back.
    click(page->Box(DisplayPage::kBoxCustColor));
    EXPECT_EQ(page->Swatch(SwatchId::Up)->Color(), QColor(255, 0, 0));
}

TEST_F(DisplayPageTest, StoreWritesEveryKeyAndTheAutostartEntry) {
    ScopedSettingsPrompts prompts(
        {nullptr, nullptr, [](QWidget*, const QColor&) { return std::optional<QColor>(Qt::blue); }, nullptr});
    auto page = makePage();
    click(page->Box(DisplayPage::kBoxCode));
    click(page->Box(DisplayPage::kBoxShowHead));
    click(page->Box(DisplayPage::kBoxTopMost));
    click(page->Box(DisplayPage::kBoxAutoRun));
    page->PickColor(SwatchId::Title);
    page->FontSizeList()->setCurrentIndex(4);
    page->Store();
    EXPECT_EQ(m_store.GetValue("STcode"), "0");
    EXPECT_EQ(m_store.GetValue("STName"), "1");
    EXPECT_EQ(m_store.GetValue("ShowHead"), "0");
    EXPECT_EQ(m_store.GetValue("CustColor"), "1");
    EXPECT_EQ(m_store.GetValue("ColorTitle"), "0000ff");
    EXPECT_EQ(m_store.GetValue("ColorUp"), "ff0000");
    EXPECT_EQ(m_store.GetValue("FontSize"), "4");
    EXPECT_EQ(m_store.GetValue("TopMost"), "0");
    EXPECT_EQ(ProfileRead(Path("config/base.ini"), "sys", "TopMost"), "0");
    EXPECT_EQ(m_store.GetValue("AutoRun"), "1");
    const QString entry = platform::AutoStartEntryPath();
    EXPECT_TRUE(entry.startsWith(QString::fromStdString(Path("xdg/autostart/"))));
    QFile file(entry);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("Exec="));

    // Read back as stored, and the autostart entry goes with the tick.
    bool stored = false;
    const DisplaySettings read = ReadDisplaySettings(Path("scnf/SSTConf.xml"), &stored);
    EXPECT_TRUE(stored);
    EXPECT_FALSE(read.showCode);
    EXPECT_TRUE(read.showName);
    EXPECT_EQ(read.colorTitle, (Rgb{0, 0, 255}));
    click(page->Box(DisplayPage::kBoxAutoRun));
    page->Store();
    EXPECT_FALSE(QFile::exists(entry));
}

TEST_F(DisplayPageTest, TheTransparentBackgroundIsSwitchedInBaseIni) {
    const std::string baseIni = Path("config/base.ini");
    EXPECT_FALSE(makePage()->Box(DisplayPage::kBoxTransparent)->isChecked()); // the first run's 0
    {
        auto page = makePage();
        click(page->Box(DisplayPage::kBoxTransparent));
        page->Store();
        EXPECT_EQ(ProfileRead(baseIni, "sys", "TransBK"), "1");
    }
    {
        auto page = makePage();
        EXPECT_TRUE(page->Box(DisplayPage::kBoxTransparent)->isChecked());
        click(page->Box(DisplayPage::kBoxTransparent));
        page->Store();
        EXPECT_EQ(ProfileRead(baseIni, "sys", "TransBK"), "0");
    }
    // A value the ticker does not take for "on" shows unticked and stays unless switched.
    ProfileWrite(baseIni, "sys", "TransBK", "2");
    auto page = makePage();
    EXPECT_FALSE(page->Box(DisplayPage::kBoxTransparent)->isChecked());
    page->Store();
    EXPECT_EQ(ProfileRead(baseIni, "sys", "TransBK"), "2");
}

TEST_F(DisplayPageTest, ThePlainModeIsOffInAnOlderFileAndStoredBesideTheLook) {
    std::optional<QColor> answer = QColor(0x40, 0x40, 0x40);
    ScopedSettingsPrompts prompts(
        {nullptr, nullptr, [&](QWidget*, const QColor&) { return answer; }, nullptr});
    auto page = makePage();
    PlainModeSwitch* plain = page->PlainMode();
    // A file of an older version has neither key: off, in black.
    EXPECT_FALSE(plain->Box()->isChecked());
    EXPECT_EQ(plain->Swatch()->Color(), QColor(0, 0, 0));
    // Choosing the plain colour turns the plain mode on; the store writes it with the look.
    QTest::mouseClick(plain->Swatch(), Qt::LeftButton);
    EXPECT_TRUE(plain->Box()->isChecked());
    m_store.SetValue("HideAfterClose", "1"); // the basic page's: left as stored
    page->Store();
    EXPECT_EQ(m_store.GetValue("PlainMode"), "1");
    EXPECT_EQ(m_store.GetValue("PlainColor"), "404040");
    EXPECT_EQ(m_store.GetValue("STcode"), "1");
    EXPECT_EQ(m_store.GetValue("HideAfterClose"), "1");
    auto again = makePage();
    EXPECT_TRUE(again->PlainMode()->Box()->isChecked());
    EXPECT_EQ(again->PlainMode()->Swatch()->Color(), QColor(0x40, 0x40, 0x40));
    click(again->PlainMode()->Box());
    again->Store();
    EXPECT_EQ(m_store.GetValue("PlainMode"), "0");
    EXPECT_EQ(m_store.GetValue("PlainColor"), "404040");
}

TEST(AutoStartCommandTest, QuotesWhatTheExecKeyWouldSplit) {
    EXPECT_EQ(platform::AutoStartCommand("/usr/bin/marlune", {"--home", "/home/u/my stocks"}),
              "/usr/bin/marlune --home \"/home/u/my stocks\"");
    EXPECT_EQ(platform::AutoStartCommand("/opt/m", {"a$b", "50%"}), "/opt/m \"a\\$b\" 50%%");
}

} // namespace
} // namespace marlune
