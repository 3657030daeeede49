#include "quote/Markets.h"

#include <algorithm>
#include <cctype>

namespace marlune {
namespace {

constexpr int kHour = 3600;
constexpr int kMinute = 60;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool AllDigits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), IsDigit);
}

bool IsUpper(char c) {
    return c >= 'A' && c <= 'Z';
}

bool IsLetter(char c) {
    return IsUpper(c) || (c >= 'a' && c <= 'z');
}

bool StartsWithAny(std::string_view code, std::initializer_list<std::string_view> prefixes) {
    return std::any_of(prefixes.begin(), prefixes.end(),
                       [code](std::string_view prefix) { return code.substr(0, prefix.size()) == prefix; });
}

std::string Lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return std::tolower(c); });
    return out;
}

std::string Upper(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return std::toupper(c); });
    return out;
}

constexpr MarketSession kAShareMorning{9 * kHour + 15 * kMinute, 11 * kHour + 30 * kMinute};
constexpr MarketSession kAShareAfternoon{13 * kHour, 15 * kHour};

const std::vector<MarketInfo>& Table() {
    static const std::vector<MarketInfo> table{
        {kMarketShanghai,
         "上海",
         "沪A",
         "CNY",
         IsAShareCode,
         "sh",
         "sh",
         "1",
         false,
         MarketClock::Beijing,
         {kAShareMorning, kAShareAfternoon},
         2,
         "11,12,13,14,15"},
        {kMarketShenzhen,
         "深圳",
         "深A",
         "CNY",
         IsAShareCode,
         "sz",
         "sz",
         "0",
         false,
         MarketClock::Beijing,
         {kAShareMorning, kAShareAfternoon},
         2,
         "11,12,13,14,15"},
        {kMarketBeijing,
         "北京",
         "北交所",
         "CNY",
         IsBeijingCode,
         "bj",
         "bj",
         "0",
         false,
         MarketClock::Beijing,
         {kAShareMorning, kAShareAfternoon},
         2,
         "11,12,13,14,15"},
        {kMarketHongKong,
         "港股",
         "港股",
         "HKD",
         IsHongKongCode,
         "rt_hk",
         "r_hk",
         "116",
         false,
         MarketClock::Beijing,
         {{9 * kHour + 30 * kMinute, 12 * kHour}, {13 * kHour, 16 * kHour + 10 * kMinute}},
         2,
         "31,33"},
        {kMarketUnitedStates,
         "美股",
         "美股",
         "USD",
         IsUsCode,
         "gb_",
         "us",
         "105,106,107",
         false,
         MarketClock::NewYork,
         {{9 * kHour + 30 * kMinute, 16 * kHour}, {0, 0}},
         1,
         "41"},
        // Estimates move while the A-share exchanges trade.
        {kMarketFund,
         "基金",
         "基金",
         "CNY",
         IsFundCode,
         "",
         "",
         "",
         true,
         MarketClock::Beijing,
         {kAShareMorning, kAShareAfternoon},
         2,
         "21,22,23,24,25,26"},
    };
    return table;
}

} // namespace

const std::vector<MarketInfo>& MarketTable() {
    return Table();
}

const MarketInfo* MarketOf(int number) {
    for (const MarketInfo& market : Table()) {
        if (market.number == number)
            return &market;
    }
    return nullptr;
}

bool ServiceQuotesMarket(int source, const MarketInfo& market) {
    switch (source) {
    case kSourceSina:
        return *market.sinaPrefix != '\0';
    case kSourceTencent:
        return *market.tencentPrefix != '\0';
    case kSourceEastMoney:
        return *market.eastMoneyMarkets != '\0';
    default:
        // The old services knew only Shanghai and Shenzhen.
        return market.number == kMarketShanghai || market.number == kMarketShenzhen;
    }
}

std::string ServiceCodeOf(int source, const MarketInfo& market, std::string_view code) {
    if (!ServiceQuotesMarket(source, market))
        return {};
    const bool us = market.number == kMarketUnitedStates;
    switch (source) {
    case kSourceSina:
        return market.sinaPrefix + (us ? Lower(code) : std::string(code));
    case kSourceTencent:
        return market.tencentPrefix + (us ? Upper(code) : std::string(code));
    case kSourceEastMoney: {
        std::string secids;
        std::string_view markets = market.eastMoneyMarkets;
        while (!markets.empty()) {
            const std::size_t comma = markets.find(',');
            if (!secids.empty())
                secids += ',';
            secids.append(markets.substr(0, comma)).append(".").append(us ? Upper(code) : std::string(code));
            markets = comma == std::string_view::npos ? std::string_view() : markets.substr(comma + 1);
        }
        return secids;
    }
    default:
        return {};
    }
}

bool IsAShareCode(std::string_view code) {
    return code.size() == 6 && AllDigits(code);
}

bool IsBeijingCode(std::string_view code) {
    return IsAShareCode(code) && (StartsWithAny(code, {"43", "83", "87", "920"}) || code == "899050");
}

bool IsHongKongCode(std::string_view code) {
    if (code.size() == 5 && AllDigits(code))
        return true;
    // Indices: HSI, HSCEI, HSTECH ...
    return code.size() >= 3 && code.size() <= 8 && std::all_of(code.begin(), code.end(), IsUpper);
}

bool IsUsCode(std::string_view code) {
    if (!code.empty() && code.front() == '$')
        code.remove_prefix(1); // Sina's indices: $dji, $inx
    const std::size_t dot = code.find('.');
    const std::string_view ticker = code.substr(0, dot);
    const std::string_view klass = dot == std::string_view::npos ? std::string_view() : code.substr(dot + 1);
    if (ticker.empty() || ticker.size() > 6 || !std::all_of(ticker.begin(), ticker.end(), IsLetter))
        return false;
    return dot == std::string_view::npos || (klass.size() == 1 && IsLetter(klass.front())); // BRK.B
}

bool IsFundCode(std::string_view code) {
    return IsAShareCode(code);
}

std::vector<int> MarketsOfCode(std::string_view code) {
    std::vector<int> markets;
    for (const MarketInfo& market : Table()) {
        if (market.isCode(code))
            markets.push_back(market.number);
    }
    return markets;
}

std::optional<int> MarketOfEastMoneyCode(double eastMoneyMarket, std::string_view code) {
    if (eastMoneyMarket == 1.0 && IsAShareCode(code))
        return kMarketShanghai;
    if (eastMoneyMarket == 0.0 && IsAShareCode(code))
        return IsBeijingCode(code) ? kMarketBeijing : kMarketShenzhen;
    if (eastMoneyMarket == 116.0 && IsHongKongCode(code))
        return kMarketHongKong;
    if ((eastMoneyMarket == 105.0 || eastMoneyMarket == 106.0 || eastMoneyMarket == 107.0) && IsUsCode(code))
        return kMarketUnitedStates;
    return std::nullopt;
}

std::optional<int> MarketOfTypedCode(std::string_view code) {
    if (IsBeijingCode(code))
        return kMarketBeijing;
    if (IsAShareCode(code)) {
        if (code.front() == '6' || code.front() == '9')
            return kMarketShanghai;
        if (code.front() == '0' || code.front() == '2' || code.front() == '3')
            return kMarketShenzhen;
        return kMarketFund; // 1xxxxx, 5xxxxx and the rest: open-end funds
    }
    if (code.size() == 5 && AllDigits(code))
        return kMarketHongKong;
    if (IsUsCode(code))
        return kMarketUnitedStates;
    return std::nullopt;
}

} // namespace marlune
