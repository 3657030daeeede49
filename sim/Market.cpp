#include "sim/Market.h"

#include "sim/ChartDrawing.h"
#include "sim/ForeignMarkets.h"
#include "sim/QuoteReplies.h"
#include "sim/Suggestions.h"
#include "text/Gbk.h"

#include "text/CNumber.h"

#include <cmath>
#include <ctime>

namespace marlune::sim {

namespace {

// Paths kept before the cache starts afresh: enough for every security in two sessions.
constexpr std::size_t kMaxCachedPaths = 4096;

} // namespace

Market::Market(std::uint64_t seed, Clock clock) : m_seed(seed), m_clock(std::move(clock)) {}

std::int64_t Market::Now() const {
    return m_clock ? m_clock() : static_cast<std::int64_t>(std::time(nullptr));
}

void Market::SetCalendar(ExchangeCalendar calendar) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_calendar = std::move(calendar);
    m_paths.clear(); // session numbers mean trading days now, or no longer
}

ExchangeCalendar Market::Calendar() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_calendar;
}

SessionTime Market::SessionOf(std::int64_t unixSeconds) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return SessionAt(unixSeconds, m_calendar);
}

std::shared_ptr<const DayPath> Market::pathOf(const StockInfo& stock, std::int64_t session) const {
    const auto key = std::make_pair(StockKey(stock), session);
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto found = m_paths.find(key);
        if (found != m_paths.end()) {
            return found->second;
        }
    }
    // Built outside the lock: two threads may build the same path, which is harmless.
    auto path = std::make_shared<const DayPath>(m_seed, stock, session);
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_paths.size() >= kMaxCachedPaths) {
        m_paths.clear();
    }
    return m_paths.emplace(key, std::move(path)).first->second;
}

SimQuote Market::QuoteAt(const StockInfo& stock, std::int64_t unixSeconds) const {
    SimQuote quote;
    quote.stock = &stock;
    quote.time = SessionOf(unixSeconds);
    const auto path = pathOf(stock, quote.time.session);
    const DaySnapshot day = path->At(quote.time.second);
    quote.previousClose = day.previousClose;
    quote.open = day.open;
    quote.price = day.price;
    quote.high = day.high;
    quote.low = day.low;
    quote.volume = day.volume;
    quote.amount = day.amount;
    quote.limitUp = path->LimitUp();
    quote.limitDown = path->LimitDown();
    quote.book = path->Book(quote.time.second, day.price);
    return quote;
}

std::vector<MinuteBar> Market::BarsAt(const StockInfo& stock, std::int64_t unixSeconds) const {
    const SessionTime time = SessionOf(unixSeconds);
    return pathOf(stock, time.session)->BarsUntil(time.second);
}

std::string Market::SinaReply(const std::vector<std::string>& codes) const {
    const std::int64_t now = Now();
    std::string reply;
    for (const std::string& code : codes) {
        const StockInfo* stock = FindStockByPrefixedCode(code);
        if (stock == nullptr) {
            // Beijing, Hong Kong, US and exchange rates (ForeignMarkets.h), else unknown.
            reply += ForeignSinaStatement(*this, code, now).value_or(SinaStatement(code, nullptr));
        } else {
            const SimQuote quote = QuoteAt(*stock, now);
            reply += SinaStatement(code, &quote);
        }
    }
    return Utf8ToGbk(reply);
}

std::string Market::NeteaseReply(const std::vector<std::string>& codes) const {
    const std::int64_t now = Now();
    std::string reply;
    for (const std::string& code : codes) {
        if (code.size() != 7 || (code[0] != '0' && code[0] != '1')) {
            continue;
        }
        const StockInfo* stock = FindStock(code[0] == '0' ? 1 : 2, std::string_view(code).substr(1));
        if (stock != nullptr) {
            reply += NeteaseStatement(QuoteAt(*stock, now));
        }
    }
    return Utf8ToGbk(reply);
}

std::string Market::GoogleReply(const std::vector<std::string>& codes, bool gbk) const {
    const std::int64_t now = Now();
    std::vector<SimQuote> quotes;
    for (const std::string& code : codes) {
        std::string_view text = code;
        const int market = text.substr(0, 4) == "SHA:" ? 1 : text.substr(0, 4) == "SHE:" ? 2 : 0;
        const StockInfo* stock = market == 0 ? nullptr : FindStock(market, text.substr(4));
        if (stock != nullptr) {
            quotes.push_back(QuoteAt(*stock, now));
        }
    }
    const std::string reply = GoogleReplyText(quotes);
    return gbk ? Utf8ToGbk(reply) : reply;
}

std::string Market::TencentReply(const std::vector<std::string>& codes) const {
    const std::int64_t now = Now();
    std::string reply;
    for (const std::string& code : codes) {
        const StockInfo* stock = FindStockByPrefixedCode(code);
        reply += stock != nullptr
                     ? TencentStatement(QuoteAt(*stock, now))
                     : ForeignTencentStatement(*this, code, now).value_or(TencentUnknownStatement());
    }
    return Utf8ToGbk(reply);
}

std::string Market::EastMoneyReply(const std::vector<std::string>& codes) const {
    const std::int64_t now = Now();
    std::vector<SimQuote> quotes;
    std::vector<std::string> otherMarkets;
    for (const std::string& code : codes) {
        if (std::optional<std::string> element = ForeignEastMoneyElement(*this, code, now)) {
            otherMarkets.push_back(std::move(*element));
            continue;
        }
        if (code.size() != 8 || (code[0] != '0' && code[0] != '1') || code[1] != '.') {
            continue;
        }
        const StockInfo* stock = FindStock(code[0] == '1' ? 1 : 2, std::string_view(code).substr(2));
        if (stock != nullptr) {
            quotes.push_back(QuoteAt(*stock, now));
        }
    }
    return EastMoneyReplyText(quotes, otherMarkets);
}

std::string Market::SuggestReply(std::string_view keyUtf8, std::string_view types) const {
    return Utf8ToGbk(SuggestReplyText(keyUtf8, types));
}

std::optional<std::string> Market::ChartPng(int market, std::string_view code) const {
    const StockInfo* stock = FindStock(market, code);
    if (stock == nullptr) {
        return std::nullopt;
    }
    const std::int64_t now = Now();
    const SessionTime time = SessionOf(now);
    const auto path = pathOf(*stock, time.session);
    ChartInput input;
    input.code = stock->code;
    input.isIndex = stock->IsIndex();
    input.previousClose = path->PreviousClose();
    input.bars = path->BarsUntil(time.second);
    return DrawIntradayChart(input);
}

std::string Market::MinuteReply(std::string_view prefixedCode) const {
    const StockInfo* stock = FindStockByPrefixedCode(prefixedCode);
    if (stock == nullptr) {
        return R"({"code":0,"data":{}})";
    }
    const SessionTime time = SessionOf(Now());
    const auto path = pathOf(*stock, time.session);
    // Volume in hands of 100 shares (an index too), amount in yuan, both since the open.
    auto row = [](int hour, int minute, double price, double shares, double amount) {
        return Format("\"%02d%02d %.2f %.0f %.2f\"", hour, minute, price, std::floor(shares / 100), amount);
    };
    const DaySnapshot auction = path->At(0);
    std::string rows = row(9, 30, auction.price, auction.volume, auction.amount);
    double shares = 0;
    double amount = 0;
    const std::vector<MinuteBar> bars = path->BarsUntil(time.second);
    for (std::size_t k = 0; k < bars.size(); ++k) {
        shares += bars[k].volume;
        amount += bars[k].amount;
        const int end = k < 120 ? 9 * 60 + 31 + static_cast<int>(k) : 13 * 60 + 1 + static_cast<int>(k - 120);
        rows += "," + row(end / 60, end % 60, bars[k].close, shares, amount);
    }
    const std::string date = Format("%04d%02d%02d", time.year, time.month, time.day);
    return R"({"code":0,"msg":"","data":{")" + std::string(prefixedCode) + R"(":{"data":{"data":[)" + rows +
           R"(],"date":")" + date + R"("}}}})";
}

} // namespace marlune::sim
