// Fuzz entry point: the bytes of config/list.ini, read as the ticker and as the my-stocks
// page read them. Whatever was read must be written and read back to the same entries, and
// every line that gave no entry must come back too.
#include "quote/WatchListFile.h"
#include "quote_fuzz_checks.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

void RequireSameAfterReload(const std::string& saved, marlune::MarketReading reading, std::size_t entries,
                            std::size_t unreadLines) {
    marlune::ListFile reloaded = marlune::ParseListFile(saved, reading);
    marlune::fuzz::Require(reloaded.entries.size() == entries);
    marlune::fuzz::Require(reloaded.unreadLines.size() == unreadLines);
    marlune::fuzz::Require(marlune::WatchListFileBytes(reloaded.entries, reloaded.unreadLines) == saved);
}

} // namespace

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
        // Saved files are GBK: read back as GBK they give the same entries, the same kept
        // lines and the same bytes again. A saved file that is valid UTF-8 as well (its only
        // non-ASCII bytes are GBK that also form UTF-8) is read as UTF-8, as a file of another
        // editor would be: what it holds may then read differently once, and the next save
        // that reads back as GBK is the fixed point.
        if (!IsUtf8ListFile(*saved)) {
            RequireSameAfterReload(*saved, reading, file.entries.size(), file.unreadLines.size());
            continue;
        }
        ListFile reloaded = ParseListFile(*saved, reading);
        std::optional<std::string> savedAgain = WatchListFileBytes(reloaded.entries, reloaded.unreadLines);
        if (savedAgain && !IsUtf8ListFile(*savedAgain))
            RequireSameAfterReload(*savedAgain, reading, reloaded.entries.size(),
                                   reloaded.unreadLines.size());
    }
    return 0;
}
