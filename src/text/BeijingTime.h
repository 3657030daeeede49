#pragma once
// Calendar and clock of Beijing time (UTC+8, no daylight saving) from seconds since
// 1970-01-01 UTC, whatever time zone the machine is set to. Quote services and the
// exchanges' trading hours are in Beijing time.

#include <cstdint>
#include <string>

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

} // namespace marlune
