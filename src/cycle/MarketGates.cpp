#include "cycle/MarketGates.h"

#include "quote/MarketHours.h"
#include "quote/Markets.h"
#include "text/BeijingTime.h"

#include <algorithm>

namespace marlune {
namespace {

constexpr std::int64_t kDay = 86400;
constexpr int kOwnHoursMarkets[] = {kMarketHongKong, kMarketUnitedStates};

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

// The day number and second of the day of a moment on the market's clock.
std::int64_t LocalDay(const MarketInfo& market, std::int64_t unixSeconds) {
    return FloorDiv(unixSeconds + MarketClockOffsetSeconds(market.clock, unixSeconds), kDay);
}

int LocalSecond(const MarketInfo& market, std::int64_t unixSeconds) {
    const std::int64_t local = unixSeconds + MarketClockOffsetSeconds(market.clock, unixSeconds);
    return static_cast<int>(local - FloorDiv(local, kDay) * kDay);
}

bool HasRows(const WatchList& watchList, int market) {
    return std::any_of(watchList.begin(), watchList.end(),
                       [market](const StockEntry& entry) { return entry.market == market; });
}

} // namespace

bool FollowsAShareHours(int market) {
    return market != kMarketHongKong && market != kMarketUnitedStates;
}

std::string LatestQuoteTimeOf(const QuoteBook& book, const std::vector<int>& markets) {
    std::string latest;
    for (const StockEntry& entry : book.watchList) {
        if (std::find(markets.begin(), markets.end(), entry.market) == markets.end())
            continue;
        std::string time = entry.quote.dateTime;
        for (std::size_t i = 0; i < time.size() && i < 10; ++i) {
            if (time[i] == '/')
                time[i] = '-';
        }
        latest = std::max(latest, time);
    }
    return latest;
}

bool MarketGates::HasOwnHours(const WatchList& watchList) {
    return std::any_of(watchList.begin(), watchList.end(), [](const StockEntry& entry) {
        return !FollowsAShareHours(entry.market) || entry.market == kMarketFund;
    });
}

MarketGates::State MarketGates::state(int market) const {
    const auto found = m_states.find(market);
    return found != m_states.end() ? found->second : State();
}

bool MarketGates::isDue(int market, std::int64_t now, std::int64_t steadyMs) const {
    const State s = state(market);
    const std::int64_t sinceRequestMs = steadyMs - s.lastRequestMs;
    if (market == kMarketFund) {
        // The evening's net values: one request from 20:00 on a weekday.
        const BeijingTime time = BeijingTimeAt(now);
        const std::int64_t eight = now - time.SecondOfDay() + kFundNetValueHour * 3600;
        return IsFundNetValueTime(now) && now - sinceRequestMs / 1000 < eight;
    }
    const MarketInfo& info = *MarketOf(market);
    if (IsClosedDay(market, now))
        return sinceRequestMs >= std::int64_t{kClosedDayRetrySeconds} * 1000;
    if (IsMarketInSession(info, now))
        return true;
    // One refresh after each session's end, unless one has run since.
    const std::optional<std::int64_t> end = LatestSessionEnd(info, now);
    const std::int64_t lastRequest = now - sinceRequestMs / 1000;
    return end && now >= *end + kCatchUpDelaySeconds && lastRequest < *end;
}

std::vector<int> MarketGates::DueMarkets(const WatchList& watchList, std::int64_t now,
                                         std::int64_t steadyMs) const {
    std::vector<int> due;
    for (const MarketInfo& market : MarketTable()) {
        if ((FollowsAShareHours(market.number) && market.number != kMarketFund) ||
            !HasRows(watchList, market.number))
            continue;
        if ((!m_enabled && market.number != kMarketFund) || isDue(market.number, now, steadyMs))
            due.push_back(market.number);
    }
    return due;
}

void MarketGates::OnRequested(const std::vector<int>& markets, std::int64_t steadyMs) {
    for (int market : markets)
        m_states[market].lastRequestMs = steadyMs;
}

void MarketGates::OnQuotes(const QuoteBook& book, const std::vector<int>& markets, std::int64_t now) {
    for (int market : kOwnHoursMarkets) {
        if (std::find(markets.begin(), markets.end(), market) == markets.end())
            continue;
        const MarketInfo& info = *MarketOf(market);
        // Read only once the day's first session has run a while, on one of the market's days.
        if (!IsMarketInSession(info, now) ||
            LocalSecond(info, now) < info.sessions[0].start + kHolidayCheckAfterSeconds)
            continue;
        const std::optional<std::int64_t> quoteTime = ParseBeijingDateTime(LatestQuoteTimeOf(book, {market}));
        if (!quoteTime)
            continue; // a date it cannot read never makes a holiday
        State& s = m_states[market];
        const std::int64_t today = LocalDay(info, now);
        s.closedDay = LocalDay(info, *quoteTime) == today ? std::numeric_limits<std::int64_t>::min() : today;
    }
}

bool MarketGates::IsClosedDay(int market, std::int64_t now) const {
    const MarketInfo* info = MarketOf(market);
    return m_enabled && info != nullptr && state(market).closedDay == LocalDay(*info, now);
}

bool MarketGates::AnyTrading(const WatchList& watchList, std::int64_t now) const {
    return std::any_of(std::begin(kOwnHoursMarkets), std::end(kOwnHoursMarkets), [&](int market) {
        return HasRows(watchList, market) && IsMarketInSession(*MarketOf(market), now) &&
               !IsClosedDay(market, now);
    });
}

std::vector<int> MarketGates::MarketsClosedToday(const TradingHoursGate& aShareHours,
                                                 std::int64_t now) const {
    std::vector<int> closed;
    for (const MarketInfo& market : MarketTable()) {
        if (FollowsAShareHours(market.number) ? aShareHours.IsClosedDay(now)
                                              : IsClosedDay(market.number, now))
            closed.push_back(market.number);
    }
    return closed;
}

} // namespace marlune
