#pragma once
// The per-system hot key implementations behind CreateGlobalHotKey. Each returns null
// when its window system is not the one the program runs on.

#include "platform/GlobalHotKey.h"

#include <memory>

namespace marlune::platform {

#if defined(_WIN32)
std::unique_ptr<GlobalHotKey> CreateWindowsHotKey();
#elif defined(MARLUNE_HAVE_XCB)
std::unique_ptr<GlobalHotKey> CreateX11HotKey();
#endif

} // namespace marlune::platform
