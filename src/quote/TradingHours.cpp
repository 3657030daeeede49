#include "quote/TradingHours.h"

#include "quote/QuoteDate.h"
#include "text/BeijingTime.h"

namespace marlune {
namespace {

constexpr int kMorningStart = 9 * 3600 + 15 * 60;
constexpr int kMorningEnd = 11 * 3600 + 30 * 60;
constexpr int kAfternoonStart = 13 * 3600;
constexpr int kAfternoonEnd = 15 * 3600;
constexpr int kHolidayCheckFrom = 9 * 3600 + 35 * 60;

} // namespace

bool IsInTradingSession(std::int64_t unixSeconds) {
    const BeijingTime time = BeijingTimeAt(unixSeconds);
    const int second = time.SecondOfDay();
    return time.IsWeekday() && ((second >= kMorningStart && second < kMorningEnd) ||
                                (second >= kAfternoonStart && second < kAfternoonEnd));
}

std::string LatestQuoteTime(const QuoteBook& book) {
    std::string latest;
    for (const StockEntry& entry : book.watchList) {
        std::string time = entry.quote.dateTime;
        for (std::size_t i = 0; i < time.size() && i < 10; ++i) {
            if (time[i] == '/')
                time[i] = '-';
        }
        if (time > latest)
            latest = std::move(time);
    }
    return latest;
}

std::string ClosedStatusText(std::int64_t now, bool closedDay, const std::string& latestQuoteTime) {
    const BeijingTime time = BeijingTimeAt(now);
    const int second = time.SecondOfDay();
    std::string text = "休市";
    if (!closedDay && time.IsWeekday() && second >= kMorningEnd && second < kAfternoonStart)
        text = "午间休市";
    else if (!closedDay && time.IsWeekday() && second >= kAfternoonEnd)
        text = "已收盘";
    if (latestQuoteTime.empty())
        return text;
    return text + "（最后行情：" + latestQuoteTime + "）";
}

bool TradingHoursGate::IsClosedDay(std::int64_t now) const {
    return m_enabled && BeijingTimeAt(now).dayNumber == m_closedDay;
}

bool TradingHoursGate::IsClosed(std::int64_t now) const {
    return m_enabled && (IsClosedDay(now) || !IsInTradingSession(now));
}

bool TradingHoursGate::ShouldRefresh(std::int64_t now, std::int64_t steadyMs) const {
    if (!m_enabled)
        return true;
    const std::int64_t sinceRequestMs = steadyMs - m_lastRequestMs;
    if (IsClosedDay(now))
        return sinceRequestMs >= std::int64_t{kClosedDayRetrySeconds} * 1000;
    if (IsInTradingSession(now))
        return true;
    const BeijingTime time = BeijingTimeAt(now);
    if (!time.IsWeekday())
        return false;
    // One refresh after each session's end, unless one has run since.
    const std::int64_t midnight = now - time.SecondOfDay();
    const std::int64_t lastRequest = now - sinceRequestMs / 1000;
    for (int end : {kMorningEnd, kAfternoonEnd}) {
        const std::int64_t due = midnight + end + kCatchUpDelaySeconds;
        if (now >= due && lastRequest < midnight + end &&
            (end == kAfternoonEnd || time.SecondOfDay() < kAfternoonStart))
            return true;
    }
    return false;
}

void TradingHoursGate::OnQuotes(std::int64_t now, const std::string& latestQuoteTime) {
    const BeijingTime time = BeijingTimeAt(now);
    if (!time.IsWeekday() || time.SecondOfDay() < kHolidayCheckFrom)
        return;
    // Each service writes its date in its own form: the dates are compared, not the texts. A
    // date that cannot be read says nothing about the day, so it never makes a holiday.
    const std::optional<std::int64_t> quoteDay = QuoteDayNumber(latestQuoteTime, now);
    if (!quoteDay)
        return;
    if (*quoteDay == time.dayNumber)
        m_closedDay = std::numeric_limits<std::int64_t>::min();
    else
        m_closedDay = time.dayNumber;
}

} // namespace marlune
