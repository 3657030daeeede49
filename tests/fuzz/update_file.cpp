// The version file rules over arbitrary bytes.
#include "net/UpdateRules.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    marlune::UpdateCheckState state;
    state.applyVersionFile(bytes, size % 2 == 0);
    state.install(true);
    marlune::IsUpdateOffered(bytes, "");
    return 0;
}
