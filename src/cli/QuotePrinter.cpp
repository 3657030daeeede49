#include "cli/QuotePrinter.h"

#include "quote/Markets.h"
#include "quote/QuoteTable.h"
#include "text/CNumber.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

namespace marlune {
namespace {

// Decodes one UTF-8 code point at pos and advances pos; invalid bytes count as one column.
std::uint32_t NextCodePoint(const std::string& text, std::size_t& pos) {
    unsigned char lead = static_cast<unsigned char>(text[pos]);
    int length = lead < 0x80           ? 1
                 : (lead >> 5) == 0x6  ? 2
                 : (lead >> 4) == 0xE  ? 3
                 : (lead >> 3) == 0x1E ? 4
                                       : 1;
    if (pos + static_cast<std::size_t>(length) > text.size())
        length = 1;
    std::uint32_t cp = length == 1 ? lead : lead & (0x7F >> length);
    for (int i = 1; i < length; ++i)
        cp = (cp << 6) | (static_cast<unsigned char>(text[pos + i]) & 0x3F);
    pos += static_cast<std::size_t>(length);
    return cp;
}

bool IsWide(std::uint32_t cp) {
    return (cp >= 0x1100 && cp <= 0x115F) || (cp >= 0x2E80 && cp <= 0xA4CF) ||
           (cp >= 0xAC00 && cp <= 0xD7A3) || (cp >= 0xF900 && cp <= 0xFAFF) ||
           (cp >= 0xFE30 && cp <= 0xFE4F) || (cp >= 0xFF00 && cp <= 0xFF60) || (cp >= 0xFFE0 && cp <= 0xFFE6);
}

// Length of the well-formed UTF-8 sequence at pos, or 0 when the bytes there are not one.
std::size_t Utf8SequenceLength(const std::string& text, std::size_t pos) {
    const auto byte = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(pos);
    const std::size_t length = lead >= 0xC2 && lead <= 0xDF   ? 2
                               : lead >= 0xE0 && lead <= 0xEF ? 3
                               : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                              : 0;
    if (length == 0 || pos + length > text.size())
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(pos + i) & 0xC0) != 0x80)
            return 0;
    }
    return length;
}

// The text as the terminal may see it: every control character (C0, DEL and C1, which a
// terminal would obey as escape sequences) and every byte that is not UTF-8 becomes "?".
std::string TerminalSafe(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        const auto lead = static_cast<unsigned char>(text[pos]);
        if (lead < 0x80) {
            out += lead < 0x20 || lead == 0x7F ? '?' : static_cast<char>(lead);
            ++pos;
            continue;
        }
        const std::size_t length = Utf8SequenceLength(text, pos);
        const bool c1Control =
            length == 2 && lead == 0xC2 && static_cast<unsigned char>(text[pos + 1]) < 0xA0;
        if (length == 0 || c1Control) {
            out += '?';
            pos += length == 0 ? 1 : length;
            continue;
        }
        out.append(text, pos, length);
        pos += length;
    }
    return out;
}

const char* ColourCode(CellColor colour) {
    switch (colour) {
    case CellColor::Up:
        return "\x1b[31m";
    case CellColor::Down:
        return "\x1b[32m";
    case CellColor::Name:
        return "\x1b[34m";
    default:
        return "";
    }
}

void AppendPadded(std::string& out, const std::string& text, int width, bool alignRight) {
    int padding = std::max(0, width - DisplayWidth(text));
    if (alignRight)
        out.append(static_cast<std::size_t>(padding), ' ');
    out += text;
    if (!alignRight)
        out.append(static_cast<std::size_t>(padding), ' ');
}

void AppendJsonString(std::string& out, const std::string& text) {
    out += '"';
    for (unsigned char c : text) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20)
                out += Format("\\u%04x", c);
            else
                out += static_cast<char>(c);
        }
    }
    out += '"';
}

} // namespace

int DisplayWidth(const std::string& utf8) {
    int width = 0;
    std::size_t pos = 0;
    while (pos < utf8.size())
        width += IsWide(NextCodePoint(utf8, pos)) ? 2 : 1;
    return width;
}

std::string FormatQuoteTable(const QuoteBook& book, bool colour) {
    const auto& columns = QuoteColumns();
    std::vector<std::array<std::string, kQuoteColumnCount>> rows;
    rows.reserve(book.watchList.size());
    for (const StockEntry& entry : book.watchList) {
        rows.push_back(QuoteRowTexts(entry));
        for (std::string& cell : rows.back())
            cell = TerminalSafe(cell);
    }

    std::array<int, kQuoteColumnCount> widths{};
    for (int c = 0; c < kQuoteColumnCount; ++c) {
        widths[c] = DisplayWidth(columns[c].header);
        for (const auto& row : rows)
            widths[c] = std::max(widths[c], DisplayWidth(row[c]));
    }

    std::string out;
    const char* bold = colour ? "\x1b[1m" : "";
    const char* reset = colour ? "\x1b[0m" : "";
    out += bold;
    for (int c = 0; c < kQuoteColumnCount; ++c) {
        if (c > 0)
            out += "  ";
        AppendPadded(out, columns[c].header, widths[c], c == kColCode);
    }
    out += reset;
    out += '\n';
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (int c = 0; c < kQuoteColumnCount; ++c) {
            if (c > 0)
                out += "  ";
            const char* code = colour ? ColourCode(QuoteCellColor(book.watchList[r], c)) : "";
            out += code;
            AppendPadded(out, rows[r][c], widths[c], c == kColCode);
            if (*code)
                out += reset;
        }
        out += '\n';
    }
    out += bold;
    out += TerminalSafe(TotalLineTextOf(book, true));
    out += reset;
    out += '\n';
    return out;
}

namespace {

std::vector<std::string> AlertMessages(const std::string& alertText) {
    std::vector<std::string> messages;
    std::size_t start = 0;
    while (start < alertText.size()) {
        std::size_t end = alertText.find('\n', start);
        if (end == std::string::npos)
            end = alertText.size();
        if (end > start)
            messages.push_back(alertText.substr(start, end - start));
        start = end + 1;
    }
    return messages;
}

} // namespace

std::string FormatAlertLines(const std::string& alertText) {
    std::string out;
    for (const std::string& message : AlertMessages(alertText))
        out += "预警：" + TerminalSafe(message) + "\n";
    return out;
}

std::string FormatQuoteJson(const QuoteBook& book, const std::string& alertText) {
    static const std::array<const char*, 15> keys = {
        "code",      "name",      "price",  "change", "changeRate", "high",   "low",     "open",
        "prevClose", "amplitude", "volume", "amount", "plAmount",   "plRate", "dateTime"};
    std::string out = "{\"rows\":[";
    for (std::size_t r = 0; r < book.watchList.size(); ++r) {
        const StockEntry& entry = book.watchList[r];
        const QuoteRecord& q = entry.quote;
        const std::array<const std::string*, 15> values = {
            &entry.code, &ShownName(entry), &q.price,         &q.change,    &q.changeRate, &q.high,
            &q.low,      &q.open,           &q.previousClose, &q.amplitude, &q.volume,     &q.amount,
            &q.plAmount, &q.plRate,         &q.dateTime};
        if (r > 0)
            out += ',';
        out += '{';
        for (std::size_t k = 0; k < keys.size(); ++k) {
            if (k > 0)
                out += ',';
            AppendJsonString(out, keys[k]);
            out += ':';
            AppendJsonString(out, *values[k]);
        }
        // The currency the row's prices and profit or loss are in.
        const MarketInfo* market = MarketOf(entry.market);
        out += ",\"market\":" + std::to_string(entry.market) + ",\"currency\":";
        AppendJsonString(out, market ? std::string(market->currency) : std::string());
        // Only a quote in a service's delayed form says so; real-time rows carry nothing.
        if (q.delayed)
            out += ",\"delayed\":true";
        out += '}';
    }
    out += "],\"total\":{\"plAmount\":";
    AppendJsonString(out, book.totalPlAmount);
    out += ",\"plRate\":";
    AppendJsonString(out, book.totalPlRate);
    out += ",\"updateTime\":";
    AppendJsonString(out, book.updateTime);
    // The rates the total converted holdings in other currencies at, and those it left out
    // for want of one; a list of yuan holdings alone has neither.
    if (!book.exchangeRates.empty() || !book.totalLeavesOut.empty()) {
        out += ",\"rates\":[";
        for (std::size_t i = 0; i < book.exchangeRates.size(); ++i) {
            const ExchangeRate& rate = book.exchangeRates[i];
            out += i > 0 ? ",{\"currency\":" : "{\"currency\":";
            AppendJsonString(out, rate.currency);
            out += ",\"yuan\":" + Format("%.10g", rate.yuan) + ",\"time\":";
            AppendJsonString(out, rate.time);
            out += '}';
        }
        out += "],\"ratesStale\":";
        out += book.exchangeRatesStale ? "true" : "false";
        out += ",\"leftOut\":[";
        for (std::size_t i = 0; i < book.totalLeavesOut.size(); ++i) {
            if (i > 0)
                out += ',';
            AppendJsonString(out, book.totalLeavesOut[i]);
        }
        out += ']';
    }
    out += '}';
    const std::vector<std::string> alerts = AlertMessages(alertText);
    if (!alerts.empty()) {
        out += ",\"alerts\":[";
        for (std::size_t i = 0; i < alerts.size(); ++i) {
            if (i > 0)
                out += ',';
            AppendJsonString(out, alerts[i]);
        }
        out += ']';
    }
    out += '}';
    return out;
}

} // namespace marlune
