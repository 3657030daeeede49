#include "text/BeijingTime.h"

#include "text/CNumber.h"

#include <ctime>

namespace marlune {
namespace {

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    const std::int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

} // namespace

namespace {

// Appends a number of 0..99 (two digits) or 0..9999 (four digits) with leading zeros.
void AppendDigits(std::string& out, int value, int digits) {
    char text[4];
    for (int i = digits - 1; i >= 0; --i, value /= 10)
        text[i] = static_cast<char>('0' + value % 10);
    out.append(text, static_cast<std::size_t>(digits));
}

bool IsPlainDate(const BeijingTime& time) {
    return time.year >= 0 && time.year <= 9999 && time.month >= 0 && time.month <= 99 && time.day >= 0 &&
           time.day <= 99;
}

} // namespace

std::string BeijingTime::Date() const {
    // Every quote of every refresh carries a date: digits by hand, printf for the odd year.
    if (!IsPlainDate(*this))
        return Format("%04d-%02d-%02d", year, month, day);
    std::string text;
    text.reserve(19);
    AppendDigits(text, year, 4);
    text += '-';
    AppendDigits(text, month, 2);
    text += '-';
    AppendDigits(text, day, 2);
    return text;
}

std::string BeijingTime::DateTime() const {
    std::string text = Date();
    if (hour < 0 || hour > 99 || minute < 0 || minute > 99 || second < 0 || second > 99)
        return text + Format(" %02d:%02d:%02d", hour, minute, second);
    text += ' ';
    AppendDigits(text, hour, 2);
    text += ':';
    AppendDigits(text, minute, 2);
    text += ':';
    AppendDigits(text, second, 2);
    return text;
}

std::int64_t DaysFromCivil(int year, int month, int day) {
    const std::int64_t y = static_cast<std::int64_t>(year) - (month <= 2 ? 1 : 0);
    const std::int64_t era = FloorDiv(y, 400);
    const std::int64_t yearOfEra = y - era * 400;
    const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

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

BeijingTime BeijingTimeAt(std::int64_t unixSeconds) {
    const std::int64_t local = unixSeconds + kBeijingOffsetSeconds;
    BeijingTime time;
    time.dayNumber = FloorDiv(local, 86400);
    const int secondOfDay = static_cast<int>(local - time.dayNumber * 86400);
    CivilFromDays(time.dayNumber, time.year, time.month, time.day);
    time.hour = secondOfDay / 3600;
    time.minute = secondOfDay / 60 % 60;
    time.second = secondOfDay % 60;
    time.weekday = static_cast<int>(((time.dayNumber + 4) % 7 + 7) % 7);
    return time;
}

std::int64_t UnixSecondsOfBeijing(int year, int month, int day, int hour, int minute, int second) {
    return DaysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second -
           kBeijingOffsetSeconds;
}

std::optional<std::int64_t> ParseBeijingDateTime(std::string_view text) {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    auto number = [&text](std::size_t at, std::size_t length, int& out) {
        if (text.size() < at + length) {
            return false;
        }
        out = 0;
        for (std::size_t i = at; i < at + length; ++i) {
            if (text[i] < '0' || text[i] > '9') {
                return false;
            }
            out = out * 10 + (text[i] - '0');
        }
        return true;
    };
    if (!number(0, 4, year) || text.size() < 10 || text[4] != '-' || !number(5, 2, month) || text[7] != '-' ||
        !number(8, 2, day)) {
        return std::nullopt;
    }
    if (text.size() > 10) {
        if ((text[10] != ' ' && text[10] != 'T') || !number(11, 2, hour) || text.size() < 16 ||
            text[13] != ':' || !number(14, 2, minute)) {
            return std::nullopt;
        }
        if (text.size() > 16 && (text.size() != 19 || text[16] != ':' || !number(17, 2, second))) {
            return std::nullopt;
        }
    }
    if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 59) {
        return std::nullopt;
    }
    return UnixSecondsOfBeijing(year, month, day, hour, minute, second);
}

RunningClock::RunningClock(std::int64_t start)
    : m_shift(start - static_cast<std::int64_t>(std::time(nullptr))) {}

std::int64_t RunningClock::Now() const {
    return static_cast<std::int64_t>(std::time(nullptr)) + m_shift;
}

} // namespace marlune
