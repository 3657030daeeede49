#include "quote/ServiceText.h"

#include "text/CNumber.h"
#include "text/Fields.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <system_error>

namespace marlune {
namespace {

bool IsContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

constexpr std::string_view kReplacement = "\xEF\xBF\xBD"; // U+FFFD

} // namespace

std::size_t ServiceByteLength(std::string_view utf8) {
    std::size_t length = 0;
    std::size_t i = 0;
    while (i < utf8.size()) {
        auto lead = static_cast<unsigned char>(utf8[i]);
        if (lead < 0x80) {
            ++length;
            ++i;
            continue;
        }
        std::size_t next = i + 1;
        while (next < utf8.size() && IsContinuationByte(utf8[next]))
            ++next;
        length += utf8.substr(i, next - i) == kReplacement ? 1 : 2;
        i = next;
    }
    return length;
}

std::vector<std::string> SplitHead(std::string_view text, std::string_view separator, std::size_t maxFields) {
    if (separator.empty() || maxFields == 0)
        return {};
    // Find the separator that would start field maxFields and split only what comes before it,
    // searching the way Split does (the first search from the second character).
    std::size_t found = text.find(separator, 1);
    for (std::size_t fields = 1; found != std::string_view::npos && fields < maxFields; ++fields)
        found = text.find(separator, found + separator.size());
    return Split(found == std::string_view::npos ? text : text.substr(0, found), separator);
}

std::string_view Utf8Slice(std::string_view text, std::size_t pos, std::size_t n) {
    if (pos >= text.size())
        return {};
    std::size_t end = text.size() - pos > n ? pos + n : text.size();
    while (pos < end && IsContinuationByte(text[pos]))
        ++pos;
    // A character that runs past the end is left out: move back to its lead byte.
    while (end > pos && end < text.size() && IsContinuationByte(text[end]))
        --end;
    return text.substr(pos, end - pos);
}

std::string_view Utf8Right(std::string_view text, std::size_t n) {
    std::size_t start = text.size() > n ? text.size() - n : 0;
    while (start < text.size() && IsContinuationByte(text[start]))
        ++start;
    return text.substr(start);
}

double QuoteNumber(std::string_view text) {
    if (text.find(',') == std::string_view::npos)
        return AtoF(text);
    auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    std::string joined;
    joined.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        bool groupFollows = i + 3 < text.size() && isDigit(text[i + 1]) && isDigit(text[i + 2]) &&
                            isDigit(text[i + 3]) && (i + 4 == text.size() || !isDigit(text[i + 4]));
        if (text[i] == ',' && i > 0 && isDigit(text[i - 1]) && groupFollows)
            continue;
        if (text[i] == ',')
            break; // the number ends here
        joined += text[i];
    }
    return AtoF(joined);
}

bool FitsQuoteField(std::string_view utf8) {
    if (utf8.size() <= kLongestQuoteField)
        return true;
    std::size_t characters = 0;
    for (char c : utf8) {
        if (!IsContinuationByte(c) && ++characters > kLongestQuoteField)
            return false;
    }
    return true;
}

bool IsPlainFigure(std::string_view text) {
    if (text.empty() || text.size() > kLongestQuoteField)
        return false;
    auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    std::size_t i = text[0] == '-' || text[0] == '+' ? 1 : 0;
    std::size_t digits = 0;
    std::size_t sinceSeparator = std::string_view::npos; // digits since the last thousands separator
    for (; i < text.size() && text[i] != '.'; ++i) {
        if (isDigit(text[i])) {
            ++digits;
            if (sinceSeparator != std::string_view::npos)
                ++sinceSeparator;
        } else if (text[i] == ',' && digits > 0 &&
                   (sinceSeparator == std::string_view::npos || sinceSeparator == 3)) {
            sinceSeparator = 0;
        } else {
            return false;
        }
    }
    if (sinceSeparator != std::string_view::npos && sinceSeparator != 3)
        return false;
    if (i < text.size()) { // the fraction
        ++i;
        for (; i < text.size(); ++i) {
            if (!isDigit(text[i]))
                return false;
            ++digits;
        }
    }
    return digits > 0;
}

bool IsSaneFigure(std::string_view text, double bound) {
    if (text.empty())
        return true;
    if (!IsPlainFigure(text))
        return false;
    const double value = QuoteNumber(text);
    return std::isfinite(value) && std::fabs(value) < bound;
}

bool HasSanePrices(const QuoteRecord& record) {
    for (const std::string* price :
         {&record.price, &record.open, &record.high, &record.low, &record.previousClose}) {
        if (!IsSaneFigure(*price, kPriceBound))
            return false;
    }
    return FitsQuoteField(record.name) && FitsQuoteField(record.code);
}

namespace {

std::string RequestedKey(int market, std::string_view code) {
    std::string key = std::to_string(market);
    key += '|';
    key += code;
    return key;
}

} // namespace

RequestedCodes::RequestedCodes(const WatchList& watchList) {
    m_keys.reserve(watchList.size());
    for (const StockEntry& entry : watchList)
        m_keys.push_back(RequestedKey(entry.market, entry.code));
    std::sort(m_keys.begin(), m_keys.end());
}

bool RequestedCodes::Contains(int market, std::string_view code) const {
    return std::binary_search(m_keys.begin(), m_keys.end(), RequestedKey(market, code));
}

namespace {

// The N of a format "%.Nf" or "%.Nf%%" (N one digit), or -1 for any other format.
int FixedPrecisionOf(std::string_view format, bool& percent) {
    if (format.size() < 4 || format.substr(0, 2) != "%." || format[2] < '0' || format[2] > '9' ||
        format[3] != 'f')
        return -1;
    percent = format.substr(4) == "%%";
    return format.size() == 4 || percent ? format[2] - '0' : -1;
}

} // namespace

std::string FigureText(const char* format, double value) {
    // The parsers print a few figures per stock and refresh; printf is most of that cost.
    // std::to_chars prints fixed notation exactly as printf does, several times faster.
    bool percent = false;
    const int precision = FixedPrecisionOf(format, percent);
    if (precision >= 0 && std::isfinite(value)) {
        char buffer[400]; // the largest double in fixed notation with 9 decimals fits
        const std::to_chars_result printed =
            std::to_chars(buffer, buffer + sizeof buffer - 1, value, std::chars_format::fixed, precision);
        if (printed.ec == std::errc()) {
            char* begin = buffer;
            // A value that rounds to zero has no sign worth showing ("-0.00" is "0.00").
            if (*begin == '-' &&
                std::all_of(begin + 1, printed.ptr, [](char c) { return c == '0' || c == '.'; }))
                ++begin;
            char* end = printed.ptr;
            if (percent)
                *end++ = '%';
            return std::string(begin, end);
        }
    }
    return WithoutNegativeZero(Format(format, value));
}

std::string PercentText(double numerator, double denominator) {
    if (denominator == 0.0)
        return "-";
    double rate = numerator * 100.0 / denominator;
    if (!std::isfinite(rate))
        return "-";
    return FigureText("%.2f%%", rate);
}

bool IsRisingChange(double change, int decimals) {
    double step = 0.001;
    for (int d = 3; d < decimals; ++d)
        step /= 10.0;
    return change >= step * (1.0 - 1e-6);
}

std::string WithPlusSign(std::string_view text) {
    if (!text.empty() && text.front() == '+')
        return std::string(text);
    std::string out;
    out.reserve(text.size() + 1);
    out += '+';
    out += text;
    return out;
}

bool IsMainIndexKey(std::string_view key) {
    return key == "sz399001" || key == "sh000001";
}

void SetChangeTexts(QuoteRecord& record, bool mainIndex, double previousClose, double price, double high,
                    double low) {
    SetChangeTexts(record, mainIndex ? "%.3f" : "%.2f", previousClose, price, high, low);
}

void SetChangeTexts(QuoteRecord& record, const char* changeFormat, double previousClose, double price,
                    double high, double low) {
    record.amplitude = price > 0.05 ? PercentText(high - low, previousClose) : "-";
    // Before the first trade and while suspended the price is 0: the stock has not moved.
    const double change = (price > 0.0 ? price : previousClose) - previousClose;
    record.change = FigureText(changeFormat, change);
    record.changeRate = PercentText(change, previousClose);
    bool percent = false;
    const int decimals = FixedPrecisionOf(changeFormat, percent);
    if (IsRisingChange(change, decimals > 3 ? decimals : 3)) {
        record.change = WithPlusSign(record.change);
        if (record.changeRate != "-")
            record.changeRate = WithPlusSign(record.changeRate);
    }
}

} // namespace marlune
