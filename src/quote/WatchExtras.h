#pragma once
// What a watch-list entry has beyond list.ini's nine fields: its change-rate alerts. They
// live in a file of their own (data/watchextras.txt) so that list.ini stays as every reader
// of it knows it.
//
// One line per entry that has any: "code|market|rise|fall" with the rates in per cent as
// "%.2f", CR LF line ends, replaced atomically. Lines for stocks no longer on the list are
// dropped when the file is written again; lines it cannot read are kept as they are.

#include "quote/StockEntry.h"

#include <string>
#include <vector>

namespace marlune {

class WatchExtrasFile {
public:
    explicit WatchExtrasFile(std::string path) : m_path(std::move(path)) {}

    // Gives every entry of the list the extras the file holds for its code and market
    // (the first line for a stock wins); entries without a line get none.
    void ApplyTo(WatchList& list);

    // Writes the extras of the list's entries. False when the write failed.
    bool Write(const WatchList& list);

    // The file's bytes for the list.
    static std::string FileBytes(const WatchList& list, const std::vector<std::string>& unreadLines);

private:
    std::string m_path;
    std::vector<std::string> m_unreadLines;
};

} // namespace marlune
