#pragma once
// The watch-list file config/list.ini: one entry per line, nine fields separated by "|",
// GBK on disk with CR LF line ends. Inside the program every text is UTF-8.
//
// Line rules are about the file's own bytes: a line is left out when it begins with "[" or
// "#" or has 4 bytes or fewer (line end not counted). A line end is LF or CR LF.

#include "quote/StockEntry.h"

#include <string>
#include <string_view>
#include <vector>

namespace marlune {

// How the market field is read: the ticker reads it as a number (0 and 3 stay as they are);
// the my-stocks page takes 1 when the field begins with "1" and 2 otherwise.
enum class MarketReading { Number, FirstDigit };

// The kept lines of a list file's bytes, decoded to UTF-8, without line ends.
std::vector<std::string> SplitListLines(std::string_view fileBytes);

// The kept lines of the file at path. False (and no lines) when it cannot be read.
bool ReadListLines(const std::string& path, std::vector<std::string>& lines);

// Builds the watch list from kept lines: a line with fewer than 9 fields is skipped, fields
// after the ninth are ignored, numbers are read as atoi/atof read them. The ticker's row
// index is the line's position among the kept lines; the my-stocks page's is the number of
// entries loaded before it.
WatchList WatchListFromLines(const std::vector<std::string>& lines, MarketReading reading);

// The ticker's watch list from the file at path; empty when the file cannot be read.
WatchList LoadWatchList(const std::string& path);

// The my-stocks page's copy of the same file (market from the first character of field 4).
WatchList LoadWatchListForEditing(const std::string& path);

// One line of the file in UTF-8, without its line end: record key, code and name, then
// "%d|%d|%.2f|%.2f|%d|%.2f" of market, alert flag, upper limit, lower limit, quantity and
// cost. A "|" or a line feed inside the three texts would break the line apart when it is
// read back, so each is written as a blank.
std::string FormatListLine(const StockEntry& entry);

// The file's bytes for a watch list: every entry's line in GBK followed by CR LF.
std::string WatchListFileBytes(const WatchList& list);

// Writes the whole watch list over the file, crash-safe: on any failure the old file stays
// as it was and false is returned.
bool SaveWatchList(const std::string& path, const WatchList& list);

// Position of the first quote with this code (byte comparison) and market, or -1.
int FindQuote(const QuoteList& quotes, const std::string& code, int market);

// Empties the entry's quote code, name and fourteen texts; its market stays as it was.
void ClearQuote(StockEntry& entry);

// Copies code, name, market and the fourteen texts of the quote into the entry.
void CopyQuote(StockEntry& entry, const QuoteRecord& quote);

} // namespace marlune
