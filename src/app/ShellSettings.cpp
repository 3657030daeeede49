#include "app/ShellSettings.h"

#include "config/Profile.h"
#include "config/SettingsKeys.h"
#include "config/XmlSettingsStore.h"
#include "text/CNumber.h"

#include "platform/GlobalHotKey.h"

namespace marlune {

ShellSettings ReadShellSettings(const std::string& baseIniPath, const std::string& xmlPath) {
    ShellSettings settings;
    settings.hotKey = ProfileRead(baseIniPath, baseini::kHotKey.section, baseini::kHotKey.name);
    settings.hotKeyPress =
        ProfileReadInt(baseIniPath, baseini::kHotKeyPress.section, baseini::kHotKeyPress.name);
    settings.topMost = ProfileReadInt(baseIniPath, baseini::kTopMost.section, baseini::kTopMost.name);

    XmlSettingsStore store;
    store.SetPath(xmlPath);
    if (!store.IsOpenable())
        return settings;
    auto number = [&store](const XmlKey& key) { return AtoI(store.GetValue(key.name)); };
    settings.hideTray = number(sstconf::kMiniTray);
    settings.startHidden = number(sstconf::kMiniWnd);
    settings.autoUpgrade = number(sstconf::kAutoUpdate);
    settings.newStockTip = number(sstconf::kNewStockTip);
    settings.lock.mode = number(sstconf::kSecurty);
    settings.lock.password = store.GetValue(sstconf::kLoginPd.name);
    settings.lock.periodSeconds = static_cast<std::int64_t>(number(sstconf::kLockTime)) * 60;
    settings.proxy = StoredDownloadProxy(number(sstconf::kProxyType), store.GetValue(sstconf::kProxyIp.name),
                                         store.GetValue(sstconf::kProxyPort.name),
                                         store.GetValue(sstconf::kProxyUser.name),
                                         store.GetValue(sstconf::kProxyPasswd.name));
    settings.stealth = ReadStealthSettings(xmlPath);
    return settings;
}

std::optional<HotKeyChoice> HotKeyFromSettings(const std::string& hotKey, int hotKeyPress) {
    if (hotKey.empty() || (hotKeyPress != baseini::kHotKeyAlt && hotKeyPress != baseini::kHotKeyCtrl))
        return std::nullopt;
    const int modifiers =
        hotKeyPress == baseini::kHotKeyAlt ? platform::kHotKeyModAlt : platform::kHotKeyModCtrl;
    if (!platform::IsValidHotKey(modifiers, hotKey[0]))
        return std::nullopt;
    return HotKeyChoice{modifiers, hotKey[0]};
}

DownloadProxy StoredDownloadProxy(int proxyType, const std::string& host, const std::string& port,
                                  const std::string& user, const std::string& password) {
    DownloadProxy proxy;
    if (proxyType != sstconf::kProxyHttp && proxyType != sstconf::kProxyDesktop)
        return proxy;
    proxy.kind = proxyType == sstconf::kProxyHttp ? ProxyKind::kHttp : ProxyKind::kDesktop;
    // A missing key reads as "0": no address.
    proxy.host = host == sstconf::kDefaultOnMiss ? std::string() : host;
    proxy.port = port == sstconf::kDefaultOnMiss ? std::string() : port;
    proxy.user = user == sstconf::kDefaultOnMiss ? std::string() : user;
    proxy.password = password == sstconf::kDefaultOnMiss ? std::string() : password;
    return proxy;
}

} // namespace marlune
