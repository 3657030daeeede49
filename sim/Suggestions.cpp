#include "sim/Suggestions.h"

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

Rank RankOf(const StockInfo& stock, const std::string& key, std::string& matched) {
    const std::string code = stock.code;
    const std::string prefixed = std::string(stock.MarketPrefix()) + code;
    const std::string initials = Lower(stock.initials);
    const std::string name = Lower(stock.name);
    if (key == code || key == prefixed) {
        matched = code;
        return kExactCode;
    }
    if (StartsWith(code, key) || (key.size() > 2 && StartsWith(prefixed, key))) {
        matched = code;
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

std::vector<Suggestion> FindSuggestions(std::string_view keyUtf8, std::size_t limit) {
    const std::string key = Lower(Trimmed(keyUtf8));
    std::vector<std::pair<Rank, Suggestion>> found;
    if (key.empty()) {
        return {};
    }
    for (const StockInfo& stock : AllStocks()) {
        Suggestion suggestion{&stock, {}};
        const Rank rank = RankOf(stock, key, suggestion.matched);
        if (rank != kNoMatch) {
            found.emplace_back(rank, std::move(suggestion));
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

std::string SuggestReplyText(std::string_view keyUtf8) {
    std::string out = "var suggestvalue=\"";
    const std::vector<Suggestion> found = FindSuggestions(keyUtf8);
    for (std::size_t i = 0; i < found.size(); ++i) {
        const StockInfo& stock = *found[i].stock;
        if (i > 0) {
            out += ";";
        }
        // As the real service writes an entry: the match, the type (11: A share), the code,
        // the code with its market, the name, an empty field, the name again, 99, 1 and two
        // empty fields. No ";" after the last entry.
        out += found[i].matched + ",11," + stock.code + "," + stock.MarketPrefix() + stock.code + "," +
               stock.name + ",," + stock.name + ",99,1,,";
    }
    out += "\";";
    return out;
}

} // namespace marlune::sim
