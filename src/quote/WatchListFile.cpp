#include "quote/WatchListFile.h"

#include "text/CNumber.h"
#include "text/Fields.h"
#include "text/FileBytes.h"
#include "text/Gbk.h"

#include <algorithm>
#include <optional>

namespace marlune {
namespace {

constexpr std::size_t kShortestKeptLine = 5; // bytes
constexpr std::size_t kListFieldCount = 9;

bool IsKeptLine(std::string_view line) {
    return line.size() >= kShortestKeptLine && line.front() != '[' && line.front() != '#';
}

std::string WithoutSeparators(std::string text) {
    std::replace(text.begin(), text.end(), '|', ' ');
    std::replace(text.begin(), text.end(), '\n', ' ');
    return text;
}

} // namespace

std::vector<std::string> SplitListLines(std::string_view fileBytes) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < fileBytes.size()) {
        std::size_t end = fileBytes.find('\n', start);
        std::size_t next = end == std::string_view::npos ? fileBytes.size() : end + 1;
        std::string_view line = fileBytes.substr(start, (end == std::string_view::npos ? next : end) - start);
        if (end != std::string_view::npos && !line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        // "\n" and "\r" never occur inside a GBK character, so the bytes can be cut before
        // they are decoded; the length rule is then about the file's bytes.
        if (IsKeptLine(line))
            lines.push_back(GbkToUtf8(line));
        start = next;
    }
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
        std::vector<std::string> fields = SplitFields(lines[i], "|");
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
        entry.upperLimit = static_cast<float>(AtoF(fields[5]));
        entry.lowerLimit = static_cast<float>(AtoF(fields[6]));
        entry.quantity = AtoI(fields[7]);
        entry.cost = static_cast<float>(AtoF(fields[8]));
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
