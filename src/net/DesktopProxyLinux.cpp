// The desktop's proxy setting on Linux: the proxy environment variables, which desktop
// sessions and shells set from the system's network settings.
#include "net/ProxyProbe.h"

#include <cstdlib>

namespace marlune {

DesktopProxySetting ReadDesktopProxySetting() {
    DesktopProxySetting setting;
    setting.readable = true;
    for (const char* name : {"http_proxy", "HTTP_PROXY"}) {
        const char* value = std::getenv(name);
        if (value && *value) {
            setting.text = value;
            break;
        }
    }
    return setting;
}

} // namespace marlune
