#pragma once
// What a watch-list entry has beyond list.ini's nine fields: its change-rate alerts and its
// alias. They live in a file of their own (data/watchextras.txt, UTF-8) so that list.ini
// stays as every reader of it knows it.
//
// An entry with change-rate alerts has a line "code|market|rise|fall" with the rates in per
// cent as "%.2f"; an entry with an alias has a line "code|market|alias". Readers that know
// only the four-field line keep the three-field one as a line they cannot read, so the alias
// never costs them the rates. CR LF line ends, replaced atomically. Lines for stocks no
// longer on the list are dropped when the file is written again; lines it cannot read are
// kept as they are.

#include "quote/StockEntry.h"

#include <string>
#include <string_view>
#include <vector>

namespace marlune {

// A change-rate threshold as the file keeps it: the per cent rounded to 0.01, 0 (off) for
// anything that is not a number above 0 and at most 1000.
double StoredAlertRate(std::string_view text);

class WatchExtrasFile {
public:
    explicit WatchExtrasFile(std::string path) : m_path(std::move(path)) {}

    // Gives every entry of the list the extras the file holds for its code and market
    // (the first line of each kind for a stock wins); entries without a line get none.
    void ApplyTo(WatchList& list);

    // Writes the extras of the list's entries. False when the write failed.
    bool Write(const WatchList& list);

    // The file's bytes for the list.
    static std::string FileBytes(const WatchList& list, const std::vector<std::string>& unreadLines);

    // An alias as the file can keep it: separators ("|", and "," which the detail popup
    // splits at) and line ends become spaces, blanks at
    // either end go.
    static std::string StorableAlias(std::string alias);

private:
    std::string m_path;
    std::vector<std::string> m_unreadLines;
};

} // namespace marlune
