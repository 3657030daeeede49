#include "quote/HideSchedule.h"

#include "quote/MarketHours.h"
#include "quote/Markets.h"
#include "quote/QuoteDate.h"
#include "text/BeijingTime.h"

#include <vector>

namespace marlune {
namespace {

// The markets of the list that the program knows; Shanghai for a list without any.
std::vector<const MarketInfo*> MarketsOf(const WatchList& list) {
    std::vector<const MarketInfo*> markets;
    for (const MarketInfo& market : MarketTable()) {
        for (const StockEntry& entry : list) {
            if (entry.market == market.number) {
                markets.push_back(&market);
                break;
            }
        }
    }
    if (markets.empty())
        markets.push_back(MarketOf(kMarketShanghai));
    return markets;
}

// The market with one session from its first session's start to its last one's end.
MarketInfo TradingDayOf(const MarketInfo& market) {
    MarketInfo day = market;
    if (market.sessionCount > 0) {
        day.sessions[0] = {market.sessions[0].start, market.sessions[market.sessionCount - 1].end};
        day.sessionCount = 1;
    }
    return day;
}

// The start of the session the market is in at `now`, in seconds since 1970.
std::int64_t SessionStartBefore(const MarketInfo& market, std::int64_t now) {
    const BeijingTime time = BeijingTimeAt(now);
    int start = 0;
    for (std::size_t i = 0; i < market.sessionCount; ++i) {
        if (market.sessions[i].start <= time.SecondOfDay())
            start = market.sessions[i].start;
    }
    return now - (time.SecondOfDay() - start);
}

} // namespace

bool InTradingDay(const WatchList& list, std::int64_t now) {
    for (const MarketInfo* market : MarketsOf(list)) {
        if (IsMarketInSession(TradingDayOf(*market), now))
            return true;
    }
    return false;
}

bool QuotesStale(const WatchList& list, std::int64_t now, const std::string& latestQuoteTime) {
    if (latestQuoteTime.empty())
        return false;
    const std::optional<std::int64_t> day = QuoteDayNumber(latestQuoteTime, now);
    const std::optional<std::int64_t> quoteTime = ParseBeijingDateTime(latestQuoteTime);
    for (const MarketInfo* market : MarketsOf(list)) {
        // The quotes' times are Beijing times only for the markets kept in Beijing time.
        if (market->clock != MarketClock::Beijing || !IsMarketInSession(TradingDayOf(*market), now))
            continue;
        if (day && *day != BeijingTimeAt(now).dayNumber)
            return true;
        if (quoteTime && IsMarketInSession(*market, now) &&
            now - SessionStartBefore(*market, now) >= kStaleQuoteSeconds &&
            now - *quoteTime > kStaleQuoteSeconds)
            return true;
    }
    return false;
}

bool ScheduleHidesTicker(bool afterClose, bool whenStale, const WatchList& list, std::int64_t now,
                         const std::string& latestQuoteTime) {
    if (!afterClose)
        return false;
    if (!InTradingDay(list, now))
        return true;
    return whenStale && QuotesStale(list, now, latestQuoteTime);
}

} // namespace marlune
