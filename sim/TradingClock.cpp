#include "sim/TradingClock.h"

#include "text/BeijingTime.h"
#include "text/CNumber.h"

namespace marlune::sim {

namespace {

constexpr std::int64_t kBeijingOffset = kBeijingOffsetSeconds;
constexpr std::int64_t kFirstSessionStart = 1 * 3600 + 30 * 60; // 01:30 Beijing time
constexpr int kMorningSeconds = 2 * 3600;

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    std::int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

} // namespace

std::string SessionTime::Date() const {
    return Format("%04d-%02d-%02d", year, month, day);
}

std::string SessionTime::Time() const {
    return Format("%02d:%02d:%02d", hour, minute, secondOfMinute);
}

void ExchangeClock(int tradingSecond, int& hour, int& minute, int& second) {
    int sinceMidnight = tradingSecond < kMorningSeconds ? 9 * 3600 + 30 * 60 + tradingSecond
                                                        : 13 * 3600 + (tradingSecond - kMorningSeconds);
    hour = sinceMidnight / 3600;
    minute = sinceMidnight / 60 % 60;
    second = sinceMidnight % 60;
}

SessionTime SessionAt(std::int64_t unixSeconds) {
    SessionTime result;
    const std::int64_t sinceFirst = unixSeconds + kBeijingOffset - kFirstSessionStart;
    result.session = FloorDiv(sinceFirst, kSessionSeconds);
    result.second = static_cast<int>(sinceFirst - result.session * kSessionSeconds);
    const std::int64_t sessionStart = result.session * kSessionSeconds + kFirstSessionStart;
    CivilFromDays(FloorDiv(sessionStart, 86400), result.year, result.month, result.day);
    ExchangeClock(result.second, result.hour, result.minute, result.secondOfMinute);
    return result;
}

namespace {

constexpr int kOpenSecond = 9 * 3600 + 30 * 60;
constexpr int kNoonSecond = 11 * 3600 + 30 * 60;
constexpr int kAfternoonSecond = 13 * 3600;
constexpr int kCloseSecond = 15 * 3600;

bool IsTradingDay(std::int64_t day, const ExchangeCalendar& calendar) {
    const std::int64_t weekday = ((day + 4) % 7 + 7) % 7; // 1970-01-01 was a Thursday
    return weekday >= 1 && weekday <= 5 && calendar.holidays.count(day) == 0;
}

// Weekdays in [0, day), less the holidays among them: consecutive numbers for trading days.
std::int64_t TradingDayNumber(std::int64_t day, const ExchangeCalendar& calendar) {
    if (day <= 0) {
        return day;
    }
    static constexpr int kWeekdayOfOffset[7] = {4, 5, 6, 0, 1, 2, 3}; // days after a week start
    std::int64_t count = day / 7 * 5;
    for (std::int64_t i = 0; i < day % 7; ++i) {
        const int weekday = kWeekdayOfOffset[i];
        if (weekday >= 1 && weekday <= 5) {
            ++count;
        }
    }
    for (std::int64_t holiday : calendar.holidays) {
        if (holiday >= day) {
            break;
        }
        if (((holiday + 4) % 7 + 7) % 7 >= 1 && ((holiday + 4) % 7 + 7) % 7 <= 5) {
            --count;
        }
    }
    return count;
}

} // namespace

SessionTime SessionAt(std::int64_t unixSeconds, const ExchangeCalendar& calendar) {
    if (!calendar.enabled) {
        return SessionAt(unixSeconds);
    }
    const BeijingTime now = BeijingTimeAt(unixSeconds);
    std::int64_t day = now.dayNumber;
    const int secondOfDay = now.SecondOfDay();
    SessionTime result;
    int clockSecond = kCloseSecond; // what the exchange's clock shows while quotes stand still
    if (IsTradingDay(day, calendar) && secondOfDay >= kOpenSecond) {
        if (secondOfDay < kNoonSecond) {
            result.second = secondOfDay - kOpenSecond;
            clockSecond = -1;
        } else if (secondOfDay < kAfternoonSecond) {
            result.second = kNoonSecond - kOpenSecond - 1;
            clockSecond = kNoonSecond;
        } else if (secondOfDay < kCloseSecond) {
            result.second = kNoonSecond - kOpenSecond + secondOfDay - kAfternoonSecond;
            clockSecond = -1;
        } else {
            result.second = kSessionSeconds - 1;
        }
    } else {
        // Before the open or on a closed day: the last trading day's close.
        for (int back = 0; back < 60; ++back) {
            --day;
            if (IsTradingDay(day, calendar)) {
                break;
            }
        }
        result.second = kSessionSeconds - 1;
    }
    result.session = TradingDayNumber(day, calendar);
    CivilFromDays(day, result.year, result.month, result.day);
    if (clockSecond < 0) {
        ExchangeClock(result.second, result.hour, result.minute, result.secondOfMinute);
    } else {
        result.hour = clockSecond / 3600;
        result.minute = clockSecond / 60 % 60;
        result.secondOfMinute = 0;
    }
    return result;
}

} // namespace marlune::sim
