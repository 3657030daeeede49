// Fuzz entry point: the bytes of config/list.ini, read as the ticker and as the my-stocks
// page read them. Whatever was read must be written and read back to the same entries, and
// every line that gave no entry must come back too.
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
        ListFile file = ParseListFile(bytes, reading);
        fuzz::Require(file.entries.size() <= lines.size());
        fuzz::Require(WatchListFromLines(lines, reading).size() == file.entries.size());
        std::optional<std::string> saved = WatchListFileBytes(file.entries, file.unreadLines);
        if (!saved)
            continue; // a text GBK cannot hold: the save is refused, nothing is lost
        ListFile reloaded = ParseListFile(*saved, reading);
        fuzz::Require(reloaded.entries.size() == file.entries.size());
        fuzz::Require(reloaded.unreadLines.size() == file.unreadLines.size());
        fuzz::Require(WatchListFileBytes(reloaded.entries, reloaded.unreadLines) == saved);
    }
    return 0;
}
