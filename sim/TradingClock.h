#pragma once
// How wall-clock time maps onto the simulated trading day.
//
// The simulated market trades around the clock, so that prices move between two
// refreshes at any hour: every four hours of Beijing time (UTC+8) play one whole
// trading day at real speed. Sessions begin at 01:30, 05:30, 09:30, 13:30, 17:30 and
// 21:30 Beijing time. The first two hours of a session are the morning 09:30-11:30,
// the last two the afternoon 13:00-15:00, so during the session that begins at 09:30
// the morning shows the real clock. Every session is a trading day of its own, with
// the previous session's close as its previous close; its date is the Beijing date
// on which it began.

#include "text/BeijingTime.h"

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace marlune::sim {

// Trading seconds in one session: two two-hour halves.
constexpr int kSessionSeconds = 4 * 3600;
constexpr int kSessionMinutes = kSessionSeconds / 60;

struct SessionTime {
    std::int64_t session = 0; // sessions since 1970-01-01 01:30 Beijing time
    int second = 0;           // trading seconds since 09:30:00, 0 .. kSessionSeconds - 1
    int year = 1970, month = 1, day = 1;
    int hour = 9, minute = 30, secondOfMinute = 0; // the exchange's clock

    std::string Date() const; // "YYYY-MM-DD"
    std::string Time() const; // "HH:MM:SS"
};

// The session and exchange time at a moment given in seconds since 1970 (UTC).
SessionTime SessionAt(std::int64_t unixSeconds);

// The exchange's clock ("HH:MM:SS" parts) for a trading second of a session.
void ExchangeClock(int tradingSecond, int& hour, int& minute, int& second);

// The exchanges' calendar, for a market that keeps real trading hours instead of trading
// around the clock: sessions on weekdays that are not holidays, 09:30-11:30 and 13:00-15:00
// Beijing time. Before the open, at noon, after the close and on closed days the quotes
// stand still at the last trade (the previous trading day's close before the open).
struct ExchangeCalendar {
    bool enabled = false;            // false: every four hours play one trading day
    std::set<std::int64_t> holidays; // Beijing day numbers (days since 1970-01-01)
};

// The session and exchange time at a moment, by the calendar. With the calendar on, a
// session is one trading day: session numbers count trading days, so each joins the one
// before, and the date is the trading day's.
SessionTime SessionAt(std::int64_t unixSeconds, const ExchangeCalendar& calendar);

using marlune::ParseBeijingDateTime;

} // namespace marlune::sim
