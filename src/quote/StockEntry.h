#pragma once
// The watch-list row and the parsed quote of one stock.

#include <deque>
#include <string>
#include <vector>

namespace marlune {

// Markets as the watch list stores them (quote/Markets.h has the table of them).
enum Market : int {
    kMarketShanghai = 1,
    kMarketShenzhen = 2,
    kMarketBeijing = 3,
    kMarketHongKong = 4,
    kMarketUnitedStates = 5,
    kMarketFund = 6, // open-end funds
};

// One parsed quote. Every value is the display text exactly as printed (UTF-8).
struct QuoteRecord {
    std::string code;
    std::string name;
    int market = 0;
    std::string price;
    std::string low;
    std::string high;
    std::string open;
    std::string previousClose;
    std::string volume;
    std::string amount;
    std::string changeRate;
    std::string change;
    std::string spare; // never filled
    std::string amplitude;
    std::string plRate;
    std::string plAmount;
    std::string dateTime;
    // The service's delayed form of the quote (Hong Kong's "hk" statements of Sina and Tencent,
    // some minutes behind the exchange); the detail popup says so.
    bool delayed = false;
};

// One watch-list row with the user's holding and alert limits.
struct StockEntry {
    std::string recordKey;
    std::string code;
    std::string name;
    int rowIndex = -1;
    int market = -1;
    int alertFlag = 0;
    float lowerLimit = 0.0f;
    float upperLimit = 0.0f;
    int quantity = 0;
    float cost = 0.0f;
    // Change-rate alerts against the previous close, in per cent: at +riseRate or above, at
    // -fallRate or below; 0 is off. Kept in data/watchextras.txt, not in list.ini.
    double riseRate = 0.0;
    double fallRate = 0.0;
    // The user's own name for the stock, shown instead of its name wherever the ticker
    // names it (the grid, the detail popup, the alerts); empty for none. Kept in
    // data/watchextras.txt.
    std::string alias;
    QuoteRecord quote;
};

// The name the ticker shows for an entry: its alias, else its name in the list.
inline const std::string& ShownName(const StockEntry& entry) {
    return entry.alias.empty() ? entry.name : entry.alias;
}

// The watch list grows at the end without moving existing entries.
using WatchList = std::deque<StockEntry>;
using QuoteList = std::vector<QuoteRecord>;

} // namespace marlune
