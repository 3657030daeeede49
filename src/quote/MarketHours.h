#pragma once
// When each market of MarketTable() trades, from seconds since 1970 (UTC), whatever time
// zone the machine is in. Shanghai, Shenzhen, Beijing and Hong Kong keep Beijing time all
// year; the US exchanges keep New York time with its daylight saving (from 02:00 on the
// second Sunday of March to 02:00 on the first Sunday of November), so their 09:30-16:00 is
// 21:30-04:00 Beijing time in summer and 22:30-05:00 in winter, across midnight. Sessions
// run Monday to Friday of the market's own calendar; holidays are found from the quotes.

#include "quote/Markets.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace marlune {

// New York's offset from UTC at that moment: -4 h in daylight saving, else -5 h.
std::int64_t NewYorkOffsetSeconds(std::int64_t unixSeconds);

// The offset of the market's clock from UTC at that moment.
std::int64_t MarketClockOffsetSeconds(MarketClock clock, std::int64_t unixSeconds);

// Seconds since 1970 of a wall-clock time of the market's clock, taken as seconds since
// 1970 as if that clock were UTC (the form the services' New York times come in).
std::int64_t UnixSecondsOfMarketTime(MarketClock clock, std::int64_t localSeconds);

// True inside one of the market's sessions on one of its weekdays (start in, end out).
bool IsMarketInSession(const MarketInfo& market, std::int64_t unixSeconds);

// The end of the market's latest session that ended at or before now on the market's
// current weekday; nothing before the first session's end or on a weekend.
std::optional<std::int64_t> LatestSessionEnd(const MarketInfo& market, std::int64_t unixSeconds);

// The markets of the watch list's rows that are in session at that moment, each once, in
// table order.
std::vector<int> MarketsInSession(const WatchList& watchList, std::int64_t unixSeconds);

// What the status line says about markets of the rows whose hours differ from the A shares':
// "港股休市", "美股休市" (joined by "，") for a Hong Kong or US market of the rows that is closed
// while another market of the rows trades; empty otherwise (when all of them are closed the
// status line says so as for the A shares). A market of closedToday (a holiday the quotes'
// dates told) is closed all day, in session or not.
std::string ClosedMarketsText(const WatchList& watchList, std::int64_t unixSeconds,
                              const std::vector<int>& closedToday = {});

// Funds publish the day's net value in the evening: from 20:00 Beijing time on a weekday
// one request asks for it.
constexpr int kFundNetValueHour = 20;
bool IsFundNetValueTime(std::int64_t unixSeconds);

} // namespace marlune
