#include "quote/WatchListFile.h"

#include "quote/ServiceText.h"
#include "text/CNumber.h"
#include "text/Fields.h"
#include "text/FileBytes.h"
#include "text/Gbk.h"

#include <algorithm>
#include <limits>
#include <optional>

namespace marlune {
namespace {

constexpr std::size_t kShortestKeptLine = 5; // bytes
constexpr std::size_t kListFieldCount = 9;

bool IsKeptLine(std::string_view line) {
    return !line.empty() && line.front() != '[' && line.front() != '#' &&
           ServiceByteLength(line) >= kShortestKeptLine;
}

// The first nine fields of SplitFields(line, "|"). Fields after the ninth are ignored, so
// they are not split at all: a hostile line of a million separators costs no more than nine.
std::vector<std::string> ListFields(std::string_view line) {
    std::size_t cut = std::string_view::npos;
    std::size_t from = 0;
    for (std::size_t found = 0; found < kListFieldCount; ++found) {
        cut = line.find('|', from);
        if (cut == std::string_view::npos)
            break;
        from = cut + 1;
    }
    return SplitFields(cut == std::string_view::npos ? line : line.substr(0, cut), "|");
}

// A number too large for a float reads as the largest float rather than as infinity, which
// would be written as "inf" and read back as 0.
float ToFloat(double value) {
    constexpr double kLargest = std::numeric_limits<float>::max();
    return static_cast<float>(std::clamp(value, -kLargest, kLargest));
}

std::string WithoutSeparators(std::string text) {
    std::replace(text.begin(), text.end(), '|', ' ');
    std::replace(text.begin(), text.end(), '\n', ' ');
    return text;
}

} // namespace

std::vector<std::string> SplitListLines(std::string_view fileBytes) {
    // "\n" and "\r" never occur inside a GBK character, so decoding first cuts no line apart;
    // the length rule is then measured on the bytes the file had.
    const std::string text = GbkToUtf8(fileBytes);
    std::vector<std::string> lines;
    ForEachLine(text, [&lines](std::string_view line) {
        if (IsKeptLine(line))
            lines.emplace_back(line);
    });
    return lines;
}

bool ReadListLines(const std::string& path, std::vector<std::string>& lines) {
    lines.clear();
    std::optional<std::string> bytes = ReadFileBytes(path);
    if (!bytes)
        return false;
    lines = SplitListLines(*bytes);
    return true;
}

WatchList WatchListFromLines(const std::vector<std::string>& lines, MarketReading reading) {
    WatchList list;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::vector<std::string> fields = ListFields(lines[i]);
        if (fields.size() < kListFieldCount)
            continue;
        StockEntry entry;
        entry.recordKey = fields[0];
        entry.code = fields[1];
        entry.name = fields[2];
        entry.rowIndex = static_cast<int>(reading == MarketReading::Number ? i : list.size());
        if (reading == MarketReading::Number)
            entry.market = AtoI(fields[3]);
        else
            entry.market = !fields[3].empty() && fields[3].front() == '1' ? kMarketShanghai : kMarketShenzhen;
        entry.alertFlag = AtoI(fields[4]);
        entry.upperLimit = ToFloat(AtoF(fields[5]));
        entry.lowerLimit = ToFloat(AtoF(fields[6]));
        entry.quantity = AtoI(fields[7]);
        entry.cost = ToFloat(AtoF(fields[8]));
        list.push_back(std::move(entry));
    }
    return list;
}

WatchList LoadWatchList(const std::string& path) {
    std::vector<std::string> lines;
    ReadListLines(path, lines);
    return WatchListFromLines(lines, MarketReading::Number);
}

WatchList LoadWatchListForEditing(const std::string& path) {
    std::vector<std::string> lines;
    ReadListLines(path, lines);
    return WatchListFromLines(lines, MarketReading::FirstDigit);
}

std::string FormatListLine(const StockEntry& entry) {
    std::string line = WithoutSeparators(entry.recordKey);
    line += '|';
    line += WithoutSeparators(entry.code);
    line += '|';
    line += WithoutSeparators(entry.name);
    line += '|';
    line += Format("%d|%d|%.2f|%.2f|%d|%.2f", entry.market, entry.alertFlag,
                   static_cast<double>(entry.upperLimit), static_cast<double>(entry.lowerLimit),
                   entry.quantity, static_cast<double>(entry.cost));
    return line;
}

std::string WatchListFileBytes(const WatchList& list) {
    std::string bytes;
    for (const StockEntry& entry : list) {
        bytes += Utf8ToGbk(FormatListLine(entry));
        bytes += "\r\n";
    }
    return bytes;
}

bool SaveWatchList(const std::string& path, const WatchList& list) {
    return WriteFileAtomically(path, WatchListFileBytes(list));
}

int FindQuote(const QuoteList& quotes, const std::string& code, int market) {
    for (std::size_t i = 0; i < quotes.size(); ++i) {
        if (quotes[i].market == market && quotes[i].code == code)
            return static_cast<int>(i);
    }
    return -1;
}

void ClearQuote(StockEntry& entry) {
    int market = entry.quote.market;
    entry.quote = QuoteRecord{};
    entry.quote.market = market;
}

void CopyQuote(StockEntry& entry, const QuoteRecord& quote) {
    entry.quote = quote;
}

} // namespace marlune
