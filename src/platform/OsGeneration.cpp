// The Windows generation: only Windows before 8 has a non-zero one.
#include "platform/WindowPlatform.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace marlune::platform {

int OsGeneration() {
#if defined(_WIN32)
    // GetVersion reports at most 6.2 to programs without a manifest naming later
    // versions, which is exactly the distinction needed here.
    const DWORD version = GetVersion();
    const int major = LOBYTE(LOWORD(version));
    const int minor = HIBYTE(LOWORD(version));
    if (major < 6)
        return 1;
    if (minor == 0)
        return 2;
    if (minor == 1)
        return 3;
    return 0;
#else
    return 0;
#endif
}

} // namespace marlune::platform
