#include "sim/ForeignMarkets.h"

#include "quote/MarketHours.h"
#include "quote/Markets.h"
#include "sim/QuoteReplies.h"
#include "text/BeijingTime.h"
#include "text/CNumber.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>
#include <memory>
#include <mutex>

namespace marlune::sim {
namespace {

// Funds are traded as shares a thousand times their net value, so that the tick of 0.01
// gives net values of four decimals.
constexpr double kFundScale = 1000.0;
constexpr std::string_view kQdiiFund = "040046";

const std::vector<StockInfo>& Table() {
    static const std::vector<StockInfo> table{
        {"920118", kMarketBeijing, "太湖远大", "THYD", 16.5, 0},
        {"830799", kMarketBeijing, "艾融软件", "ARRJ", 38.2, 0},
        {"00700", kMarketHongKong, "腾讯控股", "TXKG", 478.8, 0},
        {"09988", kMarketHongKong, "阿里巴巴-W", "ALBB", 132.5, 0},
        {"00980", kMarketHongKong, "联华超市", "LHCS", 2.39, 0},
        {"AAPL", kMarketUnitedStates, "苹果", "PG", 319.7, 0},
        {"BRK.B", kMarketUnitedStates, "伯克希尔哈撒韦B", "BKXEHSWB", 482.3, 0},
        {"NVDA", kMarketUnitedStates, "英伟达", "YWD", 181.4, 0},
        {"161725", kMarketFund, "招商中证白酒指数(LOF)", "ZSZZBJZS", 1.2345 * kFundScale, 0},
        {"110011", kMarketFund, "易方达中小盘混合", "YFDZXPHH", 3.708 * kFundScale, 0},
        {"040046", kMarketFund, "华安纳斯达克100指数(QDII)", "HANSDK", 5.4321 * kFundScale, 0},
    };
    return table;
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

// Weekdays since the Monday before 1970-01-01; Saturday and Sunday count as the Friday before.
std::int64_t TradingDayIndex(std::int64_t day) {
    const std::int64_t shifted = day + 3; // 1969-12-29 was a Monday
    const std::int64_t week = shifted >= 0 ? shifted / 7 : (shifted - 6) / 7;
    const std::int64_t inWeek = shifted - week * 7;
    return week * 5 + std::min<std::int64_t>(inWeek, 4);
}

bool IsWeekend(std::int64_t day) {
    const std::int64_t shifted = ((day + 3) % 7 + 7) % 7;
    return shifted >= 5;
}

// The paths of the other markets' trading days, computed once each.
std::shared_ptr<const DayPath> PathOf(std::uint64_t seed, const StockInfo& stock, std::int64_t session) {
    static std::mutex mutex;
    static std::map<std::tuple<std::uint64_t, const StockInfo*, std::int64_t>, std::shared_ptr<const DayPath>>
        paths;
    const auto key = std::make_tuple(seed, &stock, session);
    std::lock_guard<std::mutex> lock(mutex);
    auto found = paths.find(key);
    if (found != paths.end())
        return found->second;
    if (paths.size() > 512)
        paths.clear();
    return paths.emplace(key, std::make_shared<const DayPath>(seed, stock, session)).first->second;
}

// A Hong Kong or US quote by the exchange's own sessions: the trading day of the market's
// clock, its trading time spread over the simulated session's seconds.
SimQuote OwnSessionQuote(const Market& market, const StockInfo& stock, const MarketInfo& info,
                         std::int64_t unixSeconds) {
    const std::int64_t offset = MarketClockOffsetSeconds(info.clock, unixSeconds);
    const std::int64_t local = unixSeconds + offset;
    std::int64_t day = local >= 0 ? local / 86400 : (local - 86399) / 86400;
    int second = static_cast<int>(local - day * 86400);
    const int firstStart = info.sessions[0].start;
    const int lastEnd = info.sessions[info.sessionCount - 1].end;
    if (IsWeekend(day) || second < firstStart) {
        // Before the open and at the weekend: the close of the trading day before.
        do {
            --day;
        } while (IsWeekend(day));
        second = lastEnd;
    }
    int traded = 0;
    int total = 0;
    int shownSecond = firstStart;
    for (std::size_t i = 0; i < info.sessionCount; ++i) {
        const MarketSession& session = info.sessions[i];
        total += session.end - session.start;
        traded += std::clamp(second - session.start, 0, session.end - session.start);
        if (second >= session.start)
            shownSecond = std::min(second, session.end);
    }
    SimQuote quote;
    quote.stock = &stock;
    quote.time.session = TradingDayIndex(day);
    quote.time.second =
        std::min(kSessionSeconds - 1, static_cast<int>(std::int64_t(traded) * kSessionSeconds / total));
    CivilFromDays(day, quote.time.year, quote.time.month, quote.time.day);
    quote.time.hour = shownSecond / 3600;
    quote.time.minute = shownSecond / 60 % 60;
    quote.time.secondOfMinute = shownSecond % 60;
    const auto path = PathOf(market.Seed(), stock, quote.time.session);
    const DaySnapshot snapshot = path->At(quote.time.second);
    quote.previousClose = snapshot.previousClose;
    quote.open = snapshot.open;
    quote.price = snapshot.price;
    quote.high = snapshot.high;
    quote.low = snapshot.low;
    quote.volume = snapshot.volume;
    quote.amount = snapshot.amount;
    return quote;
}

// Seconds since 1970 of the quote's exchange time (in the market's clock).
std::int64_t QuoteMoment(const SimQuote& quote, MarketClock clock) {
    const std::int64_t local = DaysFromCivil(quote.time.year, quote.time.month, quote.time.day) * 86400 +
                               quote.time.hour * 3600 + quote.time.minute * 60 + quote.time.secondOfMinute;
    return UnixSecondsOfMarketTime(clock, local);
}

std::string Decimals(double value, int decimals) {
    return FixedText(value, decimals);
}

int PriceDecimalsOf(const SimQuote& quote) {
    if (quote.stock->market == kMarketHongKong)
        return 3;
    return quote.previousClose < 1.0 ? 4 : 2;
}

std::string SinaHongKong(const SimQuote& q) {
    const int d = 3;
    const double change = q.price - q.previousClose;
    return Upper(q.stock->initials) + "," + q.stock->name + "," + Decimals(q.open, d) + "," +
           Decimals(q.previousClose, d) + "," + Decimals(q.high, d) + "," + Decimals(q.low, d) + "," +
           Decimals(q.price, d) + "," + Decimals(change, d) + "," + Decimals(q.ChangeRate(), 3) + "," +
           Decimals(q.price, d) + "," + Decimals(q.price, d) + "," + Decimals(q.amount, 3) + "," +
           Decimals(q.volume, 0) + ",17.403,0.000," + Decimals(q.previousClose * 1.3, d) + "," +
           Decimals(q.previousClose * 0.8, d) + "," +
           Format("%04d/%02d/%02d", q.time.year, q.time.month, q.time.day) + "," +
           Format("%02d:%02d:%02d", q.time.hour, q.time.minute, q.time.secondOfMinute) + ",1";
}

std::string SinaUs(const SimQuote& q) {
    const int d = 4; // Sina writes four decimals for every US price
    const double change = q.price - q.previousClose;
    // Sina writes the Beijing time of the quote.
    const BeijingTime beijing = BeijingTimeAt(QuoteMoment(q, MarketClock::NewYork));
    std::string out = std::string(q.stock->name) + "," + Decimals(q.price, d) + "," +
                      Decimals(q.ChangeRate(), 2) + "," + beijing.DateTime() + "," + Decimals(change, d) +
                      "," + Decimals(q.open, d) + "," + Decimals(q.high, d) + "," + Decimals(q.low, d) + "," +
                      Decimals(q.previousClose * 1.3, d) + "," + Decimals(q.previousClose * 0.7, d) + "," +
                      Decimals(q.volume, 0) + "," + Decimals(q.volume * 0.9, 0) +
                      ",4665759510006,8.30,38.520000,0.00,0.00,0.00,0.00,14594180513,"
                      "63," +
                      Decimals(q.price, d) + ",0.00,0.00,,," + Decimals(q.previousClose, d) + ",0,1," +
                      std::to_string(q.time.year) + "," + Decimals(q.amount, 4);
    return out;
}

std::string TencentMarketValue(const SimQuote& q, const std::string& code, const std::string& stamp) {
    const int d = PriceDecimalsOf(q);
    std::vector<std::string> fields(50, "0");
    fields[0] = q.stock->market == kMarketHongKong ? "100" : "200";
    fields[1] = q.stock->name;
    fields[2] = code;
    fields[3] = Decimals(q.price, d);
    fields[4] = Decimals(q.previousClose, d);
    fields[5] = Decimals(q.open, d);
    fields[6] = Decimals(q.volume, 1);
    fields[29] = "";
    fields[30] = stamp;
    fields[31] = Decimals(q.price - q.previousClose, d);
    fields[32] = Decimals(q.ChangeRate(), 2);
    fields[33] = Decimals(q.high, d);
    fields[34] = Decimals(q.low, d);
    fields[35] = q.stock->market == kMarketHongKong ? Decimals(q.price, d) : "USD";
    fields[36] = Decimals(q.volume, q.stock->market == kMarketHongKong ? 1 : 0);
    fields[37] = Decimals(q.amount, 3);
    std::string value;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            value += '~';
        value += fields[i];
    }
    return value;
}

// The rate of yuan per unit at a moment: a slow wobble around a level.
double RateAt(double level, std::int64_t now) {
    return level * (1.0 + 0.002 * std::sin(static_cast<double>(now) / 5400.0));
}

std::string ExchangeRateStatement(std::string_view pair, std::int64_t now) {
    double level = 0.0;
    const char* name = "";
    if (pair == "hkdcny") {
        level = 0.9214;
        name = "港元兑人民币";
    } else if (pair == "usdcny") {
        level = 7.1685;
        name = "美元兑人民币";
    } else {
        return "var hq_str_fx_s" + std::string(pair) + "=\"\";\n";
    }
    const double rate = RateAt(level, now);
    const double previous = RateAt(level, now - 86400);
    const BeijingTime time = BeijingTimeAt(now);
    const std::string r = Decimals(rate, 4);
    return "var hq_str_fx_s" + std::string(pair) + "=\"" +
           Format("%02d:%02d:%02d", time.hour, time.minute, time.second) + "," + r + "," + r + "," +
           Decimals(previous, 4) + ",15.5660," + Decimals(previous, 4) + "," +
           Decimals(std::max(rate, previous), 4) + "," + Decimals(std::min(rate, previous), 4) + "," + r +
           "," + name + "," + Decimals((rate - previous) * 100 / previous, 4) + "," +
           Decimals(rate - previous, 4) + ",0.0016,此行情由新浪财经计算得出,0.0000,0.0000,," + time.Date() +
           "\";\n";
}

} // namespace

const std::vector<StockInfo>& ForeignStocks() {
    return Table();
}

const StockInfo* FindForeignStock(int market, std::string_view code) {
    for (const StockInfo& stock : Table()) {
        if (stock.market == market &&
            (market == kMarketUnitedStates ? Upper(code) == stock.code : code == stock.code))
            return &stock;
    }
    return nullptr;
}

SimQuote ForeignQuoteAt(const Market& market, const StockInfo& stock, std::int64_t unixSeconds) {
    // Beijing stocks and funds keep the A-share hours, which the market plays itself.
    const MarketInfo* info = MarketOf(stock.market);
    const bool ownHours = stock.market == kMarketHongKong || stock.market == kMarketUnitedStates;
    if (info != nullptr && ownHours && market.Calendar().enabled)
        return OwnSessionQuote(market, stock, *info, unixSeconds);
    SimQuote quote = market.QuoteAt(stock, unixSeconds);
    if (stock.market == kMarketUnitedStates) {
        // Around the clock the market's time is Beijing's; a US quote carries the New York
        // time of that moment, as the exchange's own quotes do.
        const std::int64_t moment = QuoteMoment(quote, MarketClock::Beijing);
        const std::int64_t local = moment + MarketClockOffsetSeconds(MarketClock::NewYork, moment);
        const std::int64_t day = local >= 0 ? local / 86400 : (local - 86399) / 86400;
        const int second = static_cast<int>(local - day * 86400);
        CivilFromDays(day, quote.time.year, quote.time.month, quote.time.day);
        quote.time.hour = second / 3600;
        quote.time.minute = second / 60 % 60;
        quote.time.secondOfMinute = second % 60;
    }
    return quote;
}

std::optional<std::string> ForeignSinaStatement(const Market& market, std::string_view code,
                                                std::int64_t now) {
    auto empty = [code] { return "var hq_str_" + std::string(code) + "=\"\";\n"; };
    if (code.substr(0, 4) == "fx_s")
        return ExchangeRateStatement(code.substr(4), now);
    if (code.substr(0, 2) == "bj") {
        const StockInfo* stock = FindForeignStock(kMarketBeijing, code.substr(2));
        if (stock == nullptr)
            return empty();
        const SimQuote quote = ForeignQuoteAt(market, *stock, now);
        return SinaStatement(code, &quote);
    }
    if (code.substr(0, 5) == "rt_hk") {
        const StockInfo* stock = FindForeignStock(kMarketHongKong, code.substr(5));
        if (stock == nullptr)
            return empty();
        return "var hq_str_" + std::string(code) + "=\"" + SinaHongKong(ForeignQuoteAt(market, *stock, now)) +
               "\";\n";
    }
    if (code.substr(0, 3) == "gb_") {
        const StockInfo* stock = FindForeignStock(kMarketUnitedStates, code.substr(3));
        if (stock == nullptr)
            return empty();
        return "var hq_str_gb_" + Lower(code.substr(3)) + "=\"" +
               SinaUs(ForeignQuoteAt(market, *stock, now)) + "\";\n";
    }
    return std::nullopt;
}

std::optional<std::string> ForeignTencentStatement(const Market& market, std::string_view code,
                                                   std::int64_t now) {
    if (code.substr(0, 2) == "bj") {
        const StockInfo* stock = FindForeignStock(kMarketBeijing, code.substr(2));
        if (stock == nullptr)
            return TencentUnknownStatement();
        std::string statement = TencentStatement(ForeignQuoteAt(market, *stock, now));
        // The A-share statement of the stock, under its Beijing key.
        const std::size_t keyEnd = statement.find('=');
        return "v_" + std::string(code) + statement.substr(keyEnd);
    }
    const bool realTimeHk = code.substr(0, 4) == "r_hk";
    if (realTimeHk || code.substr(0, 2) == "hk") {
        const std::string_view hkCode = code.substr(realTimeHk ? 4 : 2);
        const StockInfo* stock = FindForeignStock(kMarketHongKong, hkCode);
        if (stock == nullptr)
            return TencentUnknownStatement();
        const SimQuote q = ForeignQuoteAt(market, *stock, now);
        const std::string stamp = Format("%04d/%02d/%02d %02d:%02d:%02d", q.time.year, q.time.month,
                                         q.time.day, q.time.hour, q.time.minute, q.time.secondOfMinute);
        return "v_" + std::string(code) + "=\"" + TencentMarketValue(q, std::string(hkCode), stamp) + "\";\n";
    }
    if (code.substr(0, 2) == "us") {
        const StockInfo* stock = FindForeignStock(kMarketUnitedStates, code.substr(2));
        if (stock == nullptr)
            return TencentUnknownStatement();
        const SimQuote q = ForeignQuoteAt(market, *stock, now);
        // Tencent writes the New York time of the quote. Around the clock the simulated
        // exchange clock is taken as New York's.
        const std::string stamp = Format("%04d-%02d-%02d %02d:%02d:%02d", q.time.year, q.time.month,
                                         q.time.day, q.time.hour, q.time.minute, q.time.secondOfMinute);
        const std::string exchange = std::string(stock->code) == "BRK.B" ? ".N" : ".OQ";
        return "v_" + std::string(code) + "=\"" + TencentMarketValue(q, stock->code + exchange, stamp) +
               "\";\n";
    }
    return std::nullopt;
}

std::optional<std::string> ForeignEastMoneyElement(const Market& market, std::string_view secid,
                                                   std::int64_t now) {
    const std::size_t dot = secid.find('.');
    if (dot == std::string_view::npos)
        return std::nullopt;
    const std::string_view number = secid.substr(0, dot);
    const std::string_view code = secid.substr(dot + 1);
    const StockInfo* stock = nullptr;
    const char* f13 = "";
    if (number == "0") {
        stock = FindForeignStock(kMarketBeijing, code);
        f13 = "0";
    } else if (number == "116") {
        stock = FindForeignStock(kMarketHongKong, code);
        f13 = "116";
    } else if (number == "105" || number == "106" || number == "107") {
        stock = FindForeignStock(kMarketUnitedStates, code);
        f13 = std::string_view(stock != nullptr ? stock->code : "") == "BRK.B" ? "106" : "105";
        if (number != f13)
            stock = nullptr; // listed on another exchange
    }
    if (stock == nullptr)
        return std::nullopt;
    const SimQuote q = ForeignQuoteAt(market, *stock, now);
    const MarketInfo* info = MarketOf(stock->market);
    const int d = stock->market == kMarketBeijing ? 2 : PriceDecimalsOf(q);
    // Beijing counts its volume in hands as the A shares do, the others in shares.
    const double volume = stock->market == kMarketBeijing ? std::floor(q.volume / 100) : q.volume;
    return "{\"f2\":" + Decimals(q.price, d) + ",\"f3\":" + Decimals(q.ChangeRate(), 2) +
           ",\"f4\":" + Decimals(q.price - q.previousClose, d) + ",\"f5\":" + Decimals(volume, 0) +
           ",\"f6\":" + Decimals(q.amount, stock->market == kMarketBeijing ? 0 : 3) + ",\"f12\":\"" +
           stock->code + "\",\"f13\":" + f13 + ",\"f14\":\"" + stock->name +
           "\",\"f15\":" + Decimals(q.high, d) + ",\"f16\":" + Decimals(q.low, d) +
           ",\"f17\":" + Decimals(q.open, d) + ",\"f18\":" + Decimals(q.previousClose, d) +
           Format(",\"f124\":%lld}", static_cast<long long>(QuoteMoment(q, info->clock)));
}

std::string FundEstimateReply(const Market& market, std::string_view code, std::int64_t now) {
    const StockInfo* fund = FindForeignStock(kMarketFund, code);
    if (fund == nullptr)
        return "jsonpgz();";
    const SimQuote quote = ForeignQuoteAt(market, *fund, now);
    // The trading day before: the date of the last published net value.
    const std::int64_t step = market.Calendar().enabled ? 86400 : 4 * 3600;
    std::string previousDate = quote.time.Date();
    for (int back = 1; back <= 15; ++back) {
        const SessionTime earlier = market.SessionOf(now - back * step);
        if (earlier.session < quote.time.session) {
            previousDate = earlier.Date();
            break;
        }
    }
    if (!market.Calendar().enabled && previousDate == quote.time.Date()) {
        // Around the clock a day holds several sessions; the net value the estimate goes from
        // is still of an earlier day, as in every real reply during trading: the weekday before.
        std::int64_t day = DaysFromCivil(quote.time.year, quote.time.month, quote.time.day);
        do {
            --day;
        } while (IsWeekend(day));
        int year = 0, month = 0, dayOfMonth = 0;
        CivilFromDays(day, year, month, dayOfMonth);
        previousDate = Format("%04d-%02d-%02d", year, month, dayOfMonth);
    }
    std::string netValueDate = previousDate;
    double netValue = quote.previousClose / kFundScale;
    // From 20:00 on the trading day its net value is out.
    const BeijingTime beijing = BeijingTimeAt(now);
    if (market.Calendar().enabled && IsFundNetValueTime(now) && quote.time.Date() == beijing.Date()) {
        netValueDate = quote.time.Date();
        netValue = quote.price / kFundScale;
    }
    const double estimate = quote.price / kFundScale;
    std::string reply = "jsonpgz({\"fundcode\":\"" + std::string(fund->code) + "\",\"name\":\"" + fund->name +
                        "\",\"jzrq\":\"" + netValueDate + "\",\"dwjz\":\"" + Decimals(netValue, 4) + "\",";
    if (code == kQdiiFund) {
        // No estimate for a fund that holds foreign shares.
        reply += "\"gsz\":\"\",\"gszzl\":\"\",\"gztime\":\"\"});";
        return reply;
    }
    const double previous = quote.previousClose / kFundScale;
    reply += "\"gsz\":\"" + Decimals(estimate, 4) + "\",\"gszzl\":\"" +
             Decimals(previous > 0 ? (estimate - previous) * 100 / previous : 0.0, 2) + "\",\"gztime\":\"" +
             quote.time.Date() + Format(" %02d:%02d", quote.time.hour, quote.time.minute) + "\"});";
    return reply;
}

} // namespace marlune::sim
