// The suggestion reply parser over arbitrary service bytes (GBK as sent).
#include "net/Suggestions.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto found =
        marlune::ParseSuggestionReply(std::string_view(reinterpret_cast<const char*>(data), size));
    if (found) {
        if (found->results.empty() || found->results.size() != found->boxEntries.size() ||
            found->results.size() > marlune::kMaxSuggestionEntries)
            std::abort();
        for (std::size_t i = 0; i < found->results.size(); ++i) {
            // A box entry is always the front of its result.
            if (found->results[i].compare(0, found->boxEntries[i].size(), found->boxEntries[i]) != 0)
                std::abort();
        }
    }
    return 0;
}
