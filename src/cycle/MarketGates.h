#pragma once
// TradeHoursOnly for the markets that keep hours of their own. The Shanghai, Shenzhen and
// Beijing rows and the funds' estimates follow the A-share exchanges' gate (TradingHoursGate);
// Hong Kong and US rows follow their own sessions (MarketHours.h): a timer tick asks them
// while they trade and once just after each session's end, and a day whose quotes keep
// another date once the session has run 20 minutes counts as that market's holiday, asked
// again every 10 minutes. Funds are asked once more from 20:00 on a weekday, when the day's
// net values come out.

#include "quote/QuoteBook.h"
#include "quote/TradingHours.h"

#include <cstdint>
#include <limits>
#include <map>
#include <string>
#include <vector>

namespace marlune {

// The markets the A-share exchanges' gate decides for.
bool FollowsAShareHours(int market);

// The latest date and time among the quotes of the rows of these markets (as LatestQuoteTime).
std::string LatestQuoteTimeOf(const QuoteBook& book, const std::vector<int>& markets);

class MarketGates {
public:
    static constexpr int kClosedDayRetrySeconds = 600;
    static constexpr int kCatchUpDelaySeconds = 30;
    static constexpr int kHolidayCheckAfterSeconds = 20 * 60;

    void SetEnabled(bool enabled) { m_enabled = enabled; }

    // True when the list has rows whose hours are not the A-share exchanges' alone (Hong Kong,
    // US, and funds for their evening net value).
    static bool HasOwnHours(const WatchList& watchList);

    // The markets of the list this gate decides for (Hong Kong, US; funds in the evening) that
    // a tick at `now` should ask, in table order.
    std::vector<int> DueMarkets(const WatchList& watchList, std::int64_t now, std::int64_t steadyMs) const;
    // A refresh asked these markets.
    void OnRequested(const std::vector<int>& markets, std::int64_t steadyMs);
    // A refresh that asked these markets brought quotes: holidays are read from their dates.
    void OnQuotes(const QuoteBook& book, const std::vector<int>& markets, std::int64_t now);

    // The market (Hong Kong or US) was found closed today.
    bool IsClosedDay(int market, std::int64_t now) const;
    // A Hong Kong or US row of the list is in its session (and not on a day found closed).
    bool AnyTrading(const WatchList& watchList, std::int64_t now) const;
    // Every market found closed today: Hong Kong and the US by this gate, the markets of the
    // A-share hours by theirs (ClosedMarketsText's closedToday).
    std::vector<int> MarketsClosedToday(const TradingHoursGate& aShareHours, std::int64_t now) const;

private:
    struct State {
        std::int64_t lastRequestMs = std::numeric_limits<std::int64_t>::min() / 2;
        std::int64_t closedDay = std::numeric_limits<std::int64_t>::min(); // the market's own day
    };
    bool isDue(int market, std::int64_t now, std::int64_t steadyMs) const;
    State state(int market) const;

    bool m_enabled = true;
    std::map<int, State> m_states;
};

} // namespace marlune
