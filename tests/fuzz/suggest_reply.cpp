// The suggestion reply parser over arbitrary service bytes (GBK as sent).
#include "net/Suggestions.h"
#include "quote/Markets.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto found =
        marlune::ParseSuggestionReply(std::string_view(reinterpret_cast<const char*>(data), size));
    if (found) {
        if (found->entries.empty() || found->entries.size() > marlune::kMaxSuggestionEntries)
            std::abort();
        for (const marlune::Suggestion& entry : found->entries) {
            // A box entry is always the front of its result, and the market one the program knows.
            if (entry.result.compare(0, entry.boxEntry.size(), entry.boxEntry) != 0 ||
                marlune::MarketOf(entry.market) == nullptr)
                std::abort();
        }
    }
    return 0;
}
