// The desktop's proxy setting, as the operating system keeps it.
#include "net/ProxyProbe.h"
#include "platform/os/SystemProxy.h"

namespace marlune {

DesktopProxySetting ReadDesktopProxySetting() {
    DesktopProxySetting setting;
    if (std::optional<std::string> text = os::SystemProxyText()) {
        setting.readable = true;
        setting.text = std::move(*text);
    }
    return setting;
}

} // namespace marlune
