// The basic page: loading base.ini, the slider keys, the hot key list and the store.
#include "settings/BasicPage.h"

#include "SettingsTestSupport.h"
#include "config/Profile.h"
#include "settings/SettingsPrompts.h"
#include "settings/StealthOptions.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>
#include <QSysInfo>
#include <QTest>
#include <QTimer>

#include <memory>

namespace marlune {
namespace {

class BasicPageTest : public test::ProgramFolderTest {
protected:
    std::unique_ptr<BasicPage> makePage() {
        auto page = std::make_unique<BasicPage>([this](const QString& text) { m_status = text; }, nullptr);
        page->show();
        return page;
    }
    void write(const char* key, const char* value) {
        ProfileWrite(Path("config/base.ini"), "sys", key, value);
    }
    std::string read(const char* key) { return ProfileRead(Path("config/base.ini"), "sys", key); }

    QString m_status;
};

TEST_F(BasicPageTest, LoadsTheFirstRunValues) {
    auto page = makePage();
    EXPECT_EQ(page->Slider()->value(), 10);
    EXPECT_EQ(page->SliderLabel()->text(), "10 秒");
    EXPECT_TRUE(page->SourceRadio(1)->isChecked());
    EXPECT_TRUE(page->ModifierRadio(1)->isChecked());
    EXPECT_EQ(page->HotKeyList()->count(), 36);
    EXPECT_EQ(page->HotKeyList()->itemText(35), " Z");
    EXPECT_EQ(page->HotKeyList()->currentText(), " 1");
}

TEST_F(BasicPageTest, OutOfRangeValuesLoadAsNoneOrZero) {
    for (const char* freshSec : {"61", "-1", "abc"}) {
        write("FreshSec", freshSec);
        write("DataSour", "7");
        write("HotKeyPress", "3");
        write("HotKey", "a");
        auto page = makePage();
        EXPECT_EQ(page->Slider()->value(), 0) << freshSec;
        EXPECT_EQ(page->SliderLabel()->text(), "不刷新");
        for (int source = 1; source <= 3; ++source)
            EXPECT_FALSE(page->SourceRadio(source)->isChecked());
        EXPECT_FALSE(page->ModifierRadio(1)->isChecked());
        EXPECT_FALSE(page->ModifierRadio(2)->isChecked());
        EXPECT_EQ(page->HotKeyList()->currentText(), " 1"); // lower case matches nothing
    }
    // With no modifier ticked the store gives the hot key Alt, so that it works again; no
    // source is written as an empty value.
    auto page = makePage();
    page->Store();
    EXPECT_EQ(read("HotKeyPress"), "1");
    EXPECT_EQ(read("DataSour"), "");
}

TEST_F(BasicPageTest, SliderOffersNoPeriodUnderFourSeconds) {
    write("FreshSec", "1");
    auto page = makePage();
    EXPECT_EQ(page->Slider()->value(), 4); // a stored 1 reads as 4
    EXPECT_EQ(page->SliderLabel()->text(), "4 秒");
    page->show();
    page->Slider()->setFocus();
    QTest::keyClick(page->Slider(), Qt::Key_Left);
    EXPECT_EQ(page->Slider()->value(), 0);
    EXPECT_EQ(page->SliderLabel()->text(), "不刷新");
    QTest::keyClick(page->Slider(), Qt::Key_Left);
    EXPECT_EQ(page->Slider()->value(), 0);
    QTest::keyClick(page->Slider(), Qt::Key_Right);
    EXPECT_EQ(page->Slider()->value(), 4);
    EXPECT_EQ(page->SliderLabel()->text(), "4 秒");

    // Dragged into 1 to 3 it goes on to "不刷新" or to 4, whichever way it was moving.
    page->Slider()->setValue(2);
    EXPECT_EQ(page->Slider()->value(), 0);
    page->Slider()->setValue(3);
    EXPECT_EQ(page->Slider()->value(), 4);
    page->Store();
    EXPECT_EQ(read("FreshSec"), "4");

    page->Slider()->setValue(60);
    QTest::keyClick(page->Slider(), Qt::Key_Right);
    EXPECT_EQ(page->Slider()->value(), 60);
    // One key press is one step.
    QTest::keyClick(page->Slider(), Qt::Key_Left);
    EXPECT_EQ(page->Slider()->value(), 59);
    EXPECT_EQ(page->SliderLabel()->text(), "59 秒");
}

TEST_F(BasicPageTest, ArrowKeysElsewhereOnThePageLeaveTheSliderAlone) {
    write("FreshSec", "5");
    auto page = makePage();
    page->show();
    page->ProgramEdit()->setText(QStringLiteral("/opt/trade/bin"));
    page->ProgramEdit()->setFocus();
    // Editing the path: the cursor moves, the refresh period stays.
    for (int i = 0; i < 4; ++i)
        QTest::keyClick(page->ProgramEdit(), Qt::Key_Left);
    EXPECT_EQ(page->ProgramEdit()->cursorPosition(), 10);
    EXPECT_EQ(page->Slider()->value(), 5);
    for (QWidget* control : std::initializer_list<QWidget*>{page->HotKeyList(), page->ModifierRadio(1),
                                                            page->ModifierRadio(2), page->SourceRadio(2)}) {
        control->setFocus();
        QTest::keyClick(control, Qt::Key_Right);
        QTest::keyClick(control, Qt::Key_Left);
        EXPECT_EQ(page->Slider()->value(), 5) << control->objectName().toStdString();
    }
    page->Store();
    EXPECT_EQ(read("FreshSec"), "5");
}

TEST_F(BasicPageTest, StoresWhatTheControlsShow) {
    auto page = makePage();
    QTest::mouseClick(page->ModifierRadio(2), Qt::LeftButton);
    QTest::mouseClick(page->SourceRadio(1), Qt::LeftButton);
    page->HotKeyList()->setCurrentIndex(page->HotKeyList()->findText(" C"));
    page->Slider()->setValue(0);
    page->ProgramEdit()->setText("/opt/trade/不存在");
    page->Store();
    EXPECT_EQ(read("HotKeyPress"), "2");
    EXPECT_EQ(read("DataSour"), "1");
    EXPECT_EQ(read("FreshSec"), "0");
    EXPECT_EQ(read("ReSoft"), "/opt/trade/不存在"); // typed by hand: not checked
    EXPECT_NE(ReadBytes("config/base.ini").find("HotKey= C\r\n"), std::string::npos);
    EXPECT_EQ(makePage()->HotKeyList()->currentText(), " C");
}

TEST_F(BasicPageTest, TheAlertSoundIsOffUnlessStoredOn) {
    // The first run writes no AlertSound: silent.
    EXPECT_FALSE(makePage()->AlertSoundBox()->isChecked());
    write("AlertSound", "yes");
    EXPECT_FALSE(makePage()->AlertSoundBox()->isChecked());
    auto page = makePage();
    test::ClickIndicator(page->AlertSoundBox());
    page->Store();
    EXPECT_EQ(read("AlertSound"), "1");
    EXPECT_TRUE(makePage()->AlertSoundBox()->isChecked());
    test::ClickIndicator(page->AlertSoundBox());
    page->Store();
    EXPECT_EQ(read("AlertSound"), "0");
}

TEST_F(BasicPageTest, TheHidingOptionsAreOffInAnOlderFileAndGoToTheXmlSettings) {
    auto page = makePage();
    HidingOptions& hiding = page->Hiding();
    EXPECT_FALSE(hiding.AfterCloseBox()->isChecked());
    EXPECT_FALSE(hiding.NoRefreshBox()->isChecked());
    // Stale hiding is part of the schedule: closed until the schedule is on.
    EXPECT_FALSE(hiding.WhenStaleBox()->isEnabled());
    test::ClickIndicator(hiding.AfterCloseBox());
    EXPECT_TRUE(hiding.WhenStaleBox()->isEnabled());
    test::ClickIndicator(hiding.WhenStaleBox());
    test::ClickIndicator(hiding.NoRefreshBox());
    page->Store();
    const StealthSettings stored = ReadStealthSettings(Path("scnf/SSTConf.xml"));
    EXPECT_TRUE(stored.hideAfterClose);
    EXPECT_TRUE(stored.hideWhenStale);
    EXPECT_TRUE(stored.noRefreshHidden);
    EXPECT_FALSE(stored.plainMode);        // the display page's, untouched
    EXPECT_EQ(read("HideAfterClose"), ""); // not in base.ini
    auto again = makePage();
    EXPECT_TRUE(again->Hiding().WhenStaleBox()->isChecked());
    EXPECT_TRUE(again->Hiding().WhenStaleBox()->isEnabled());
}

TEST_F(BasicPageTest, BrowseTakesOnlyAFileThatOpens) {
    QString chosen;
    QStringList messages;
    ScopedSettingsPrompts prompts({[&](QWidget*, const QString& text) { messages << text; },
                                   [&](QWidget*) { return chosen; }, nullptr, nullptr});
    auto page = makePage();
    page->ProgramEdit()->setText("old");

    chosen = QString::fromStdString(Path("missing/trade"));
    page->Browse();
    EXPECT_EQ(messages, QStringList{QString::fromUtf8(kInvalidProgramText)});
    EXPECT_EQ(page->ProgramEdit()->text(), "old");

    chosen.clear(); // cancelled
    page->Browse();
    EXPECT_EQ(page->ProgramEdit()->text(), "old");

    chosen = QString::fromStdString(Path("config/base.ini"));
    page->Browse();
    EXPECT_EQ(page->ProgramEdit()->text(), chosen);
    EXPECT_EQ(messages.size(), 1);
}

// The real prompts: a message box shows its whole title, the program dialog lists programs.
TEST_F(BasicPageTest, RealPromptsSpeakToAChineseUserInFull) {
    QString title;
    int width = 0;
    int titleWidth = 0;
    QTimer::singleShot(50, [&] {
        QWidget* box = QApplication::activeModalWidget();
        if (box == nullptr)
            return;
        title = box->windowTitle();
        width = box->width();
        titleWidth = box->fontMetrics().horizontalAdvance(title);
        box->close();
    });
    CurrentSettingsPrompts().message(nullptr, QStringLiteral("成功"));
    EXPECT_EQ(title, QStringLiteral("系统提示"));
    EXPECT_GE(width, titleWidth + 150); // room for the title beside the title bar's buttons

    const QStringList filters = ProgramFileFilters();
    ASSERT_EQ(filters.size(), 2);
    if (QSysInfo::productType() != QLatin1String("windows")) {
        EXPECT_FALSE(filters.front().contains(QStringLiteral("*.exe")));
    }
}

TEST_F(BasicPageTest, AHotKeyOtherProgramsUseIsTakenOnlyWhenConfirmed) {
    EXPECT_TRUE(IsCommonProgramShortcut(2, " C"));
    EXPECT_TRUE(IsCommonProgramShortcut(2, " P"));
    EXPECT_FALSE(IsCommonProgramShortcut(1, " C")); // Alt+C
    EXPECT_FALSE(IsCommonProgramShortcut(2, " Q"));
    EXPECT_FALSE(IsCommonProgramShortcut(2, " 1"));

    QStringList asked;
    bool yes = false;
    ScopedSettingsPrompts prompts({nullptr, nullptr, nullptr, [&](QWidget*, const QString& text) {
                                       asked << text;
                                       return yes;
                                   }});
    write("HotKeyPress", "2"); // Ctrl
    write("HotKey", "Q");
    auto page = makePage();
    QComboBox* keys = page->HotKeyList();
    // Picking V with Ctrl: asked, refused, back to Q.
    keys->setCurrentIndex(keys->findText(" V"));
    emit keys->activated(keys->currentIndex());
    ASSERT_EQ(asked.size(), 1);
    EXPECT_TRUE(asked[0].contains("Ctrl+V"));
    EXPECT_EQ(keys->currentText(), " Q");
    // With Alt chosen first, C is no question; going to Ctrl then asks, and a yes keeps it.
    QTest::mouseClick(page->ModifierRadio(1), Qt::LeftButton);
    keys->setCurrentIndex(keys->findText(" C"));
    emit keys->activated(keys->currentIndex());
    EXPECT_EQ(asked.size(), 1);
    QTest::mouseClick(page->ModifierRadio(2), Qt::LeftButton);
    ASSERT_EQ(asked.size(), 2);
    EXPECT_TRUE(page->ModifierRadio(1)->isChecked()); // refused: Alt again
    yes = true;
    QTest::mouseClick(page->ModifierRadio(2), Qt::LeftButton);
    EXPECT_EQ(asked.size(), 3);
    EXPECT_TRUE(page->ModifierRadio(2)->isChecked());
    page->Store();
    EXPECT_EQ(read("HotKeyPress"), "2");
    EXPECT_NE(ReadBytes("config/base.ini").find("HotKey= C\r\n"), std::string::npos);
}

TEST_F(BasicPageTest, ServicesThatNoLongerAnswerAreMarked) {
    auto page = makePage();
    EXPECT_EQ(page->SourceRadio(1)->text(), "新浪");
    EXPECT_TRUE(page->SourceRadio(2)->text().contains("已停止服务"));
    EXPECT_TRUE(page->SourceRadio(3)->text().contains("已停止服务"));
    EXPECT_TRUE(page->SourceRadio(3)->text().startsWith("google"));
}

} // namespace
} // namespace marlune
