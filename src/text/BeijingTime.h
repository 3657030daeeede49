#pragma once
// Calendar and clock of Beijing time (UTC+8, no daylight saving) from seconds since
// 1970-01-01 UTC, whatever time zone the machine is set to. Quote services and the
// exchanges' trading hours are in Beijing time.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace marlune {

constexpr std::int64_t kBeijingOffsetSeconds = 8 * 3600;

struct BeijingTime {
    int year = 1970, month = 1, day = 1;
    int hour = 0, minute = 0, second = 0;
    int weekday = 4;            // 0 Sunday .. 6 Saturday (1970-01-01 was a Thursday)
    std::int64_t dayNumber = 0; // days since 1970-01-01 in Beijing time

    int SecondOfDay() const { return hour * 3600 + minute * 60 + second; }
    bool IsWeekday() const { return weekday >= 1 && weekday <= 5; }
    std::string Date() const;     // "YYYY-MM-DD"
    std::string DateTime() const; // "YYYY-MM-DD HH:MM:SS"
};

BeijingTime BeijingTimeAt(std::int64_t unixSeconds);

// Days since 1970-01-01 of a proleptic Gregorian date, and back.
std::int64_t DaysFromCivil(int year, int month, int day);
void CivilFromDays(std::int64_t days, int& year, int& month, int& day);

// Seconds since 1970 (UTC) of a Beijing date and time.
std::int64_t UnixSecondsOfBeijing(int year, int month, int day, int hour, int minute, int second);

// "2026-04-24 10:21:18", "2026-04-24T10:21" or "2026-04-24" (midnight) in Beijing time as
// seconds since 1970; nothing for anything else.
std::optional<std::int64_t> ParseBeijingDateTime(std::string_view text);

// A clock that reads `start` (seconds since 1970) when it is made and runs on at the
// machine's speed: --beijing-time of the programs, so that tests and demos see the trading
// hours of a chosen moment.
class RunningClock {
public:
    explicit RunningClock(std::int64_t start);
    std::int64_t Now() const;

private:
    std::int64_t m_shift; // seconds added to the machine's clock
};

} // namespace marlune
