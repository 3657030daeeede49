#pragma once
// The owner's copies of the stored settings: the hot key and TopMost from base.ini, the
// lock, the tray, the update options and the proxy from SSTConf.xml. Read at start-up
// and after every settings apply.

#include "config/StealthSettings.h"
#include "net/DownloadProxy.h"

#include <cstdint>
#include <optional>
#include <string>

namespace marlune {

struct LockSettings {
    int mode = 0;               // Securty: 0 off, 1 at start-up, 2 after hiding, 3 both
    std::string password;       // LoginPd
    std::int64_t periodSeconds; // LockTime minutes x 60

    LockSettings() : periodSeconds(0) {}
    bool asksAtStartUp() const { return mode == 1 || mode == 3; }
    bool locksAfterHiding() const { return mode == 2 || mode == 3; }
};

struct ShellSettings {
    // base.ini [sys]
    std::string hotKey;  // HotKey: its first character is the key
    int hotKeyPress = 0; // HotKeyPress: 1 Alt, 2 Ctrl
    int topMost = 0;     // TopMost
    // SSTConf.xml
    int hideTray = 0;    // MiniTray: the hot key hides the tray icon with the window
    int startHidden = 0; // MiniWnd: the ticker window is not shown at start-up
    int autoUpgrade = 0; // AutoUpdate: check at start-up, install without asking
    int newStockTip = 0; // NewStockTip: fetch the new-stock tip at start-up
    LockSettings lock;
    DownloadProxy proxy;     // ProxyType, ProxyIp, ProxyPort, ProxyUser, ProxyPasswd
    StealthSettings stealth; // the hiding options (HideAfterClose, NoRefreshHidden, ...)
};

// Reads both files. A missing or unreadable file gives zeros and empty texts (the
// hot key then registers nothing, the lock is off).
ShellSettings ReadShellSettings(const std::string& baseIniPath, const std::string& xmlPath);

// The hot key the settings name: HotKeyPress 1 (Alt) or 2 (Ctrl) with a HotKey whose
// first character is a digit or a capital letter. Anything else names none, and no hot
// key is registered.
struct HotKeyChoice {
    int modifiers = 0;
    char key = 0;
};
std::optional<HotKeyChoice> HotKeyFromSettings(const std::string& hotKey, int hotKeyPress);

// The proxy the stored network settings name: type 1 an HTTP proxy, type 2 the
// desktop's proxy (the stored address when there is one), anything else none.
DownloadProxy StoredDownloadProxy(int proxyType, const std::string& host, const std::string& port,
                                  const std::string& user, const std::string& password);

} // namespace marlune
