#pragma once
// The owner's rules without any window: the record of the ticker window's visibility
// (WindowState) and how the hot key, the show/hide command and the tray icon change it,
// the password lock check, the settings-open and locked flags, when the hot key is
// registered, the top-most toggle and the exit path. What these rules do to windows,
// the tray icon and dialogs goes through OwnerEffects, which the Qt owner implements
// and tests replace.

#include "app/ShellSettings.h"
#include "platform/GlobalHotKey.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace marlune {

// Mouse messages of the tray icon's callback, with the values the notification area
// has always used.
enum TrayMouseMessage : int {
    kTrayLeftDoubleClick = 0x0203,
    kTrayRightButtonUp = 0x0205,
};
// The one tray icon's identifier.
inline constexpr int kTrayIconId = 128;

class OwnerEffects {
public:
    virtual ~OwnerEffects() = default;

    // The ticker window.
    virtual void ShowTicker() = 0; // shown and given the focus
    virtual void HideTicker() = 0;
    virtual void RestoreTicker() = 0; // back to its stored place, shown
    virtual void RePlaceTicker() = 0; // onto the screen, at its window level
    virtual void ApplySettingsToTicker() = 0;
    virtual void SetTickerTopMost(int topMost) = 0;
    virtual void SetTickerLocked(bool locked) = 0;
    virtual void RestartTickerRefresh() = 0; // the quote timer with its normal period
    virtual void StopTickerRefresh() = 0;
    // No requests at all while paused (the user hid the window and wants none then).
    virtual void PauseTickerRefresh(bool paused) = 0;

    // The tray icon: Add also replaces an icon that is there.
    virtual void AddTrayIcon() = 0;
    virtual void DeleteTrayIcon() = 0;
    virtual void ShowPopupMenu() = 0; // at the cursor

    // The settings dialog (page: the dialog's first page to show, 0 = its default).
    virtual void OpenSettings(int page) = 0;
    virtual void BringSettingsToFront() = 0;

    // Runs the unlock dialog modally: true when the typed password matched.
    virtual bool AskPassword(const std::string& expected, const std::string& prompt) = 0;

    // Seconds on a clock that only runs forward, whatever the date is set to: the idle
    // time of the lock after hiding is measured on it, so that setting the clock back
    // does not let a hidden window show without the password.
    virtual std::int64_t SteadySeconds() const = 0;

    // Ends the program's event loop (after the exit path has cleaned up).
    virtual void EndProgram() = 0;
};

class OwnerCore {
public:
    // The hot key and the effects must outlive the core. baseIniPath is the file the
    // top-most toggle writes.
    OwnerCore(OwnerEffects& effects, platform::GlobalHotKey& hotKey, std::string baseIniPath);

    // Takes the owner's copies of the settings (start-up).
    void Configure(const ShellSettings& settings);
    const ShellSettings& Settings() const { return m_settings; }

    // The end of start-up, once the ticker window exists: the tray icon, the hot key,
    // the start-up password (lock modes 1 and 3) and the first show (unless the window
    // starts hidden). When the start-up password was refused and neither a tray icon nor
    // the hot key can bring the prompt back, the program ends.
    void StartUp(bool trayAvailable);

    // The hot key was pressed.
    void OnHotKey();
    // marlune --toggle, --show and --hide, the desktop shortcuts' stand-ins for the hot key.
    // Toggle does what the hot key does; show and hide do it only when it would show the
    // window (hidden, hidden by the hot key, docked at an edge) or hide it (in sight), so a
    // shortcut pressed twice does not undo itself. While the settings dialog is open (the
    // hot key is released then) they bring the dialog forward instead.
    void OnToggleCommand();
    void OnShowCommand();
    void OnHideCommand();
    // Menu "显示窗口"/"隐藏窗口(最小化)", and a double click on the tray icon.
    void OnShowHideCommand();
    // The tray icon's callback: the icon's identifier and the mouse message. Returns
    // false for another icon (nothing is done).
    bool OnTrayIcon(int iconId, int mouseMessage);
    // Command 100: the popup menu at the cursor, unless the lock keeps it closed.
    void OnShowMenuCommand();
    // Menu "总在最顶层": toggles TopMost in base.ini.
    void OnTopMostCommand();
    // Menu "设置" and "添加自选股".
    void OnSettingsCommand(int page);
    // The settings dialog has closed: its flags are cleared and the hot key registered.
    void OnSettingsClosed();
    // Command 1131 from the settings dialog: the settings as stored now.
    void OnSettingsApplied(const ShellSettings& settings);
    // The exit path: hot key released, tray icon removed, program ended. Once only.
    void Exit();
    // The schedule's answer (config/StealthSettings.h; asked every half minute and after an
    // apply): when it turns to hidden, a window in sight is hidden (the hot key brings it
    // back); when it turns back, a window the schedule hid is shown again, unless the lock
    // after hiding would ask for the password first (the user shows it then). While the
    // settings dialog or a password prompt is open nothing changes until the next answer.
    void OnSchedule(bool hidden);
    bool HiddenBySchedule() const { return m_hiddenBySchedule; }
    // The ticker's requests are paused (NoRefreshHidden while the user has it hidden).
    bool RefreshPaused() const { return m_refreshPaused; }

    // The lock check on the show paths: true when the window may be shown.
    bool LockCheck();

    // The shared state.
    int WindowState() const { return m_windowState; }
    void SetWindowState(int state) { setWindowState(state); }
    std::int64_t LastHideTime() const { return m_lastHideTime; }
    // The window was hidden just now (by its own hide button): the idle time starts.
    void NoteHidden() { m_lastHideTime = m_effects.SteadySeconds(); }
    bool SettingsOpen() const { return m_settingsOpen; }
    bool Locked() const { return m_locked; }
    bool Prompting() const { return m_prompting; }
    bool TrayIconShown() const { return m_iconShown; }
    bool Ended() const { return m_ended; }
    int TopMost() const { return m_settings.topMost; }

private:
    // Every change of the window's state goes through here: the schedule's hide is told
    // apart from the user's, and the ticker's requests pause or resume with it.
    void setWindowState(int state, bool bySchedule = false);
    void updateRefreshPause();
    // The lock check's answer without asking: true when showing now would need the password.
    bool lockWouldAsk() const;
    void registerHotKey();
    void unregisterHotKey();
    void addIcon();
    void deleteIcon();
    bool askPassword(std::string_view prompt);
    // Back at its place (docked or hidden by the hot key), once the lock check passes.
    void restoreTicker();
    void showIconAgain();
    void hideByHotKey(int newState);
    // True (and the dialog brought forward) while the settings dialog is open.
    bool settingsInTheWay();

    OwnerEffects& m_effects;
    platform::GlobalHotKey& m_hotKey;
    std::string m_baseIniPath;
    ShellSettings m_settings;
    int m_windowState = 0;
    std::int64_t m_lastHideTime = 0;
    bool m_settingsOpen = false;
    bool m_locked = false;
    bool m_prompting = false;
    bool m_iconShown = false;
    bool m_trayAvailable = false;
    bool m_ended = false;
    bool m_scheduleHides = false;    // the schedule's last answer
    bool m_hiddenBySchedule = false; // the window is out of sight because the schedule said so
    bool m_refreshPaused = false;
};

} // namespace marlune
