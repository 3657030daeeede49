#pragma once
// Lenient number reading and printf-style formatting, as the C library does them:
// settings files and quote texts are read the way atoi/atof read them.

#include <string>
#include <string_view>

namespace marlune {

// atoi: leading blanks, an optional sign and the leading decimal digits; 0 when the
// text does not start with a number. Values beyond the 32-bit range are clamped.
int AtoI(std::string_view text);

// atof: leading blanks, an optional sign, digits with an optional fraction and
// exponent; 0 when the text does not start with a number. Hexadecimal, "inf" and
// "nan" read as 0, as the quote services never send them.
double AtoF(std::string_view text);

// The text without its minus sign when it prints a zero ("-0", "-0.00", "-0.000%"): a
// value that rounds to zero has no sign worth showing. Other texts are returned unchanged.
std::string WithoutNegativeZero(std::string text);

// The value of a hexadecimal digit (either case), or -1.
int HexDigitValue(char c);

// printf-style formatting into a std::string (always the "C" decimal point).
std::string Format(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

} // namespace marlune
