#include "sim/TradingClock.h"

#include "text/CNumber.h"

namespace marlune::sim {

namespace {

constexpr std::int64_t kBeijingOffset = 8 * 3600;
constexpr std::int64_t kFirstSessionStart = 1 * 3600 + 30 * 60; // 01:30 Beijing time
constexpr int kMorningSeconds = 2 * 3600;

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    std::int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// Days since 1970-01-01 to a proleptic Gregorian date.
void CivilFromDays(std::int64_t days, int& year, int& month, int& day) {
    days += 719468;
    const std::int64_t era = FloorDiv(days, 146097);
    const std::int64_t dayOfEra = days - era * 146097;
    const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t shifted = (5 * dayOfYear + 2) / 153;
    day = static_cast<int>(dayOfYear - (153 * shifted + 2) / 5 + 1);
    month = static_cast<int>(shifted < 10 ? shifted + 3 : shifted - 9);
    year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
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

} // namespace marlune::sim
