#pragma once
// What the settings dialog needs from the program's owner (the hidden controller with the
// tray icon and the hot key), which opens the dialog from its menu entries "设置" and
// "添加自选股".
//
// The owner's side of opening stays with the owner: it stops the ticker's refresh timer,
// sets its settings-open flag, unregisters the hot key, locks the ticker window's buttons,
// creates the dialog and places it top-most at the centre of the work area. The dialog calls
// back through this interface.

namespace marlune {

class SettingsHost {
public:
    virtual ~SettingsHost() = default;

    // Command 1131: the settings may have changed. Queued by the dialog after "确定", "应用"
    // and "取消", so it runs after the button's handler has returned (and after the dialog has
    // closed for "确定"/"取消"). The owner re-reads its settings and passes the command on to
    // the ticker window. When the host is also a QObject, a call still queued when it is
    // destroyed is dropped.
    virtual void OnSettingsApplied() = 0;

    // The owner's register-hot-key operation: clears the ticker window's lock flag and the
    // settings-open flag and registers the hot key again. Called directly by "确定" and
    // "取消", and once more when the dialog window is finally closed (also through its
    // close box).
    virtual void RegisterHotKeyAfterSettings() = 0;

    // The dialog window has been closed and is about to be deleted: the owner forgets its
    // pointer to it (called after the last RegisterHotKeyAfterSettings).
    virtual void OnSettingsDialogClosed() = 0;
};

} // namespace marlune
