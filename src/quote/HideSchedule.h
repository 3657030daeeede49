#pragma once
// When the ticker hides itself on a schedule: after the day's last session until the next
// open, and, when asked, while the quotes are stale. A market's trading day runs from the
// start of its first session to the end of its last on one of its weekdays, the lunch break
// included (the window stays through it). The list's markets count (Shanghai's hours for an
// empty list); a list of Shanghai and US stocks is in its trading day from 09:15 to 15:00
// and from 21:30 (22:30 in New York's winter) to 04:00 Beijing time.
//
// Stale quotes, during a trading day of a market kept in Beijing time: quotes dated another
// day than today's, or, inside a session from 10 minutes after its start, quotes more than
// 10 minutes old (a service that has stopped, a holiday). Without quotes nothing is stale:
// they are still to come.

#include "quote/StockEntry.h"

#include <cstdint>
#include <string>

namespace marlune {

inline constexpr int kStaleQuoteSeconds = 600;

// True while a market of the list is in its trading day at `now` (seconds since 1970).
bool InTradingDay(const WatchList& list, std::int64_t now);

// True when the quotes, whose latest time is latestQuoteTime (LatestQuoteTime), are stale at
// `now`.
bool QuotesStale(const WatchList& list, std::int64_t now, const std::string& latestQuoteTime);

// Whether the schedule keeps the ticker out of sight at `now`: outside the trading day with
// afterClose, and inside it while the quotes are stale with whenStale too.
bool ScheduleHidesTicker(bool afterClose, bool whenStale, const WatchList& list, std::int64_t now,
                         const std::string& latestQuoteTime);

} // namespace marlune
