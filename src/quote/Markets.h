#pragma once
// The markets a watch-list entry can belong to, as one table: list.ini's market number, the
// names the program shows, what a valid code looks like, how each quote service names a
// code of the market, the currency, the trading sessions and which services quote it. The
// request builders, the parsers, the trading-hours gate, the my-stocks page and the terminal
// ticker all go by MarketTable().

#include "quote/QuoteService.h"
#include "quote/StockEntry.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace marlune {

// The clock a market's sessions are told in.
enum class MarketClock {
    Beijing, // UTC+8 all year: Shanghai, Shenzhen, Beijing and Hong Kong
    NewYork, // UTC-5, UTC-4 from the second Sunday of March to the first Sunday of November
};

// One trading session, in seconds after midnight of the market's clock: [start, end).
struct MarketSession {
    int start;
    int end;
};

struct MarketInfo {
    int number;           // list.ini's market field
    const char* name;     // UTF-8, as the my-stocks page names it: "上海", "港股"
    const char* label;    // UTF-8, after a suggestion: "沪A", "港股"
    const char* currency; // ISO code: "CNY", "HKD", "USD"
    bool (*isCode)(std::string_view code);

    // How each quote service names a code of this market; empty: the service has none.
    const char* sinaPrefix;    // "sh", "bj", "rt_hk", "gb_" (US codes in lower case)
    const char* tencentPrefix; // "sh", "bj", "r_hk", "us" (US codes in upper case)
    // East Money's secid market numbers, separated by ",": a US ticker may be listed on
    // NASDAQ (105), NYSE (106) or NYSE American (107), so it is asked under all three and
    // the one that exists answers.
    const char* eastMoneyMarkets;
    bool fundService; // quoted by the fund estimate service (fundgz)

    MarketClock clock;
    MarketSession sessions[2];
    std::size_t sessionCount;

    // The types of the Sina suggestion service that list the market's codes, separated by
    // ",". Shanghai, Shenzhen and Beijing share theirs: their entries' full codes ("sh",
    // "sz", "bj" + code) tell them apart.
    const char* suggestTypes;
};

// Every market, in number order.
const std::vector<MarketInfo>& MarketTable();

// The market of a list.ini number, or nullptr for a number the program does not know.
const MarketInfo* MarketOf(int number);

// True when the quote service (a DataSour value) quotes codes of the market.
bool ServiceQuotesMarket(int source, const MarketInfo& market);

// The code as the service names it in a request: "sh600000", "rt_hk00700", "gb_brk.b",
// "usBRK.B", "116.00700", "105.AAPL,106.AAPL,107.AAPL"; empty when the service does not
// quote the market.
std::string ServiceCodeOf(int source, const MarketInfo& market, std::string_view code);

// The market of an East Money element (f13 and f12): 1 Shanghai, 0 Shenzhen or Beijing by
// the code, 116 Hong Kong, 105-107 US; nothing for a code that does not fit its market.
std::optional<int> MarketOfEastMoneyCode(double eastMoneyMarket, std::string_view code);

// The market a code typed on its own most likely belongs to: six digits by their first
// digits (43/83/87/920 Beijing, 6/9 Shanghai, 0/2/3 Shenzhen, the rest, such as 1xxxxx and
// 5xxxxx, funds), five digits Hong Kong, letters US; nothing for anything else. A fund whose
// code looks like a stock's is found through the suggestions.
std::optional<int> MarketOfTypedCode(std::string_view code);

// Every market whose code rule the code fits, in table order: "600000" Shanghai, Shenzhen
// and fund, "00700" Hong Kong alone, "HSI" Hong Kong (an index) and US.
std::vector<int> MarketsOfCode(std::string_view code);

// Code rules (exposed for the my-stocks page and the tests).
bool IsAShareCode(std::string_view code);   // six digits
bool IsBeijingCode(std::string_view code);  // 43xxxx, 83xxxx, 87xxxx, 920xxx, index 899050
bool IsHongKongCode(std::string_view code); // five digits, or an index in capitals (HSI)
bool IsUsCode(std::string_view code);       // 1-6 letters, optionally ".X" (BRK.B), "$" index
bool IsFundCode(std::string_view code);     // six digits

} // namespace marlune
