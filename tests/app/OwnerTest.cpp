// The owner with its real ticker window and settings dialog on the offscreen platform,
// with a fake hot key and tray icon: the show paths, balloons, menu commands, the
// settings dialog's hot-key lifecycle, the install step and the exit path.
#include "ShellFakes.h"

#include "app/Owner.h"
#include "app/ShellTexts.h"
#include "config/FirstRun.h"
#include "config/Profile.h"
#include "config/ProgramFolder.h"
#include "config/XmlSettingsStore.h"
#include "net/FetchJob.h"
#include "net/ServiceEndpoints.h"
#include "settings/SettingsDialog.h"
#include "text/FileBytes.h"
#include "text/Gbk.h"
#include "ticker/BrowserLauncher.h"
#include "ticker/HoverButton.h"
#include "ticker/TickerMenu.h"
#include "ticker/TickerOwner.h"
#include "ticker/TickerWindow.h"

#include <QFile>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace marlune {
namespace {

using test::FakeHotKey;
using test::FakeTray;

class FakeNotifier final : public AlertNotifier {
public:
    bool IsAvailable() override { return available; }
    bool Notify(const QString& summary, const QString& body, bool sound) override {
        if (refuseAfter >= 0 && static_cast<int>(notes.size()) >= refuseAfter)
            return false;
        notes.push_back({summary, body, sound});
        return true;
    }
    struct Note {
        QString summary;
        QString body;
        bool sound;
    };
    bool available = false;
    int refuseAfter = -1; // the service takes this many, then refuses
    std::vector<Note> notes;
};

// A Sina reply of the first-run list on 2024-05-06 10:30: the index beyond its upper limit
// of 3.00 and up 0.35 % on the day.
FetchReport FirstRunQuotes() {
    std::string reply;
    for (const char* stock : {"sh000001=\"上证指数", "sz399001=\"深证成指"}) {
        std::string value = std::string("var hq_str_") + stock +
                            ",3000.00,3000.00,3010.50,3050.00,2950.00,0,0,12345600,98765432100";
        for (int i = 0; i < 20; ++i)
            value += ",0";
        reply += value + ",2024-05-06,10:30:00,00\";\n";
    }
    FetchReport report;
    report.jobKind = kJobQuoteText;
    report.status = kFetchFinished;
    report.reply = Utf8ToGbk(reply);
    return report;
}

class OwnerTest : public ::testing::Test {
protected:
    OwnerTest() {
        SetProgramFolder(dir.path().toStdString());
        CreateFirstRunFiles();
        RestoreDefaultServices();
    }
    ~OwnerTest() override {
        owner.reset();
        SetProgramFolder("");
    }

    // Creates and starts the owner; no download leaves the test.
    void Start() {
        auto hotKeyPart = std::make_unique<FakeHotKey>();
        auto trayPart = std::make_unique<FakeTray>();
        hotKey = hotKeyPart.get();
        tray = trayPart.get();
        tray->available = trayAvailable;
        Owner::Parts parts;
        parts.hotKey = std::move(hotKeyPart);
        parts.tray = std::move(trayPart);
        parts.tickerJobsAndClocks.startJob = [](const QuoteFetchJob&) {};
        parts.fetcher = [](const std::string&, std::function<bool()>) { return TextFetchResult{}; };
        parts.askPassword = [this](const QString& expected, const QString&) {
            return expected == typedPassword;
        };
        parts.askUser = [this](const QString& question) {
            questions.push_back(question);
            return answerYes;
        };
        parts.tellUser = [this](const QString& text) { told.push_back(text); };
        parts.chooseTradingProgram = [this] {
            ++chooserRuns;
            return chosenProgram;
        };
        parts.startProgram = [this](const QString& path) { started.push_back(path); };
        auto notifierPart = std::make_unique<FakeNotifier>();
        notifier = notifierPart.get();
        notifier->available = notifierAvailable;
        parts.notifier = std::move(notifierPart);
        parts.tickerJobsAndClocks.clock = [] { return 1'714'962'600u; }; // 2024-05-06 10:30 Beijing
        if (wallClock) {
            parts.tickerJobsAndClocks.clock = [this] { return static_cast<std::uint32_t>(*wallClock); };
            parts.steadyClock = [this] { return steadyClock; };
        }
        owner = std::make_unique<Owner>(std::move(parts));
        exits = std::make_unique<QSignalSpy>(owner.get(), &Owner::exitRequested);
        owner->Start();
    }

    void Xml(const char* key, const char* value) {
        XmlSettingsStore store;
        store.SetPath(XmlSettingsPath());
        store.SetValue(key, value);
    }

    QTemporaryDir dir;
    std::unique_ptr<Owner> owner;
    FakeHotKey* hotKey = nullptr;
    FakeTray* tray = nullptr;
    FakeNotifier* notifier = nullptr;
    bool notifierAvailable = false;
    std::unique_ptr<QSignalSpy> exits;
    QString typedPassword;
    bool answerYes = false;
    std::vector<QString> questions;
    bool trayAvailable = true;
    std::vector<QString> told;
    int chooserRuns = 0;
    QString chosenProgram;
    std::vector<QString> started;
    std::optional<std::int64_t> wallClock; // set: the test runs both clocks
    std::int64_t steadyClock = 500;
};

TEST_F(OwnerTest, HotKeyHidesAndShowsTheTickerWindow) {
    Start();
    TickerWindow* ticker = owner->Ticker();
    ASSERT_NE(ticker, nullptr);
    EXPECT_TRUE(ticker->isVisible());
    EXPECT_TRUE(tray->shown);
    EXPECT_EQ(tray->tip, QStringLiteral("Marlune1.0 - Orvento"));
    ASSERT_TRUE(hotKey->registered);
    EXPECT_EQ(hotKey->heldKey, '1'); // the first run's Alt+1
    hotKey->Press();
    EXPECT_FALSE(ticker->isVisible());
    EXPECT_EQ(owner->GetWindowState(), kWindowHiddenByHotKey);
    hotKey->Press();
    EXPECT_TRUE(ticker->isVisible());
    EXPECT_EQ(owner->GetWindowState(), kWindowShown);
    // The tray icon's double click hides it, the ticker's own state writes reach the owner.
    tray->Click(kTrayIconId, kTrayLeftDoubleClick);
    EXPECT_FALSE(ticker->isVisible());
    EXPECT_EQ(owner->GetWindowState(), kWindowHidden);
}

TEST_F(OwnerTest, WithoutATrayTheHideButtonSaysOnceHowToComeBack) {
    trayAvailable = false;
    Start();
    TickerWindow* ticker = owner->Ticker();
    ASSERT_NE(ticker, nullptr);
    QTest::mouseClick(ticker->CaptionButton(kButtonHide), Qt::LeftButton);
    ASSERT_EQ(told.size(), 1u);
    EXPECT_TRUE(told[0].contains("Alt+1")) << told[0].toStdString();
    EXPECT_FALSE(ticker->isVisible());
    hotKey->Press();
    ASSERT_TRUE(ticker->isVisible());
    QTest::mouseClick(ticker->CaptionButton(kButtonHide), Qt::LeftButton);
    EXPECT_EQ(told.size(), 1u);
    EXPECT_FALSE(ticker->isVisible());
}

TEST_F(OwnerTest, WithATrayTheHideButtonSaysNothing) {
    Start();
    QTest::mouseClick(owner->Ticker()->CaptionButton(kButtonHide), Qt::LeftButton);
    EXPECT_TRUE(told.empty());
    EXPECT_FALSE(owner->Ticker()->isVisible());
}

TEST_F(OwnerTest, LockSettingsComeFromTheSettingsFile) {
    Xml("Securty", "1");
    Xml("LoginPd", "abc");
    typedPassword = "wrong";
    Start();
    EXPECT_FALSE(owner->Ticker()->isVisible());
    EXPECT_TRUE(owner->Core().Locked());
    typedPassword = "abc";
    hotKey->Press();
    EXPECT_TRUE(owner->Ticker()->isVisible());
}

TEST_F(OwnerTest, TheLockAfterHidingCountsIdleTimeWhateverTheDateIsSetTo) {
    Xml("Securty", "2");
    Xml("LoginPd", "abc");
    Xml("LockTime", "1");
    wallClock = 1700000000;
    Start();
    ASSERT_TRUE(owner->Ticker()->isVisible());
    hotKey->Press();
    ASSERT_FALSE(owner->Ticker()->isVisible());

    // A minute and a bit later the date is set back an hour: the password is asked.
    steadyClock += 61;
    *wallClock -= 3600;
    typedPassword = "wrong";
    hotKey->Press();
    EXPECT_FALSE(owner->Ticker()->isVisible());
    typedPassword = "abc";
    hotKey->Press();
    ASSERT_TRUE(owner->Ticker()->isVisible());

    // Hidden by its own button, then the date jumps a day on within the minute: no prompt.
    QTest::mouseClick(owner->Ticker()->CaptionButton(kButtonHide), Qt::LeftButton);
    ASSERT_FALSE(owner->Ticker()->isVisible());
    steadyClock += 30;
    *wallClock += 86400;
    typedPassword = "wrong";
    hotKey->Press();
    EXPECT_TRUE(owner->Ticker()->isVisible());
}

TEST_F(OwnerTest, AlertBalloonsAndTheNewStockBalloon) {
    Start();
    // No alert text: no balloon.
    emit owner->Ticker()->alertsRaised(QString());
    EXPECT_TRUE(tray->balloons.empty());
    EXPECT_FALSE(owner->TipRestorePending());

    emit owner->Updates().newStockTipArrived(QStringLiteral("新股提示"));
    ASSERT_EQ(tray->balloons.size(), 1u);
    EXPECT_EQ(tray->balloons[0].title, "Marlune1.0");
    EXPECT_EQ(tray->balloons[0].timeoutMs, 3000);
    EXPECT_TRUE(owner->NewStockBalloonShowing());
    EXPECT_TRUE(owner->TipRestorePending());
    // An alert while the new-stock balloon is up waits for the next one.
    emit owner->Ticker()->alertsRaised(QStringLiteral("A\n"));
    EXPECT_EQ(tray->balloons.size(), 1u);
    owner->RestoreTip();
    EXPECT_EQ(tray->tip, QStringLiteral("Marlune1.0"));
    EXPECT_FALSE(owner->NewStockBalloonShowing());
    emit owner->Ticker()->alertsRaised(QStringLiteral("B\n"));
    ASSERT_EQ(tray->balloons.size(), 2u);
    EXPECT_EQ(tray->balloons[1].text, "A\nB\n");
}

TEST_F(OwnerTest, AlertsGoToTheNotificationServiceWhereThereIsOne) {
    notifierAvailable = true;
    ASSERT_TRUE(WriteFileAtomically(WatchExtrasPath(), "000001|1|0.30|0.00\r\n"));
    Start();
    owner->Ticker()->HandleFetchStatus(FirstRunQuotes());
    // One notification per crossing, no balloon, nothing left to show.
    ASSERT_EQ(notifier->notes.size(), 2u);
    EXPECT_EQ(notifier->notes[0].summary, QStringLiteral("Marlune"));
    EXPECT_EQ(notifier->notes[0].body, QStringLiteral("上证指数(000001) 现价3010.50，已涨到预警上限3.00"));
    EXPECT_EQ(notifier->notes[1].body, QStringLiteral("上证指数(000001) 现价3010.50，涨幅已达+0.30%"));
    EXPECT_FALSE(notifier->notes[0].sound); // off unless AlertSound=1
    EXPECT_TRUE(tray->balloons.empty());
    EXPECT_TRUE(owner->Ticker()->Book().alertText.empty());
}

TEST_F(OwnerTest, RefusedNotificationsFallBackToTheBalloonAndPausedAlertsShowNothing) {
    notifierAvailable = true;
    ASSERT_TRUE(WriteFileAtomically(WatchExtrasPath(), "000001|1|0.30|0.00\r\n"));
    ProfileWrite(BaseIniPath(), "sys", "AlertSound", "1");
    Start();
    notifier->refuseAfter = 1;
    owner->Ticker()->HandleFetchStatus(FirstRunQuotes());
    ASSERT_EQ(notifier->notes.size(), 1u);
    EXPECT_TRUE(notifier->notes[0].sound);
    ASSERT_EQ(tray->balloons.size(), 1u);
    EXPECT_EQ(tray->balloons[0].text, "上证指数(000001) 现价3010.50，涨幅已达+0.30%\n");

    // "暂停预警": checked in the menu, and a new crossing shows nowhere meanwhile.
    owner->OnMenuCommand(kMenuPauseAlerts);
    EXPECT_TRUE(owner->AlertsPaused());
    tray->Click(kTrayIconId, kTrayRightButtonUp);
    EXPECT_TRUE(owner->PopupMenu()->ActionFor(kMenuPauseAlerts)->isChecked());
    owner->PopupMenu()->hide();
    ASSERT_TRUE(WriteFileAtomically(WatchExtrasPath(), "000001|1|0.20|0.00\r\n"));
    owner->Ticker()->applySettings();
    owner->Ticker()->HandleFetchStatus(FirstRunQuotes());
    EXPECT_EQ(notifier->notes.size(), 1u);
    EXPECT_EQ(tray->balloons.size(), 1u);
    EXPECT_TRUE(owner->Ticker()->Book().alertText.empty());
    // Chosen again: the next crossing shows.
    owner->OnMenuCommand(kMenuPauseAlerts);
    EXPECT_FALSE(owner->AlertsPaused());
    ASSERT_TRUE(WriteFileAtomically(WatchExtrasPath(), "000001|1|0.25|0.00\r\n"));
    owner->Ticker()->applySettings();
    owner->Ticker()->HandleFetchStatus(FirstRunQuotes());
    EXPECT_EQ(tray->balloons.size(), 2u);
}

TEST_F(OwnerTest, MenuCommands) {
    Start();
    std::vector<QUrl> opened;
    ScopedBrowserOpener opener([&](const QUrl& url) { opened.push_back(url); });
    owner->OnMenuCommand(kMenuVendorHome);
    owner->OnMenuCommand(kMenuAdvice);
    owner->OnMenuCommand(kMenuMarket);
    ASSERT_EQ(opened.size(), 3u);
    EXPECT_EQ(opened[0].toString(), QStringLiteral("http://www.orvento.example/usercenter?action=registe"));
    EXPECT_EQ(opened[1].path(), QStringLiteral("/ent/advice.php"));
    EXPECT_EQ(opened[2].path(), QStringLiteral("/stock/"));

    // Top-most: the first run stores 1, so the toggle stores 0 and the window follows.
    owner->OnMenuCommand(kMenuTopMost);
    EXPECT_EQ(ProfileRead(BaseIniPath(), "sys", "TopMost"), "0");
    EXPECT_EQ(owner->Ticker()->Settings().topMost, 0);

    // The popup menu from the tray icon and from another program; unknown commands
    // and an install step without an update do nothing.
    tray->Click(kTrayIconId, kTrayRightButtonUp);
    EXPECT_TRUE(owner->PopupMenu()->isVisible());
    EXPECT_EQ(owner->PopupMenu()->ActionFor(kMenuShowHide)->text(), QStringLiteral("隐藏窗口(最小化)"));
    EXPECT_FALSE(owner->PopupMenu()->ActionFor(kMenuTopMost)->isChecked());
    owner->PopupMenu()->hide();
    owner->OnExternalCommand(kCmdShowMenu, 0);
    EXPECT_TRUE(owner->PopupMenu()->isVisible());
    owner->PopupMenu()->hide();
    owner->OnExternalCommand(4242, 0);
    owner->OnExternalCommand(kCmdRestore, 0);
    EXPECT_EQ(exits->count(), 0);
}

TEST_F(OwnerTest, TradingProgramIsChosenWhenTheStoredOneIsUnusable) {
    Start();
    // Nothing stored and the dialog cancelled: nothing starts, nothing is stored.
    owner->OnMenuCommand(kMenuStartTrading);
    EXPECT_EQ(chooserRuns, 1);
    EXPECT_TRUE(started.empty());
    // A chosen program is stored and started.
    const QString program = dir.path() + "/trader";
    QFile file(program);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    chosenProgram = program;
    owner->OnMenuCommand(kMenuStartTrading);
    EXPECT_EQ(QString::fromStdString(ProfileRead(BaseIniPath(), "sys", "ReSoft")), program);
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0], program);
    // Stored and present: started without asking.
    owner->OnMenuCommand(kMenuStartTrading);
    EXPECT_EQ(chooserRuns, 2);
    EXPECT_EQ(started.size(), 2u);
    // Gone, or too short to be a path: asked again.
    QFile::remove(program);
    chosenProgram.clear();
    owner->OnMenuCommand(kMenuStartTrading);
    EXPECT_EQ(chooserRuns, 3);
    EXPECT_TRUE(TradingProgramNeedsChoosing(QStringLiteral("/a")));
    EXPECT_TRUE(TradingProgramNeedsChoosing(dir.path()));
}

TEST_F(OwnerTest, SettingsDialogTakesTheHotKeyWhileOpen) {
    Start();
    owner->OnMenuCommand(kMenuAddStock);
    SettingsDialog* dialog = owner->OpenSettingsDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(dialog->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(dialog->CurrentPage(), SettingsPageId::MyStocks);
    EXPECT_FALSE(hotKey->registered);
    EXPECT_TRUE(owner->Ticker()->IsLocked());
    EXPECT_FALSE(owner->Ticker()->Refresh().QuoteTimer().isActive());
    // A second "设置" brings the same dialog forward.
    owner->OnMenuCommand(kMenuSettings);
    EXPECT_EQ(owner->OpenSettingsDialog(), dialog);

    // "确定" with a new hot key: stored by the dialog, read by the owner.
    ProfileWrite(BaseIniPath(), "sys", "HotKey", "K");
    QTest::mouseClick(dialog->Button(SettingsDialog::kButtonOk), Qt::LeftButton);
    QTRY_VERIFY(owner->OpenSettingsDialog() == nullptr);
    QTRY_COMPARE(hotKey->heldKey, 'K');
    EXPECT_TRUE(hotKey->registered);
    EXPECT_FALSE(owner->Ticker()->IsLocked());
    EXPECT_FALSE(owner->Core().SettingsOpen());
    EXPECT_TRUE(owner->Ticker()->Refresh().QuoteTimer().isActive());
}

TEST_F(OwnerTest, InstallStepAsksAndRunsTheUpdater) {
    Start();
    // An update was found, the updater is there.
    QFile updater(QString::fromStdString(UpdateChecker::UpdaterPath()));
    ASSERT_TRUE(updater.open(QIODevice::WriteOnly));
    updater.close();
    ASSERT_TRUE(owner->Updates().State().applyVersionFile("1:1.2:x", true));
    const QString marker = QString::fromStdString(UpdateChecker::UpdateMarkerPath());
    QFile markerFile(marker);
    ASSERT_TRUE(markerFile.open(QIODevice::WriteOnly));
    markerFile.close();

    owner->OnExternalCommand(kCmdRestore, 1); // another parameter: nothing
    EXPECT_TRUE(questions.empty());
    owner->OnExternalCommand(kCmdRestore, 0); // "no": the marker goes
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0], QStringLiteral("检测到最新版本，是否需要升级"));
    EXPECT_FALSE(QFile::exists(marker));
    EXPECT_EQ(exits->count(), 0);

    answerYes = true;
    owner->OnExternalCommand(kCmdRestore, 0);
    EXPECT_EQ(exits->count(), 1);
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0], QString::fromStdString(UpdateChecker::UpdaterPath()));
    EXPECT_FALSE(hotKey->registered);
    EXPECT_FALSE(tray->shown);
}

TEST_F(OwnerTest, UpdaterThatIsGoneDoesNotEndTheProgram) {
    Xml("AutoUpdate", "1");
    Start();
    owner->Updates().State().applyVersionFile("1:2.0:x", true);
    owner->OnExternalCommand(kCmdRestore, 0);
    EXPECT_EQ(exits->count(), 0);
    EXPECT_TRUE(started.empty());
}

TEST_F(OwnerTest, CloseButtonRunsTheExitPathOnce) {
    Start();
    owner->ExitRequested();
    owner->OnMenuCommand(kMenuExit);
    EXPECT_EQ(exits->count(), 1);
    EXPECT_FALSE(hotKey->registered);
    EXPECT_FALSE(tray->shown);
    hotKey->Press(); // after the exit nothing moves any more
    EXPECT_TRUE(owner->Ticker()->isVisible());
}

} // namespace
} // namespace marlune
