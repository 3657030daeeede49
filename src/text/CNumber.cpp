#include "text/CNumber.h"

#include <cctype>
#include <charconv>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <system_error>

namespace marlune {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

int AtoI(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    long long value = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        value = INT_MAX;
    return static_cast<int>(value);
}

double AtoF(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // Only the decimal form: digits, or a point followed by a digit.
    std::size_t start = i;
    if (start >= text.size())
        return 0.0;
    bool startsNumber =
        IsDigit(text[start]) || (text[start] == '.' && start + 1 < text.size() && IsDigit(text[start + 1]));
    if (!startsNumber)
        return 0.0;
    // Leading zeros followed by x/X would be hexadecimal for strtod; stop at the 0.
    double value = 0.0;
    auto result =
        std::from_chars(text.data() + start, text.data() + text.size(), value, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        // Too large or too small for a double: what strtod would give.
        std::string copy(text.substr(start, static_cast<std::size_t>(result.ptr - (text.data() + start))));
        value = std::strtod(copy.c_str(), nullptr);
    } else if (result.ec != std::errc()) {
        return 0.0;
    }
    return negative ? -value : value;
}

std::string WithoutNegativeZero(std::string text) {
    if (text.size() < 2 || text[0] != '-')
        return text;
    std::string_view rest(text);
    rest.remove_prefix(1);
    if (rest.back() == '%')
        rest.remove_suffix(1);
    if (rest.empty() || !IsDigit(rest.front()) || rest.find_first_not_of("0.") != std::string_view::npos)
        return text;
    text.erase(0, 1);
    return text;
}

std::string Format(const char* format, ...) {
    char small[128];
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int length = std::vsnprintf(small, sizeof small, format, args);
    va_end(args);
    std::string out;
    if (length < 0) {
        va_end(copy);
        return out;
    }
    if (static_cast<std::size_t>(length) < sizeof small) {
        out.assign(small, static_cast<std::size_t>(length));
    } else {
        out.resize(static_cast<std::size_t>(length) + 1);
        std::vsnprintf(out.data(), out.size(), format, copy);
        out.resize(static_cast<std::size_t>(length));
    }
    va_end(copy);
    return out;
}

} // namespace marlune
