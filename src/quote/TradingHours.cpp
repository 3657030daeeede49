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

std::string ClosedStatusText(const std::string& latestQuoteTime) {
    if (latestQuoteTime.empty())
        return "休市";
    return "休市（最后行情：" + latestQuoteTime + "）";
}

bool TradingHoursGate::IsClosedDay(std::int64_t now) const {
    return m_enabled && BeijingTimeAt(now).dayNumber == m_closedDay;
}

bool TradingHoursGate::IsClosed(std::int64_t now) const {
    return m_enabled && (IsClosedDay(now) || !IsInTradingSession(now));
}

bool TradingHoursGate::ShouldRefresh(std::int64_t now) const {
    if (!m_enabled)
        return true;
    if (IsClosedDay(now))
        return now - m_lastRequest >= kClosedDayRetrySeconds;
    if (IsInTradingSession(now))
        return true;
    const BeijingTime time = BeijingTimeAt(now);
    if (!time.IsWeekday())
        return false;
    // One refresh after each session's end, unless one has run since.
    const std::int64_t midnight = now - time.SecondOfDay();
    for (int end : {kMorningEnd, kAfternoonEnd}) {
        const std::int64_t due = midnight + end + kCatchUpDelaySeconds;
        if (now >= due && m_lastRequest < midnight + end &&
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
