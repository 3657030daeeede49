#pragma once
// The securities the simulated market trades: real Shanghai and Shenzhen A shares and
// the main indices, with the short names and pinyin initials the suggestion service
// matches against.

#include <cstddef>
#include <string_view>
#include <vector>

namespace marlune::sim {

struct StockInfo {
    const char* code;     // six digits
    int market;           // 1 Shanghai, 2 Shenzhen (as the watch list stores it)
    const char* name;     // short name, UTF-8
    const char* initials; // pinyin initials of the short name, upper case ("PFYH")
    double baseClose;     // the price level the simulated closes wander around
    double indexTurnover; // an index's daily turnover in 100 million yuan; 0 for a share

    bool IsIndex() const { return indexTurnover > 0; }
    // "sh" or "sz", as the Sina and Hexun services prefix codes.
    const char* MarketPrefix() const { return market == 1 ? "sh" : "sz"; }
};

// Every security, indices first, then Shanghai shares, then Shenzhen shares.
const std::vector<StockInfo>& AllStocks();

// The security with this market (1 or 2) and six-digit code, or null.
const StockInfo* FindStock(int market, std::string_view code);

// The security named by a prefixed code such as "sh600000" or "sz000001"; null for
// anything else (the prefix is matched in lower case only).
const StockInfo* FindStockByPrefixedCode(std::string_view prefixedCode);

} // namespace marlune::sim
