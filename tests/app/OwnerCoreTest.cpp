// The owner's rules without windows: WindowState transitions, the lock check, the tray
// icon's callback, the hot key's registration lifecycle and the top-most toggle.
#include "ShellFakes.h"

#include "app/OwnerCore.h"
#include "config/Profile.h"
#include "ticker/TickerOwner.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace marlune {
namespace {

using test::FakeEffects;
using test::FakeHotKey;
using Events = std::vector<std::string>;

class OwnerCoreTest : public ::testing::Test {
protected:
    OwnerCoreTest() : core(effects, hotKey, (dir.path() + "/base.ini").toStdString()) {
        settings.hotKey = "1";
        settings.hotKeyPress = 1;
        hotKey.SetPressedHandler([this] { core.OnHotKey(); });
    }

    // Start-up with the settings, then forget its events.
    void Start(bool tray = true) {
        core.Configure(settings);
        core.StartUp(tray);
        effects.Take();
    }

    QTemporaryDir dir;
    FakeEffects effects;
    FakeHotKey hotKey;
    ShellSettings settings;
    OwnerCore core;
};

TEST_F(OwnerCoreTest, StartUpAddsTheIconRegistersTheHotKeyAndShowsTheWindow) {
    core.Configure(settings);
    core.StartUp(true);
    EXPECT_EQ(effects.Take(), (Events{"icon add", "show"}));
    EXPECT_EQ(core.WindowState(), kWindowShown);
    EXPECT_TRUE(hotKey.registered);
    EXPECT_EQ(hotKey.heldModifiers, platform::kHotKeyModAlt);
    EXPECT_EQ(hotKey.heldKey, '1');
}

TEST_F(OwnerCoreTest, HotKeyCyclesThroughTheStatesAndTheHideTrayFlagTakesTheIconAlong) {
    settings.hideTray = 1;
    Start();
    // Shown -> HiddenByHotKey, the icon goes and the hide time is recorded.
    effects.now = 2000;
    hotKey.Press();
    EXPECT_EQ(effects.Take(), (Events{"hide", "icon delete"}));
    EXPECT_EQ(core.WindowState(), kWindowHiddenByHotKey);
    EXPECT_EQ(core.LastHideTime(), 2000);
    // HiddenByHotKey -> Shown through a restore, and the icon comes back.
    hotKey.Press();
    EXPECT_EQ(effects.Take(), (Events{"restore", "icon add"}));
    EXPECT_EQ(core.WindowState(), kWindowShown);
    // Hidden (minimise button) -> ShownByHotKey -> Hidden.
    core.SetWindowState(kWindowHidden);
    hotKey.Press();
    EXPECT_EQ(effects.Take(), (Events{"show", "icon add"}));
    EXPECT_EQ(core.WindowState(), kWindowShownByHotKey);
    hotKey.Press();
    EXPECT_EQ(effects.Take(), (Events{"hide", "icon delete"}));
    EXPECT_EQ(core.WindowState(), kWindowHidden);
    // Docked at an edge: restored.
    core.SetWindowState(kWindowDockedAtEdge);
    hotKey.Press();
    EXPECT_EQ(effects.Take(), (Events{"restore", "icon add"}));
    EXPECT_EQ(core.WindowState(), kWindowShown);
}

TEST_F(OwnerCoreTest, WithoutTheHideTrayFlagTheIconStays) {
    Start();
    hotKey.Press();
    hotKey.Press();
    EXPECT_EQ(effects.Take(), (Events{"hide", "restore"}));
    EXPECT_TRUE(core.TrayIconShown());
}

TEST_F(OwnerCoreTest, ShowHideCommandByState) {
    Start();
    // Shown: hidden, and the hide is recorded for the lock.
    effects.now = 5000;
    core.OnShowHideCommand();
    EXPECT_EQ(effects.Take(), (Events{"hide"}));
    EXPECT_EQ(core.WindowState(), kWindowHidden);
    EXPECT_EQ(core.LastHideTime(), 5000);
    // Hidden: restored and Shown.
    core.OnShowHideCommand();
    EXPECT_EQ(effects.Take(), (Events{"restore"}));
    EXPECT_EQ(core.WindowState(), kWindowShown);
    // The states in which the item reads "显示窗口" show the window.
    for (int state : {kWindowHiddenByHotKey, kWindowDockedAtEdge}) {
        core.SetWindowState(state);
        core.OnShowHideCommand();
        EXPECT_EQ(effects.Take(), (Events{"restore"})) << state;
        EXPECT_EQ(core.WindowState(), kWindowShown);
    }
    // Shown by the hot key: the window is in sight, and the entry hides it.
    core.SetWindowState(kWindowShownByHotKey);
    effects.now = 6000;
    core.OnShowHideCommand();
    EXPECT_EQ(effects.Take(), (Events{"hide"}));
    EXPECT_EQ(core.WindowState(), kWindowHidden);
    EXPECT_EQ(core.LastHideTime(), 6000);
}

TEST_F(OwnerCoreTest, ShortcutCommandsActOnlyWhenTheyChangeSomething) {
    settings.hideTray = 1;
    Start();
    // Shown: --show does nothing, --hide hides as the hot key does, a second --hide nothing.
    core.OnShowCommand();
    EXPECT_TRUE(effects.Take().empty());
    core.OnHideCommand();
    EXPECT_EQ(effects.Take(), (Events{"hide", "icon delete"}));
    EXPECT_EQ(core.WindowState(), kWindowHiddenByHotKey);
    core.OnHideCommand();
    EXPECT_TRUE(effects.Take().empty());
    // --show brings it back, --toggle hides and shows.
    core.OnShowCommand();
    EXPECT_EQ(effects.Take(), (Events{"restore", "icon add"}));
    EXPECT_EQ(core.WindowState(), kWindowShown);
    core.OnToggleCommand();
    core.OnToggleCommand();
    EXPECT_EQ(effects.Take(), (Events{"hide", "icon delete", "restore", "icon add"}));
    // Docked at an edge: --hide takes the strip away too, --show restores.
    core.SetWindowState(kWindowDockedAtEdge);
    core.OnHideCommand();
    EXPECT_EQ(effects.Take(), (Events{"hide", "icon delete"}));
    EXPECT_EQ(core.WindowState(), kWindowHiddenByHotKey);
    // While the settings dialog is open the window stays and the dialog comes forward.
    core.OnSettingsCommand(-1);
    effects.Take();
    core.OnShowCommand();
    core.OnToggleCommand();
    EXPECT_EQ(effects.Take(), (Events{"settings front", "settings front"}));
    EXPECT_EQ(core.WindowState(), kWindowHiddenByHotKey);
}

TEST_F(OwnerCoreTest, TrayIconCallbackRules) {
    Start();
    EXPECT_FALSE(core.OnTrayIcon(129, kTrayRightButtonUp));
    EXPECT_TRUE(core.OnTrayIcon(kTrayIconId, 0x0201)); // a single click does nothing
    EXPECT_TRUE(effects.Take().empty());
    core.OnTrayIcon(kTrayIconId, kTrayRightButtonUp);
    EXPECT_EQ(effects.Take(), (Events{"refresh on", "menu"}));
    core.OnTrayIcon(kTrayIconId, kTrayLeftDoubleClick);
    EXPECT_EQ(effects.Take(), (Events{"hide"}));
    // While the settings dialog is open both bring it forward, and no menu opens.
    core.OnSettingsCommand(-1);
    effects.Take();
    core.OnTrayIcon(kTrayIconId, kTrayRightButtonUp);
    core.OnTrayIcon(kTrayIconId, kTrayLeftDoubleClick);
    core.OnShowMenuCommand();
    EXPECT_EQ(effects.Take(), (Events{"settings front", "settings front", "settings front"}));
    EXPECT_EQ(core.WindowState(), kWindowHidden);
}

TEST_F(OwnerCoreTest, LockAfterHidingPassesAtSixtySecondsAndPromptsAtSixtyOne) {
    settings.lock.mode = 2;
    settings.lock.password = "pw";
    settings.lock.periodSeconds = 60;
    Start();
    effects.now = 10000;
    hotKey.Press(); // hidden at 10000
    effects.Take();
    effects.now = 10060;
    hotKey.Press();
    EXPECT_EQ(effects.Take(), (Events{"restore"}));
    EXPECT_EQ(core.LastHideTime(), 10060); // a pass through the period renews it

    effects.now = 20000;
    hotKey.Press();
    effects.Take();
    effects.now = 20061;
    hotKey.Press();
    EXPECT_EQ(effects.Take(), (Events{"ask 解锁密码：", "restore"}));
    EXPECT_EQ(effects.lastExpected, "pw");
    EXPECT_FALSE(core.Locked());
    EXPECT_EQ(core.LastHideTime(), 20061); // a right password starts the idle period again

    // Docked at an edge right after the unlock: the hot key brings it back without a prompt.
    core.SetWindowState(kWindowDockedAtEdge);
    effects.now = 20091;
    hotKey.Press();
    EXPECT_EQ(effects.Take(), (Events{"restore"}));
    EXPECT_EQ(core.WindowState(), kWindowShown);
}

TEST_F(OwnerCoreTest, TheScheduleHidesAWindowInSightAndShowsOnlyWhatItHid) {
    Start();
    // Closed: hidden as by the hot key, the icon stays, requests go on (the schedule is no
    // user hiding it, even with NoRefreshHidden).
    core.OnSchedule(true);
    EXPECT_EQ(effects.Take(), (Events{"hide"}));
    EXPECT_EQ(core.WindowState(), kWindowHiddenByHotKey);
    EXPECT_TRUE(core.HiddenBySchedule());
    core.OnSchedule(true); // the same answer again changes nothing
    EXPECT_TRUE(effects.Take().empty());
    // Open again: back at its place.
    core.OnSchedule(false);
    EXPECT_EQ(effects.Take(), (Events{"restore"}));
    EXPECT_EQ(core.WindowState(), kWindowShown);

    // The user shows it after the close: it stays until the next close.
    core.OnSchedule(true);
    hotKey.Press();
    EXPECT_EQ(effects.Take(), (Events{"hide", "restore"}));
    core.OnSchedule(true);
    EXPECT_TRUE(effects.Take().empty());
    EXPECT_EQ(core.WindowState(), kWindowShown);
    // A window the user hid stays hidden at the open.
    hotKey.Press();
    effects.Take();
    core.OnSchedule(false);
    EXPECT_TRUE(effects.Take().empty());
    EXPECT_EQ(core.WindowState(), kWindowHiddenByHotKey);

    // Docked at an edge it goes too; while the settings dialog is open the answer waits.
    hotKey.Press();
    core.SetWindowState(kWindowDockedAtEdge);
    core.OnSettingsCommand(0);
    effects.Take();
    core.OnSchedule(true);
    EXPECT_TRUE(effects.Take().empty());
    core.OnSettingsClosed();
    effects.Take();
    core.OnSchedule(true);
    EXPECT_EQ(effects.Take(), (Events{"hide"}));
}

TEST_F(OwnerCoreTest, TheScheduleNeverShowsPastTheLockAfterHiding) {
    settings.lock.mode = 2;
    settings.lock.password = "pw";
    settings.lock.periodSeconds = 60;
    Start();
    effects.now = 10000;
    core.OnSchedule(true);
    effects.now = 10030; // within the period: shown
    core.OnSchedule(false);
    EXPECT_EQ(effects.Take(), (Events{"hide", "restore"}));
    // Overnight: no prompt nobody may answer; the window waits for the hot key and the password.
    core.OnSchedule(true);
    effects.now = 80000;
    core.OnSchedule(false);
    EXPECT_EQ(effects.Take(), (Events{"hide"}));
    EXPECT_EQ(core.WindowState(), kWindowHiddenByHotKey);
    hotKey.Press();
    EXPECT_EQ(effects.Take(), (Events{"ask 解锁密码：", "restore"}));
}

TEST_F(OwnerCoreTest, NoRefreshHiddenPausesTheRequestsWhileTheUserHasItHidden) {
    settings.stealth.noRefreshHidden = true;
    Start();
    EXPECT_FALSE(core.RefreshPaused());
    // The hot key, the menu and the window's own hide button (the state it reports) pause.
    hotKey.Press();
    EXPECT_EQ(effects.Take(), (Events{"hide", "requests paused"}));
    EXPECT_TRUE(core.RefreshPaused());
    hotKey.Press();
    EXPECT_EQ(effects.Take(), (Events{"restore", "requests resumed"}));
    core.OnShowHideCommand();
    EXPECT_EQ(effects.Take(), (Events{"hide", "requests paused"}));
    core.OnShowHideCommand();
    EXPECT_EQ(effects.Take(), (Events{"requests resumed", "restore"}));
    core.SetWindowState(kWindowHidden);
    EXPECT_EQ(effects.Take(), (Events{"requests paused"}));
    core.SetWindowState(kWindowShown);
    effects.Take();
    // Docked at an edge is no hiding; the schedule's hiding neither.
    core.SetWindowState(kWindowDockedAtEdge);
    core.SetWindowState(kWindowShown);
    core.OnSchedule(true);
    EXPECT_EQ(effects.Take(), (Events{"hide"}));
    EXPECT_FALSE(core.RefreshPaused());

    // Switched off while hidden by the user: the requests resume at once.
    core.OnSchedule(false);
    hotKey.Press();
    effects.Take();
    ASSERT_TRUE(core.RefreshPaused());
    settings.stealth.noRefreshHidden = false;
    core.OnSettingsApplied(settings);
    EXPECT_FALSE(core.RefreshPaused());
    EXPECT_EQ(effects.Take().back(), "requests resumed");
}

TEST_F(OwnerCoreTest, AnIdleClockBeforeTheHideDoesNotCountAsWithinThePeriod) {
    settings.lock.mode = 2;
    settings.lock.password = "pw";
    settings.lock.periodSeconds = 60;
    Start();
    effects.now = 10000;
    hotKey.Press(); // hidden at 10000
    effects.Take();
    effects.now = 6400;
    hotKey.Press();
    EXPECT_EQ(effects.Take(), (Events{"ask 解锁密码：", "restore"}));
}

TEST_F(OwnerCoreTest, RefusedPromptKeepsTheWindowHiddenAndTheMenuClosed) {
    settings.lock.mode = 3;
    settings.lock.periodSeconds = 60;
    Start();
    hotKey.Press();
    effects.Take();
    effects.now += 3600;
    effects.answer = false;
    bool heldDuringPrompt = true;
    effects.duringPrompt = [&] { heldDuringPrompt = hotKey.registered; };
    hotKey.Press();
    EXPECT_FALSE(heldDuringPrompt); // the hot key is let go while the prompt is up
    EXPECT_TRUE(hotKey.registered);
    EXPECT_TRUE(core.Locked());
    EXPECT_EQ(core.WindowState(), kWindowHiddenByHotKey);
    EXPECT_EQ(effects.Take(), (Events{"ask 解锁密码："}));

    // The right click and command 100 stay shut; the hot key and a double click ask
    // again.
    core.OnTrayIcon(kTrayIconId, kTrayRightButtonUp);
    core.OnShowMenuCommand();
    EXPECT_TRUE(effects.Take().empty());
    core.SetWindowState(kWindowHidden);
    core.OnTrayIcon(kTrayIconId, kTrayLeftDoubleClick);
    EXPECT_EQ(effects.Take(), (Events{"ask 解锁密码："}));
    effects.answer = true;
    hotKey.Press();
    EXPECT_EQ(effects.Take(), (Events{"ask 解锁密码：", "show"}));
    EXPECT_FALSE(core.Locked());
    EXPECT_EQ(core.WindowState(), kWindowShownByHotKey);
}

TEST_F(OwnerCoreTest, StartUpPasswordBeforeTheFirstShow) {
    settings.lock.mode = 1;
    settings.lock.password = "secret";
    effects.answer = false;
    core.Configure(settings);
    core.StartUp(true);
    EXPECT_EQ(effects.Take(), (Events{"icon add", "ask 登陆密码："}));
    EXPECT_EQ(core.WindowState(), kWindowHidden);
    EXPECT_TRUE(core.Locked());
    // Mode 1 does not lock after hiding, but the refused prompt stays due.
    effects.answer = true;
    hotKey.Press();
    EXPECT_EQ(effects.Take(), (Events{"ask 解锁密码：", "show"}));
    EXPECT_FALSE(core.Locked());
}

TEST_F(OwnerCoreTest, RefusedStartUpPasswordWithNoWayBackEndsTheProgram) {
    settings.lock.mode = 1;
    hotKey.taken = true;
    effects.answer = false;
    core.Configure(settings);
    core.StartUp(false);
    EXPECT_EQ(effects.Take(), (Events{"icon add", "ask 登陆密码：", "icon delete", "end"}));
    EXPECT_TRUE(core.Ended());
}

TEST_F(OwnerCoreTest, StartHiddenLeavesTheWindowHidden) {
    settings.startHidden = 1;
    core.Configure(settings);
    core.StartUp(true);
    EXPECT_EQ(effects.Take(), (Events{"icon add"}));
    EXPECT_EQ(core.WindowState(), kWindowHidden);
    hotKey.Press();
    EXPECT_EQ(core.WindowState(), kWindowShownByHotKey);
}

TEST_F(OwnerCoreTest, HotKeyRegistrationLifecycle) {
    Start();
    ASSERT_TRUE(hotKey.registered);
    // Settings open: timer stopped, hot key let go, ticker locked; one dialog only.
    core.OnSettingsCommand(0);
    EXPECT_EQ(effects.Take(), (Events{"refresh off", "lock ticker", "settings 0"}));
    EXPECT_FALSE(hotKey.registered);
    core.OnSettingsCommand(-1);
    EXPECT_EQ(effects.Take(), (Events{"settings front"}));
    // Applied: new settings, the ticker told, the new combination registered.
    ShellSettings applied = settings;
    applied.hotKey = "Q";
    applied.hotKeyPress = 2;
    applied.topMost = 1;
    core.OnSettingsApplied(applied);
    EXPECT_EQ(effects.Take(), (Events{"apply settings", "topmost 1", "re-place"}));
    EXPECT_TRUE(hotKey.registered);
    EXPECT_EQ(hotKey.heldKey, 'Q');
    EXPECT_EQ(hotKey.heldModifiers, platform::kHotKeyModCtrl);
    core.OnSettingsClosed();
    EXPECT_EQ(effects.Take(), (Events{"unlock ticker", "refresh on"}));
    EXPECT_FALSE(core.SettingsOpen());
    EXPECT_TRUE(hotKey.registered);
    // A combination another program holds: quietly not registered.
    hotKey.taken = true;
    core.OnSettingsApplied(applied);
    EXPECT_FALSE(hotKey.registered);
    hotKey.taken = false;
    // Exit lets go for good: a prompt ended by the exit does not register again.
    core.OnSettingsApplied(settings);
    effects.Take();
    core.Exit();
    EXPECT_EQ(effects.Take(), (Events{"icon delete", "end"}));
    EXPECT_FALSE(hotKey.registered);
    core.OnSettingsClosed();
    hotKey.Press();
    core.Exit();
    EXPECT_FALSE(hotKey.registered);
    EXPECT_EQ(effects.Take(), (Events{"unlock ticker"}));
}

TEST_F(OwnerCoreTest, HotKeySettingsThatNameNoKeyRegisterNothing) {
    const std::vector<std::pair<std::string, int>> bad = {{"a", 1}, {"", 1},  {"#", 2},
                                                          {"1", 0}, {"1", 3}, {"Z", -1}};
    for (const auto& [key, press] : bad) {
        settings.hotKey = key;
        settings.hotKeyPress = press;
        Start();
        EXPECT_FALSE(hotKey.registered) << key << " " << press;
    }
    EXPECT_TRUE(HotKeyFromSettings("9x", 2).has_value()); // only the first character counts
}

TEST_F(OwnerCoreTest, TopMostToggleWritesTheOppositeOfOne) {
    const std::string ini = (dir.path() + "/base.ini").toStdString();
    Start();
    // None stored: "1".
    core.OnTopMostCommand();
    EXPECT_EQ(ProfileRead(ini, "sys", "TopMost"), "1");
    EXPECT_EQ(effects.Take(), (Events{"topmost 1", "re-place"}));
    core.OnTopMostCommand();
    EXPECT_EQ(ProfileRead(ini, "sys", "TopMost"), "0");
    ProfileWrite(ini, "sys", "TopMost", "7");
    core.OnTopMostCommand();
    EXPECT_EQ(ProfileRead(ini, "sys", "TopMost"), "1");
    EXPECT_EQ(core.TopMost(), 1);
    effects.Take();
    // Hidden through the menu: stored and handed to the window, which stays hidden.
    core.SetWindowState(kWindowHidden);
    core.OnTopMostCommand();
    EXPECT_EQ(effects.Take(), (Events{"topmost 0"}));
    EXPECT_EQ(core.WindowState(), kWindowHidden);
    // Hidden by the hot key: re-placed and Shown.
    core.SetWindowState(kWindowHiddenByHotKey);
    core.OnTopMostCommand();
    EXPECT_EQ(effects.Take(), (Events{"topmost 1", "re-place"}));
    EXPECT_EQ(core.WindowState(), kWindowShown);
}

} // namespace
} // namespace marlune
