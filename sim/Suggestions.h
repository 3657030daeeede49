#pragma once
// The Sina suggestion service: securities whose code, short name or pinyin initials
// match what the user typed.

#include "sim/StockTable.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace marlune::sim {

struct Suggestion {
    const StockInfo* stock = nullptr;
    std::string matched; // the code, the initials (lower case) or the name that matched
};

// Matches, best first: the exact code, code prefixes (also written "sh600..."), prefixes
// of the pinyin initials, prefixes of the name, then names containing the key. Letters
// match in either case; blanks around the key are ignored. An empty key matches nothing.
std::vector<Suggestion> FindSuggestions(std::string_view keyUtf8, std::size_t limit = 10);

// The reply in UTF-8, in the real service's form: var suggestvalue="entry;entry"; with
// each entry "matched,11,600000,sh600000,name,,name,99,1,," and no ";" after the last;
// var suggestvalue=""; without matches.
std::string SuggestReplyText(std::string_view keyUtf8);

} // namespace marlune::sim
