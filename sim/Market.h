#pragma once
// The simulated market: a seeded random walk over the securities of StockTable.h,
// deterministic for a seed and a moment, and the reply bodies of the quote, chart and
// suggestion services built from it (usable without the HTTP server).

#include "sim/DayPath.h"
#include "sim/StockTable.h"
#include "sim/TradingClock.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace marlune::sim {

// One security's quote at one moment.
struct SimQuote {
    const StockInfo* stock = nullptr;
    SessionTime time;
    double previousClose = 0;
    double open = 0;
    double price = 0;
    double high = 0;
    double low = 0;
    double volume = 0; // shares
    double amount = 0; // yuan
    double limitUp = 0;
    double limitDown = 0;
    BookLevels book;

    double Change() const { return price - previousClose; }
    // Change against the previous close in percent.
    double ChangeRate() const { return previousClose > 0 ? Change() * 100 / previousClose : 0; }
};

class Market {
public:
    using Clock = std::function<std::int64_t()>; // seconds since 1970 (UTC)

    // An empty clock reads the real time.
    explicit Market(std::uint64_t seed = 20261208, Clock clock = {});

    std::uint64_t Seed() const { return m_seed; }
    std::int64_t Now() const;

    // Real trading hours and holidays instead of trading around the clock (TradingClock.h).
    void SetCalendar(ExchangeCalendar calendar);
    ExchangeCalendar Calendar() const;
    // The session and exchange time at a moment, by the market's calendar: every quote,
    // chart and minute reply goes by this.
    SessionTime SessionOf(std::int64_t unixSeconds) const;

    SimQuote Quote(const StockInfo& stock) const { return QuoteAt(stock, Now()); }
    SimQuote QuoteAt(const StockInfo& stock, std::int64_t unixSeconds) const;
    // The minute bars of the security's session so far.
    std::vector<MinuteBar> BarsAt(const StockInfo& stock, std::int64_t unixSeconds) const;

    // Reply bodies at the market's current time, exactly as each service sends them.
    // Sina: codes such as "sh600000"; one statement per code, GBK.
    std::string SinaReply(const std::vector<std::string>& codes) const;
    // NetEase 163: codes such as "0600000" (0 Shanghai, 1 Shenzhen); GBK.
    std::string NeteaseReply(const std::vector<std::string>& codes) const;
    // Google: codes such as "SHA:600000" or "SHE:000001"; GBK, or UTF-8 when gbk is false.
    std::string GoogleReply(const std::vector<std::string>& codes, bool gbk = true) const;
    // Tencent: codes such as "sh600000"; one statement per code, v_pv_none_match="1"; for a
    // code it does not know; GBK.
    std::string TencentReply(const std::vector<std::string>& codes) const;
    // East Money: secids such as "1.600000" (1 Shanghai, 0 Shenzhen); unknown ones are left
    // out; UTF-8 JSON.
    std::string EastMoneyReply(const std::vector<std::string>& codes) const;
    // Sina suggestions for a key in UTF-8, of the request's types (empty: every type); GBK.
    std::string SuggestReply(std::string_view keyUtf8, std::string_view types = {}) const;
    // Hexun intraday chart of a security (market 1 or 2) as PNG bytes; nothing for an
    // unknown security.
    std::optional<std::string> ChartPng(int market, std::string_view code) const;
    // Tencent minute data of a security ("sh600000") for its session so far, UTF-8 JSON:
    // the row "0930" with the opening auction, then one row per minute begun, named by the
    // minute it ends in (0931-1130, 1301-1500). An unknown security gets an empty "data".
    std::string MinuteReply(std::string_view prefixedCode) const;

private:
    std::shared_ptr<const DayPath> pathOf(const StockInfo& stock, std::int64_t session) const;

    std::uint64_t m_seed;
    Clock m_clock;
    mutable std::mutex m_mutex; // guards the paths and the calendar
    ExchangeCalendar m_calendar;
    mutable std::map<std::pair<std::uint64_t, std::int64_t>, std::shared_ptr<const DayPath>> m_paths;
};

} // namespace marlune::sim
