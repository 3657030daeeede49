// Picks the hot key implementation of the running window system.
#include "platform/GlobalHotKey.h"

#include "platform/GlobalHotKeyBackends.h"

namespace marlune::platform {

namespace {

// Where no window system offers global keys: registering always fails, quietly.
class UnavailableHotKey final : public GlobalHotKey {
public:
    bool Register(int, char) override { return false; }
    void Unregister() override {}
    bool IsRegistered() const override { return false; }
};

} // namespace

std::unique_ptr<GlobalHotKey> CreateGlobalHotKey() {
#if defined(_WIN32)
    if (auto hotKey = CreateWindowsHotKey())
        return hotKey;
#elif defined(MARLUNE_HAVE_XCB)
    if (auto hotKey = CreateX11HotKey())
        return hotKey;
#endif
    return std::make_unique<UnavailableHotKey>();
}

} // namespace marlune::platform
