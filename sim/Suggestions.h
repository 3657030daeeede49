#pragma once
// The Sina suggestion service: securities of every market (A shares, the Beijing exchange,
// Hong Kong, the US and funds) whose code, short name or pinyin initials match what the user
// typed, of the types the request asks for.

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

// The service's type of a security: 11 A share (Shanghai, Shenzhen, Beijing), 21 open-end
// fund, 22 ETF, 23 LOF, 25 QDII fund (the last three by the fund's name), 31 Hong Kong stock,
// 33 Hong Kong index, 41 US stock.
int SuggestTypeOf(const StockInfo& stock);

// The entry's code and full code as the service writes them: "600000" and "sh600000",
// "920118" and "bj920118", "00700" twice, "aapl" twice, "161725" and "of161725".
std::string SuggestCodeOf(const StockInfo& stock);
std::string SuggestFullCodeOf(const StockInfo& stock);

// Matches, best first: the exact code, code prefixes (also written "sh600..."), prefixes
// of the pinyin initials, prefixes of the name, then names containing the key. Letters
// match in either case; blanks around the key are ignored. An empty key matches nothing.
// `types` is the request's comma-separated type list: only securities of those types are
// found; an empty list finds every type.
std::vector<Suggestion> FindSuggestions(std::string_view keyUtf8, std::size_t limit = 10,
                                        std::string_view types = {});

// The reply in UTF-8, in the real service's form: var suggestvalue="entry;entry"; with
// each entry "matched,type,code,full code,name,,name,99,1,," ("苹果,41,aapl,aapl,苹果,,苹果,
// 99,1,,") and no ";" after the last; var suggestvalue=""; without matches.
std::string SuggestReplyText(std::string_view keyUtf8, std::string_view types = {});

} // namespace marlune::sim
