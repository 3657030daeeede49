// The settings dialog: page switching, apply versus OK versus cancel, Enter and Esc, the
// host's callbacks.
#include "settings/SettingsDialog.h"

#include "SettingsTestSupport.h"
#include "config/Profile.h"
#include "settings/BasicPage.h"
#include "settings/MyStocksPage.h"
#include "settings/SecurityPage.h"
#include "settings/SettingsHost.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTreeWidget>

namespace marlune {
namespace {

class FakeHost final : public QObject, public SettingsHost {
public:
    void OnSettingsApplied() override { ++applied; }
    void RegisterHotKeyAfterSettings() override { ++registered; }
    void OnSettingsDialogClosed() override { ++closed; }
    int applied = 0;
    int registered = 0;
    int closed = 0;
};

class SettingsDialogTest : public test::ProgramFolderTest {
protected:
    void open() {
        m_dialog = new SettingsDialog(&m_host);
        m_dialog->show();
        m_dialog->activateWindow();
    }
    void TearDown() override {
        delete m_dialog.data();
        test::ProgramFolderTest::TearDown();
    }
    void clickTreeAt(const QPoint& point) {
        QTest::mouseClick(m_dialog->Tree()->viewport(), Qt::LeftButton, {}, point);
    }
    void clickItem(SettingsPageId page) {
        QTreeWidget* tree = m_dialog->Tree();
        clickTreeAt(tree->visualItemRect(tree->topLevelItem(static_cast<int>(page))).center());
    }
    void press(SettingsDialog::ButtonId id) { QTest::mouseClick(m_dialog->Button(id), Qt::LeftButton); }
    // Lets the queued settings-applied commands run.
    void settle() { QCoreApplication::processEvents(); }

    FakeHost m_host;
    QPointer<SettingsDialog> m_dialog;
};

TEST_F(SettingsDialogTest, TreeClicksSwitchPagesAndEmptySpaceChangesNothing) {
    open();
    EXPECT_EQ(m_dialog->windowTitle(), "Sorell设置");
    QTreeWidget* tree = m_dialog->Tree();
    ASSERT_EQ(tree->topLevelItemCount(), 6);
    const QStringList names = {"我的股票", "基本配置", "显示设置", "网络连接", "安    全", "关于我们"};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(tree->topLevelItem(i)->text(0), names[i]);
        EXPECT_FALSE(tree->topLevelItem(i)->icon(0).isNull());
    }
    EXPECT_EQ(m_dialog->CurrentPage(), SettingsPageId::MyStocks);
    EXPECT_TRUE(m_dialog->Page(SettingsPageId::MyStocks)->isVisible());
    // The owner shows the first page again as it opens the dialog: typing still goes to the
    // suggestion box.
    m_dialog->ShowPage(SettingsPageId::MyStocks);
    QWidget* focus = m_dialog->focusWidget();
    ASSERT_NE(focus, nullptr);
    EXPECT_TRUE(focus == m_dialog->MyStocks()->SuggestionBox() ||
                focus->parentWidget() == m_dialog->MyStocks()->SuggestionBox());

    clickItem(SettingsPageId::Basic);
    EXPECT_EQ(m_dialog->CurrentPage(), SettingsPageId::Basic);
    EXPECT_FALSE(m_dialog->Page(SettingsPageId::MyStocks)->isVisible());
    EXPECT_TRUE(m_dialog->Page(SettingsPageId::Basic)->isVisible());

    // Below the last item.
    const QRect last = tree->visualItemRect(tree->topLevelItem(5));
    ASSERT_LT(last.bottom() + 10, tree->viewport()->height());
    clickTreeAt(QPoint(last.center().x(), last.bottom() + 10));
    EXPECT_EQ(m_dialog->CurrentPage(), SettingsPageId::Basic);
    int shown = 0;
    for (int i = 0; i < kSettingsPageCount; ++i)
        shown += m_dialog->Page(static_cast<SettingsPageId>(i))->isVisible() ? 1 : 0;
    EXPECT_EQ(shown, 1);
}

TEST_F(SettingsDialogTest, BasicPageEditsSurviveASwitchToAnotherPage) {
    open();
    clickItem(SettingsPageId::Basic);
    m_dialog->Basic()->Slider()->setValue(20);
    m_dialog->Basic()->ProgramEdit()->setText(QStringLiteral("/opt/交易/trade"));
    clickItem(SettingsPageId::MyStocks);
    press(SettingsDialog::kButtonOk);
    EXPECT_EQ(ProfileRead(Path("config/base.ini"), "sys", "FreshSec"), "20");
    EXPECT_EQ(ProfileRead(Path("config/base.ini"), "sys", "ReSoft"), "/opt/交易/trade");
    EXPECT_TRUE(m_dialog.isNull() || !m_dialog->isVisible());
    settle();
    EXPECT_EQ(m_host.applied, 1);
    EXPECT_EQ(m_host.registered, 2); // by "确定" and when the window closed
    EXPECT_EQ(m_host.closed, 1);
    EXPECT_TRUE(m_dialog.isNull()); // deleted itself
}

TEST_F(SettingsDialogTest, ApplyStaysOpenAndPostsOnceEveryTime) {
    open();
    clickItem(SettingsPageId::Basic);
    m_dialog->Basic()->Slider()->setValue(25);
    press(SettingsDialog::kButtonApply);
    EXPECT_EQ(m_host.applied, 0); // queued until the handler has returned
    settle();
    EXPECT_EQ(m_host.applied, 1);
    EXPECT_EQ(ProfileRead(Path("config/base.ini"), "sys", "FreshSec"), "25");
    press(SettingsDialog::kButtonApply);
    press(SettingsDialog::kButtonApply);
    settle();
    EXPECT_EQ(m_host.applied, 3);
    EXPECT_EQ(m_host.registered, 0);
    EXPECT_TRUE(m_dialog->isVisible());
}

TEST_F(SettingsDialogTest, CancelPostsTooButStoresNothing) {
    open();
    const std::string baseIni = ReadBytes("config/base.ini");
    const std::string xml = ReadBytes("scnf/SSTConf.xml");
    clickItem(SettingsPageId::Basic);
    m_dialog->Basic()->Slider()->setValue(5);
    press(SettingsDialog::kButtonCancel);
    settle();
    EXPECT_EQ(m_host.applied, 1);
    EXPECT_EQ(m_host.registered, 2);
    EXPECT_EQ(m_host.closed, 1);
    EXPECT_EQ(ReadBytes("config/base.ini"), baseIni);
    EXPECT_EQ(ReadBytes("scnf/SSTConf.xml"), xml); // the pages' reads added their keys already
}

TEST_F(SettingsDialogTest, CloseBoxOnlyRegistersTheHotKey) {
    open();
    m_dialog->close();
    settle();
    EXPECT_EQ(m_host.applied, 0);
    EXPECT_EQ(m_host.registered, 1);
    EXPECT_EQ(m_host.closed, 1);
}

TEST_F(SettingsDialogTest, EnterPressesTheFocusedButtonAndEscCancels) {
    open();
    QComboBox* box = m_dialog->MyStocks()->SuggestionBox();
    box->lineEdit()->setFocus();
    QTest::keyClick(box->lineEdit(), Qt::Key_Return);
    // Enter in the box tried an add (nothing typed) and told why; the dialog stays.
    EXPECT_EQ(m_dialog->StatusText(), QString::fromUtf8(kAddErrorText));
    clickItem(SettingsPageId::Security);
    QTest::keyClick(m_dialog->Security()->PasswordEdit(), Qt::Key_Return);
    settle();
    EXPECT_TRUE(m_dialog->isVisible());
    EXPECT_EQ(m_host.applied, 0);

    // Enter on the focused "应用" applies and stays open.
    QPushButton* apply = m_dialog->Button(SettingsDialog::kButtonApply);
    apply->setFocus();
    QTest::keyClick(apply, Qt::Key_Return);
    settle();
    EXPECT_EQ(m_host.applied, 1);
    ASSERT_FALSE(m_dialog.isNull());
    EXPECT_TRUE(m_dialog->isVisible());

    // Esc from a field is "取消": settings-applied posted, hot key registered, closed.
    QTest::keyClick(m_dialog->Security()->PasswordEdit(), Qt::Key_Escape);
    settle();
    EXPECT_EQ(m_host.applied, 2);
    EXPECT_GE(m_host.registered, 1);
    EXPECT_EQ(m_host.closed, 1);
    delete m_dialog.data();

    // Esc from the my-stocks list and the basic page's fields cancels too.
    for (SettingsPageId page : {SettingsPageId::MyStocks, SettingsPageId::Basic}) {
        open();
        m_dialog->ShowPage(page);
        QWidget* field = page == SettingsPageId::MyStocks
                             ? static_cast<QWidget*>(m_dialog->MyStocks()->List())
                             : m_dialog->Basic()->ProgramEdit();
        field->setFocus();
        QTest::keyClick(field, Qt::Key_Escape);
        settle();
        EXPECT_TRUE(m_dialog.isNull() || !m_dialog->isVisible()) << static_cast<int>(page);
        delete m_dialog.data();
    }

    // Enter on the focused "确定" stores and closes.
    open();
    QPushButton* ok = m_dialog->Button(SettingsDialog::kButtonOk);
    ok->setFocus();
    QTest::keyClick(ok, Qt::Key_Enter, Qt::KeypadModifier);
    settle();
    EXPECT_TRUE(m_dialog.isNull() || !m_dialog->isVisible());
    EXPECT_EQ(m_host.closed, 4);
}

TEST_F(SettingsDialogTest, TheKeyboardSwitchesPagesInTheTreeAndTheStatusTextClears) {
    open();
    QTreeWidget* tree = m_dialog->Tree();
    tree->setFocus();
    QTest::keyClick(tree, Qt::Key_Down);
    EXPECT_EQ(m_dialog->CurrentPage(), SettingsPageId::Basic);
    EXPECT_TRUE(m_dialog->Basic()->isVisible());
    EXPECT_FALSE(m_dialog->MyStocks()->isVisible());
    QTest::keyClick(tree, Qt::Key_End);
    EXPECT_EQ(m_dialog->CurrentPage(), SettingsPageId::About);
    QTest::keyClick(tree, Qt::Key_Up);
    EXPECT_EQ(m_dialog->CurrentPage(), SettingsPageId::Security);
    EXPECT_EQ(tree->currentItem(), tree->topLevelItem(4));

    // A red text about one page goes when the user moves to another.
    m_dialog->SetStatusText(QStringLiteral("x"));
    QTest::keyClick(tree, Qt::Key_Home);
    EXPECT_EQ(m_dialog->CurrentPage(), SettingsPageId::MyStocks);
    EXPECT_TRUE(m_dialog->StatusText().isEmpty());
    // And when the user types on the page.
    m_dialog->SetStatusText(QStringLiteral("x"));
    QLineEdit* typed = m_dialog->MyStocks()->SuggestionBox()->lineEdit();
    typed->setFocus();
    QTest::keyClick(typed, Qt::Key_Shift);
    EXPECT_EQ(m_dialog->StatusText(), "x");
    QTest::keyClicks(typed, "6");
    EXPECT_TRUE(m_dialog->StatusText().isEmpty());
    settle();
    EXPECT_EQ(m_host.applied, 0);
}

TEST_F(SettingsDialogTest, ARefusingPageStopsTheWholeApply) {
    open();
    clickItem(SettingsPageId::Basic);
    m_dialog->Basic()->Slider()->setValue(42);
    // A lock without a password, set up as a stored file might have it.
    m_dialog->Security()->PasswordEdit()->clear();
    m_dialog->Security()->HiddenBox()->setChecked(true);
    press(SettingsDialog::kButtonOk);
    settle();
    ASSERT_FALSE(m_dialog.isNull());
    EXPECT_TRUE(m_dialog->isVisible());
    EXPECT_EQ(m_dialog->CurrentPage(), SettingsPageId::Security);
    EXPECT_EQ(m_dialog->StatusText(), QString::fromUtf8(kEmptyPasswordText));
    EXPECT_EQ(ProfileRead(Path("config/base.ini"), "sys", "FreshSec"), "10");
    EXPECT_EQ(m_host.applied, 0);
    EXPECT_EQ(m_host.registered, 0);

    m_dialog->Security()->PasswordEdit()->setText("1234");
    press(SettingsDialog::kButtonApply);
    settle();
    EXPECT_EQ(m_host.applied, 1);
    // The basic page's edit was kept while the security page was on display.
    EXPECT_EQ(ProfileRead(Path("config/base.ini"), "sys", "FreshSec"), "42");
}

} // namespace
} // namespace marlune
