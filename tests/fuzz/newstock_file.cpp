// The new-stock frame over arbitrary bytes: a tip, when found, is clean UTF-8.
#include "net/UpdateRules.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto tip = marlune::ExtractNewStockTip(bytes);
    if (tip) {
        // Inside the frame of the cleaned text, and itself well-formed UTF-8.
        const std::string marked = "a" + *tip;
        if (tip->size() + 9 > marlune::CleanUtf8Reply(bytes).size() ||
            marlune::CleanUtf8Reply(marked) != marked)
            std::abort();
    }
    return 0;
}
