// The proxy setting on Linux and other POSIX systems: the environment.
#if !defined(_WIN32)

#include "platform/os/SystemProxy.h"

#include <cstdlib>

namespace marlune::os {

std::optional<std::string> SystemProxyText() {
    for (const char* name : {"http_proxy", "HTTP_PROXY"}) {
        const char* value = std::getenv(name);
        if (value && *value)
            return std::string(value);
    }
    return std::string();
}

} // namespace marlune::os

#endif
