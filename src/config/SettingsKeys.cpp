#include "config/SettingsKeys.h"

#include "text/CNumber.h"

namespace marlune {
namespace {

bool IsScanBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

} // namespace

std::uint32_t ScanHexColor(std::string_view text) {
    constexpr std::size_t kWidth = 6;
    std::size_t pos = 0;
    while (pos < text.size() && IsScanBlank(text[pos]))
        ++pos;
    std::string_view field = text.substr(pos, kWidth);
    std::size_t i = 0;
    bool negative = false;
    if (i < field.size() && (field[i] == '+' || field[i] == '-'))
        negative = field[i++] == '-';
    // "0x" counts only when a digit follows within the width, as scanf reads it.
    if (i + 2 < field.size() && field[i] == '0' && (field[i + 1] == 'x' || field[i + 1] == 'X') &&
        HexDigitValue(field[i + 2]) >= 0)
        i += 2;
    std::uint32_t value = 0;
    for (; i < field.size() && HexDigitValue(field[i]) >= 0; ++i)
        value = value * 16 + static_cast<std::uint32_t>(HexDigitValue(field[i]));
    if (negative)
        value = 0u - value;
    return value & 0xFFFFFFu;
}

Rgb ParseIniColor(std::string_view text) {
    return FromColorref(ScanHexColor(text));
}

std::string IniColorText(Rgb color) {
    return Format("%06x", static_cast<unsigned>(ToColorref(color)));
}

Rgb ParseXmlColor(std::string_view text) {
    return FromRrggbb(ScanHexColor(text));
}

std::string XmlColorText(Rgb color) {
    return Format("%06x", static_cast<unsigned>(ToRrggbb(color)));
}

} // namespace marlune
