#include "quote/QuoteDate.h"

#include "text/BeijingTime.h"

#include <array>
#include <cstdlib>

namespace marlune {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The number of the digits text[from, from + count), or -1 when one is no digit.
int DigitsAt(std::string_view text, std::size_t from, std::size_t count) {
    if (text.size() < from + count)
        return -1;
    int value = 0;
    for (std::size_t i = from; i < from + count; ++i) {
        if (!IsDigit(text[i]))
            return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

// The day number of a date that exists in the calendar.
std::optional<std::int64_t> DayOf(int year, int month, int day) {
    if (month < 1 || month > 12 || day < 1 || day > 31)
        return std::nullopt;
    const std::int64_t days = DaysFromCivil(year, month, day);
    int y = 0, m = 0, d = 0;
    CivilFromDays(days, y, m, d);
    if (y != year || m != month || d != day)
        return std::nullopt; // 30 February and the like
    return days;
}

// "YYYY-MM-DD" or "YYYY/MM/DD" at the start, with the same separator twice.
std::optional<std::int64_t> NumericDay(std::string_view text) {
    if (text.size() < 10 || (text[4] != '-' && text[4] != '/') || text[7] != text[4])
        return std::nullopt;
    if (text.size() > 10 && text[10] != ' ' && text[10] != 'T')
        return std::nullopt;
    const int year = DigitsAt(text, 0, 4);
    const int month = DigitsAt(text, 5, 2);
    const int day = DigitsAt(text, 8, 2);
    if (year < 0 || month < 0 || day < 0)
        return std::nullopt;
    return DayOf(year, month, day);
}

// "Mon D" or "Mon DD" at the start, followed by the end, "," or a blank.
std::optional<std::int64_t> EnglishDay(std::string_view text, std::int64_t now) {
    static constexpr std::array<std::string_view, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                                 "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    if (text.size() < 5 || text[3] != ' ')
        return std::nullopt;
    int month = 0;
    for (std::size_t i = 0; i < kMonths.size(); ++i) {
        if (text.substr(0, 3) == kMonths[i])
            month = static_cast<int>(i) + 1;
    }
    if (month == 0)
        return std::nullopt;
    std::size_t end = 4;
    while (end < text.size() && end < 6 && IsDigit(text[end]))
        ++end;
    if (end == 4 || (end < text.size() && text[end] != ',' && text[end] != ' '))
        return std::nullopt;
    const int day = DigitsAt(text, 4, end - 4);
    const BeijingTime today = BeijingTimeAt(now);
    std::optional<std::int64_t> nearest;
    for (int year : {today.year - 1, today.year, today.year + 1}) {
        const std::optional<std::int64_t> candidate = DayOf(year, month, day);
        if (candidate &&
            (!nearest || std::llabs(*candidate - today.dayNumber) < std::llabs(*nearest - today.dayNumber)))
            nearest = candidate;
    }
    return nearest;
}

} // namespace

std::optional<std::int64_t> QuoteDayNumber(std::string_view text, std::int64_t now) {
    if (std::optional<std::int64_t> day = NumericDay(text))
        return day;
    return EnglishDay(text, now);
}

} // namespace marlune
