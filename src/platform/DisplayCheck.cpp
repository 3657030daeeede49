#include "platform/DisplayCheck.h"

#include <cstdlib>

namespace marlune::platform {

#if !defined(_WIN32)
namespace {
bool IsSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}
} // namespace
#endif

bool DisplayAvailable() {
#if defined(_WIN32)
    // A Windows session always has its desktop.
    return true;
#else
    return IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY") || IsSet("QT_QPA_PLATFORM");
#endif
}

} // namespace marlune::platform
