#include "platform/DisplayCheck.h"

#include <cstdlib>

namespace marlune::platform {

namespace {
bool IsSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}
} // namespace

bool DisplayAvailable() {
#if defined(_WIN32)
    return true;
#else
    return IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY") || IsSet("QT_QPA_PLATFORM");
#endif
}

} // namespace marlune::platform
