#include "quote/WatchListFile.h"

#include "quote/Markets.h"
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

constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

// Measured on the line's bytes as the file has them.
bool IsKeptLine(std::string_view rawLine) {
    return rawLine.size() >= kShortestKeptLine && rawLine.front() != '[' && rawLine.front() != '#';
}

bool HasNonAscii(std::string_view bytes) {
    return std::any_of(bytes.begin(), bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

std::string_view WithoutByteOrderMark(std::string_view bytes) {
    return bytes.substr(0, kUtf8ByteOrderMark.size()) == kUtf8ByteOrderMark
               ? bytes.substr(kUtf8ByteOrderMark.size())
               : bytes;
}

// Walks the lines of the file's bytes: visit(rawLine, text, kept, utf8) for every line, with
// the line decoded to UTF-8 for kept lines. "\n" and "\r" never occur inside a GBK or UTF-8
// character, so the bytes are cut into lines before they are decoded. A line of a file with
// the UTF-8 mark that is no UTF-8 after all is read as GBK.
template <typename Visit> void ForEachListLine(std::string_view fileBytes, Visit visit) {
    const bool utf8File = IsUtf8ListFile(fileBytes);
    ForEachLine(WithoutByteOrderMark(fileBytes), [&](std::string_view rawLine) {
        const bool kept = IsKeptLine(rawLine);
        const bool utf8 = utf8File && IsUtf8(rawLine);
        visit(rawLine, kept ? (utf8 ? std::string(rawLine) : GbkToUtf8(rawLine)) : std::string(), kept, utf8);
    });
}

// A text as a save writes it; characters GBK cannot hold would be lost. A byte the file had
// that was no character at all (read as U+FFFD) is the one loss accepted: it was never text.
bool WritableInGbk(std::string_view utf8) {
    std::string text(utf8);
    for (std::size_t at = text.find(kReplacementCharacter); at != std::string::npos;
         at = text.find(kReplacementCharacter, at))
        text.erase(at, kReplacementCharacter.size());
    return FitsGbk(text);
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

bool IsUtf8ListFile(std::string_view fileBytes) {
    if (fileBytes.substr(0, kUtf8ByteOrderMark.size()) == kUtf8ByteOrderMark)
        return true;
    return HasNonAscii(fileBytes) && IsUtf8(fileBytes);
}

std::vector<std::string> SplitListLines(std::string_view fileBytes) {
    std::vector<std::string> lines;
    ForEachListLine(fileBytes, [&lines](std::string_view, std::string text, bool kept, bool) {
        if (kept)
            lines.push_back(std::move(text));
    });
    return lines;
}

bool ReadListLines(const std::string& path, std::vector<std::string>& lines) {
    lines.clear();
    FileRead file = ReadRegularFile(path);
    if (!file.ok())
        return false;
    lines = SplitListLines(file.bytes);
    return true;
}

namespace {

// The entry of a kept line, or nothing when the line has fewer than nine fields or a market
// number outside the market table.
std::optional<StockEntry> EntryFromLine(const std::string& line) {
    std::vector<std::string> fields = ListFields(line);
    if (fields.size() < kListFieldCount)
        return std::nullopt;
    // A market this program does not know keeps its line as it is, as any line it cannot
    // read: a save must not turn it into one of the markets it knows.
    const int market = AtoI(fields[3]);
    if (MarketOf(market) == nullptr)
        return std::nullopt;
    StockEntry entry;
    entry.recordKey = fields[0];
    entry.code = fields[1];
    entry.name = fields[2];
    entry.market = market;
    entry.alertFlag = AtoI(fields[4]);
    entry.upperLimit = ToFloat(AtoF(fields[5]));
    entry.lowerLimit = ToFloat(AtoF(fields[6]));
    entry.quantity = AtoI(fields[7]);
    entry.cost = ToFloat(AtoF(fields[8]));
    return entry;
}

// The ticker's row index is the line's position among the kept lines; the my-stocks page's
// is the number of entries loaded before it.
int RowIndex(MarketReading reading, std::size_t keptLine, std::size_t entriesBefore) {
    return static_cast<int>(reading == MarketReading::Number ? keptLine : entriesBefore);
}

} // namespace

WatchList WatchListFromLines(const std::vector<std::string>& lines, MarketReading reading) {
    WatchList list;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (std::optional<StockEntry> entry = EntryFromLine(lines[i])) {
            entry->rowIndex = RowIndex(reading, i, list.size());
            list.push_back(std::move(*entry));
        }
    }
    return list;
}

ListFile ParseListFile(std::string_view fileBytes, MarketReading reading) {
    ListFile file;
    file.status = FileReadStatus::Read;
    std::size_t keptLines = 0;
    ForEachListLine(fileBytes, [&](std::string_view rawLine, std::string text, bool kept, bool utf8) {
        if (kept) {
            std::optional<StockEntry> entry = EntryFromLine(text);
            const std::size_t keptLine = keptLines++;
            if (entry) {
                entry->rowIndex = RowIndex(reading, keptLine, file.entries.size());
                file.entries.push_back(std::move(*entry));
                return;
            }
        }
        UnreadListLine unread;
        unread.entriesBefore = file.entries.size();
        // A UTF-8 line goes back in GBK, the encoding the file is written in, when GBK holds
        // its text; otherwise (and always from a GBK file) with the very bytes it had.
        const std::string lineText(rawLine);
        unread.bytes = utf8 && FitsGbk(lineText) ? Utf8ToGbk(lineText) : lineText;
        file.unreadLines.push_back(std::move(unread));
    });
    // Lines after the last entry stay last, whatever entries are added after them.
    for (UnreadListLine& line : file.unreadLines) {
        if (line.entriesBefore == file.entries.size())
            line.entriesBefore = kAfterAllEntries;
    }
    return file;
}

ListFile ReadListFile(const std::string& path, MarketReading reading, std::string_view fallbackBytes) {
    FileRead read = ReadRegularFile(path);
    if (read.ok())
        return ParseListFile(read.bytes, reading);
    ListFile file;
    if (read.status == FileReadStatus::TooLarge || read.status == FileReadStatus::NotRegular)
        file = ParseListFile(fallbackBytes, reading);
    file.status = read.status;
    return file;
}

bool MaySaveOver(const ListFile& file) {
    return file.status == FileReadStatus::Read || file.status == FileReadStatus::Missing;
}

WatchList LoadWatchList(const std::string& path) {
    return ReadListFile(path, MarketReading::Number).entries;
}

WatchList LoadWatchListForEditing(const std::string& path) {
    return ReadListFile(path, MarketReading::FirstDigit).entries;
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

std::optional<std::string> WatchListFileBytes(const WatchList& list,
                                              const std::vector<UnreadListLine>& unreadLines) {
    std::string bytes;
    std::size_t nextUnread = 0;
    auto writeUnreadUpTo = [&](std::size_t entriesBefore) {
        for (; nextUnread < unreadLines.size() && unreadLines[nextUnread].entriesBefore <= entriesBefore;
             ++nextUnread)
            bytes.append(unreadLines[nextUnread].bytes).append("\r\n");
    };
    for (std::size_t i = 0; i < list.size(); ++i) {
        writeUnreadUpTo(i);
        const std::string line = FormatListLine(list[i]);
        if (!WritableInGbk(line))
            return std::nullopt;
        bytes += Utf8ToGbk(line);
        bytes += "\r\n";
    }
    writeUnreadUpTo(kAfterAllEntries);
    return bytes;
}

void ForgetEntry(std::vector<UnreadListLine>& unreadLines, std::size_t k) {
    for (UnreadListLine& line : unreadLines) {
        if (line.entriesBefore > k && line.entriesBefore != kAfterAllEntries)
            --line.entriesBefore;
    }
}

ListSaveResult SaveWatchList(const std::string& path, const WatchList& list,
                             const std::vector<UnreadListLine>& unreadLines) {
    const std::optional<std::string> bytes = WatchListFileBytes(list, unreadLines);
    if (!bytes)
        return ListSaveResult::BadText;
    switch (ReplaceSettingsFile(path, *bytes)) {
    case ReplaceResult::Replaced:
        return ListSaveResult::Saved;
    case ReplaceResult::ReadOnly:
        return ListSaveResult::ReadOnly;
    default:
        return ListSaveResult::NotWritten;
    }
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
