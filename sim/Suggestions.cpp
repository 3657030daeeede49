#include "sim/Suggestions.h"

#include "quote/Markets.h"
#include "sim/ForeignMarkets.h"
#include "text/Fields.h"

#include <algorithm>
#include <cctype>

namespace marlune::sim {

namespace {

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return out;
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

enum Rank { kExactCode, kCodePrefix, kInitialsPrefix, kNamePrefix, kNameContains, kNoMatch };

bool Contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

bool TypeAsked(int type, std::string_view types) {
    if (types.empty())
        return true;
    for (const std::string& asked : SplitFields(types, ","))
        if (asked == std::to_string(type))
            return true;
    return false;
}

Rank RankOf(const StockInfo& stock, const std::string& key, std::string& matched) {
    const std::string code = Lower(stock.code);
    const std::string prefixed = Lower(SuggestFullCodeOf(stock));
    const std::string initials = Lower(stock.initials);
    const std::string name = Lower(stock.name);
    if (key == code || key == prefixed) {
        matched = stock.code;
        return kExactCode;
    }
    if (StartsWith(code, key) || (key.size() > 2 && StartsWith(prefixed, key))) {
        matched = stock.code;
        return kCodePrefix;
    }
    if (StartsWith(initials, key)) {
        matched = initials;
        return kInitialsPrefix;
    }
    if (StartsWith(name, key)) {
        matched = stock.name;
        return kNamePrefix;
    }
    if (name.find(key) != std::string::npos) {
        matched = stock.name;
        return kNameContains;
    }
    return kNoMatch;
}

} // namespace

int SuggestTypeOf(const StockInfo& stock) {
    switch (stock.market) {
    case kMarketHongKong:
        return std::string_view(stock.code).size() == 5 ? 31 : 33;
    case kMarketUnitedStates:
        return 41;
    case kMarketFund:
        if (Contains(stock.name, "(LOF)"))
            return 23;
        if (Contains(stock.name, "(QDII)"))
            return 25;
        return Contains(stock.name, "ETF") ? 22 : 21;
    default:
        return 11;
    }
}

std::string SuggestCodeOf(const StockInfo& stock) {
    // The service writes Hong Kong indices and US tickers in lower case.
    return stock.market == kMarketHongKong || stock.market == kMarketUnitedStates ? Lower(stock.code)
                                                                                  : std::string(stock.code);
}

std::string SuggestFullCodeOf(const StockInfo& stock) {
    switch (stock.market) {
    case kMarketHongKong:
    case kMarketUnitedStates:
        return SuggestCodeOf(stock);
    case kMarketFund:
        return "of" + std::string(stock.code);
    default:
        return MarketOf(stock.market)->sinaPrefix + std::string(stock.code);
    }
}

std::vector<Suggestion> FindSuggestions(std::string_view keyUtf8, std::size_t limit, std::string_view types) {
    const std::string key = Lower(Trimmed(keyUtf8));
    std::vector<std::pair<Rank, Suggestion>> found;
    if (key.empty()) {
        return {};
    }
    for (const std::vector<StockInfo>* table : {&AllStocks(), &ForeignStocks()}) {
        for (const StockInfo& stock : *table) {
            if (!TypeAsked(SuggestTypeOf(stock), types))
                continue;
            Suggestion suggestion{&stock, {}};
            const Rank rank = RankOf(stock, key, suggestion.matched);
            if (rank != kNoMatch) {
                found.emplace_back(rank, std::move(suggestion));
            }
        }
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<Suggestion> result;
    for (auto& entry : found) {
        if (result.size() == limit) {
            break;
        }
        result.push_back(std::move(entry.second));
    }
    return result;
}

std::string SuggestReplyText(std::string_view keyUtf8, std::string_view types) {
    std::string out = "var suggestvalue=\"";
    const std::vector<Suggestion> found = FindSuggestions(keyUtf8, 10, types);
    for (std::size_t i = 0; i < found.size(); ++i) {
        const StockInfo& stock = *found[i].stock;
        if (i > 0) {
            out += ";";
        }
        // As the real service writes an entry: the match, the type, the code, the full code,
        // the name, an empty field, the name again, 99, 1 and two empty fields. No ";" after
        // the last entry.
        out += found[i].matched + "," + std::to_string(SuggestTypeOf(stock)) + "," + SuggestCodeOf(stock) +
               "," + SuggestFullCodeOf(stock) + "," + stock.name + ",," + stock.name + ",99,1,,";
    }
    out += "\";";
    return out;
}

} // namespace marlune::sim
