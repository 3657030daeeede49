#pragma once
// What the ticker window needs from its owner, the program's hidden controller with the
// tray icon and the hot key: the shared window state, what the window passes on (the close
// button, the popup menu's entries) and the open settings dialog. Alert messages reach the
// owner by the window's alertsRaised signal.

#include <cstdint>

namespace marlune {

// Visibility of the ticker window as the owner records it.
enum WindowState : int {
    kWindowHidden = 0,
    kWindowShown = 1,
    kWindowShownByHotKey = 3,
    kWindowDockedAtEdge = 4,
    kWindowHiddenByHotKey = -2,
};

// Commands other processes send (--send, --refresh, WM_TICKER_COMMAND): refresh the quotes,
// show the ticker window.
enum TickerCommandId : int {
    kCmdRefresh = 1127,
    kCmdRestore = 1135,
};

class TickerOwner {
public:
    virtual ~TickerOwner() = default;
    virtual int GetWindowState() const = 0;
    virtual void SetWindowState(int state) = 0;
    // The window has just been hidden (the auto-lock counts its idle time from here).
    virtual void NoteWindowHidden() = 0;
    // The close button: the owner ends the program.
    virtual void ExitRequested() = 0;
    // A popup-menu entry the ticker window does not handle itself.
    virtual void OnMenuCommand(int id) = 0;
    // The caption buttons only do this while the settings dialog is open.
    virtual void BringSettingsToFront() = 0;
    // The hide button was pressed; the window hides when this returns.
    virtual void BeforeHideByButton() {}
    // Menu "暂停预警" was chosen in this run: its entry shows the check mark.
    virtual bool AlertsPaused() const { return false; }
};

} // namespace marlune
