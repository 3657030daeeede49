// Fuzz entry point: the bytes of config/list.ini, read as the ticker and as the my-stocks
// page read them. Whatever was read must be written and read back to the same lines.
#include "quote/WatchListFile.h"
#include "quote_fuzz_checks.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace marlune;
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> lines = SplitListLines(bytes);
    for (const std::string& line : lines)
        fuzz::Require(fuzz::IsUtf8(line));

    for (MarketReading reading : {MarketReading::Number, MarketReading::FirstDigit}) {
        WatchList list = WatchListFromLines(lines, reading);
        fuzz::Require(list.size() <= lines.size());
        std::string saved = WatchListFileBytes(list);
        WatchList reloaded = WatchListFromLines(SplitListLines(saved), reading);
        fuzz::Require(reloaded.size() == list.size());
        fuzz::Require(WatchListFileBytes(reloaded) == saved);
    }
    return 0;
}
