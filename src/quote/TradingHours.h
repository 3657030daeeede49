#pragma once
// When the Shanghai and Shenzhen exchanges trade, and whether a periodic refresh is due.
//
// Trading sessions are Monday to Friday, 09:15-11:30 and 13:00-15:00 Beijing time, whatever
// time zone the machine is in. With TradeHoursOnly on, timer ticks outside them request no
// quotes, except one tick just after 11:30 and 15:00 that catches the closing prices. Holidays
// are found from the data: when, after 09:35 on a weekday, the quotes' dates are not today's
// date, today counts as closed and quotes are asked only every 10 minutes (so a day wrongly
// taken for a holiday mends itself). Start-up, the refresh button and applied settings
// request quotes whatever this says.

#include "quote/QuoteBook.h"

#include <cstdint>
#include <limits>
#include <string>

namespace marlune {

// True inside a trading session (the ends: 09:15:00 in, 11:30:00 out).
bool IsInTradingSession(std::int64_t unixSeconds);

// The latest date and time among the watch list's quotes ("YYYY-MM-DD HH:MM:SS", with "/"
// in the date read as "-"); empty without quotes.
std::string LatestQuoteTime(const QuoteBook& book);

// The status-line text while the market is closed at `now`, with the time of the last quotes:
// "午间休市（最后行情：2026-04-24 11:30:03）" in the lunch break, "已收盘（最后行情：…）" after 15:00
// on a weekday, "休市（最后行情：…）" before the morning session, at the weekend and on a day
// found closed; without quotes the first words alone.
std::string ClosedStatusText(std::int64_t now, bool closedDay, const std::string& latestQuoteTime);

class TradingHoursGate {
public:
    static constexpr int kClosedDayRetrySeconds = 600;
    // The closing catch-up runs this long after 11:30 and 15:00, once the last trades are in.
    static constexpr int kCatchUpDelaySeconds = 30;

    explicit TradingHoursGate(bool enabled = true) : m_enabled(enabled) {}
    void SetEnabled(bool enabled) { m_enabled = enabled; }
    bool Enabled() const { return m_enabled; }

    // A timer tick: true when it is to request quotes. `now` is the wall clock (seconds since
    // 1970), which decides the sessions; `steadyMs` a steady clock in milliseconds, which
    // measures the waits, so that setting the wall clock never delays or skips a refresh.
    bool ShouldRefresh(std::int64_t now, std::int64_t steadyMs) const;
    // Every request, whatever started it.
    void OnRequested(std::int64_t steadyMs) { m_lastRequestMs = steadyMs; }
    // A reply with quotes: the latest of their date and time (LatestQuoteTime), in whatever
    // form the service writes it (QuoteDayNumber); one it cannot read changes nothing.
    void OnQuotes(std::int64_t now, const std::string& latestQuoteTime);

    // Outside the sessions, or on a day found closed: the status line says so
    // (ClosedStatusText).
    bool IsClosed(std::int64_t now) const;
    bool IsClosedDay(std::int64_t now) const;

private:
    bool m_enabled;
    // The steady time of the last request. Its wall time is read back from the wall clock's
    // now, so a step of the wall clock moves it along instead of making it seem to lie
    // hours ahead or behind.
    std::int64_t m_lastRequestMs = std::numeric_limits<std::int64_t>::min() / 2;
    std::int64_t m_closedDay = std::numeric_limits<std::int64_t>::min(); // Beijing day number
};

} // namespace marlune
