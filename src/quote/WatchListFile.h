#pragma once
// The watch-list file config/list.ini: one entry per line, nine fields separated by "|",
// written in GBK with CR LF line ends. Inside the program every text is UTF-8.
//
// Reading takes the file as UTF-8 when it begins with a UTF-8 byte order mark or is
// well-formed UTF-8 holding non-ASCII bytes (as editors on this system save it), as GBK
// otherwise. Line rules are about the file's own bytes: a line is left out when it begins
// with "[" or "#" or has 4 bytes or fewer (line end not counted). A line end is LF or CR LF.
//
// A line that gives no entry (a comment, a short line, a line of fewer than nine fields, a
// market the program does not know) is kept as it was and written back at its place by every save: the
// program never deletes what it could not read. Only a regular file of at most 1 MB is read.

#include "quote/StockEntry.h"
#include "text/FileBytes.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace marlune {

// Who reads the file, which decides the row index (see WatchListFromLines). Both read the
// market field as a number (atoi): 1 Shanghai, 2 Shenzhen, 3 Beijing, 4 Hong Kong, 5 US,
// 6 open-end fund (quote/Markets.h). A line of any other market number gives no entry and is
// kept as it was, as a line that cannot be read.
enum class MarketReading { Number, FirstDigit };

// A line of the file that gave no entry, as a save writes it back: in GBK when the file was
// UTF-8 and GBK holds the line's text, else with the bytes the file had.
struct UnreadListLine {
    std::size_t entriesBefore = 0; // how many entries stood before it in the file, or:
    std::string bytes;             // without the line end
};
// The entriesBefore of the lines after the last entry: they stay last.
inline constexpr std::size_t kAfterAllEntries = static_cast<std::size_t>(-1);

// Everything a read of the file gives: its entries and the lines that gave none.
struct ListFile {
    FileReadStatus status = FileReadStatus::Missing;
    WatchList entries;
    std::vector<UnreadListLine> unreadLines;
};

// True when the bytes are read as UTF-8 (see above); false for GBK.
bool IsUtf8ListFile(std::string_view fileBytes);

// The kept lines of a list file's bytes, decoded to UTF-8, without line ends.
std::vector<std::string> SplitListLines(std::string_view fileBytes);

// The kept lines of the file at path. False (and no lines) when it cannot be read.
bool ReadListLines(const std::string& path, std::vector<std::string>& lines);

// Builds the watch list from kept lines: a line with fewer than 9 fields or of an unknown
// market is skipped, fields
// after the ninth are ignored, numbers are read as atoi/atof read them. The ticker's row
// index is the line's position among the kept lines; the my-stocks page's is the number of
// entries loaded before it.
WatchList WatchListFromLines(const std::vector<std::string>& lines, MarketReading reading);

// Entries and unread lines of a list file's bytes.
ListFile ParseListFile(std::string_view fileBytes, MarketReading reading);

// Reads the file at path (a regular file of at most 1 MB); status tells why nothing was read.
// A file that is refused (too large, not a regular file) gives the entries of the fallback
// bytes instead, with that status, so that the caller leaves the file alone.
ListFile ReadListFile(const std::string& path, MarketReading reading, std::string_view fallbackBytes = {});

// True when a save may replace the file that was read: it was read, or there was none.
bool MaySaveOver(const ListFile& file);

// The ticker's watch list from the file at path; empty when the file cannot be read.
WatchList LoadWatchList(const std::string& path);

// The my-stocks page's copy of the same file.
WatchList LoadWatchListForEditing(const std::string& path);

// One line of the file in UTF-8, without its line end: record key, code and name, then
// "%d|%d|%.2f|%.2f|%d|%.2f" of market, alert flag, upper limit, lower limit, quantity and
// cost. A "|" or a line feed inside the three texts would break the line apart when it is
// read back, so each is written as a blank.
std::string FormatListLine(const StockEntry& entry);

// The file's bytes for a watch list: every entry's line in GBK followed by CR LF, the unread
// lines at their places (before the entry they stood before; those that stood last, last,
// also after entries added since).
// Nothing when a text holds a character GBK cannot hold: it would be lost.
std::optional<std::string> WatchListFileBytes(const WatchList& list,
                                              const std::vector<UnreadListLine>& unreadLines = {});

// After entry k was deleted: the unread lines stay between the same neighbours.
void ForgetEntry(std::vector<UnreadListLine>& unreadLines, std::size_t k);

enum class ListSaveResult {
    Saved,
    ReadOnly,   // the file is marked read-only: it stays as it is
    BadText,    // a text GBK cannot hold: nothing written
    NotWritten, // not a regular file, or the write failed: the old file stays
};

// Writes the whole watch list over the file, crash-safe and through a link to the file it
// names: on any failure the old file stays as it was.
ListSaveResult SaveWatchList(const std::string& path, const WatchList& list,
                             const std::vector<UnreadListLine>& unreadLines = {});

// Position of the first quote with this code (byte comparison) and market, or -1.
int FindQuote(const QuoteList& quotes, const std::string& code, int market);

// Empties the entry's quote code, name and fourteen texts; its market stays as it was.
void ClearQuote(StockEntry& entry);

// Copies code, name, market and the fourteen texts of the quote into the entry.
void CopyQuote(StockEntry& entry, const QuoteRecord& quote);

} // namespace marlune
