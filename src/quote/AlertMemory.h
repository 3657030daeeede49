#pragma once
// Which price alerts have fired, kept in a small file (data/alerts.txt) so that a restart of
// the program does not show them again. An alert fires once when the price crosses a limit
// and again only after the price has been back inside the band; the file carries that "has
// fired" across restarts. A record names the stock and the limits it fired for, so editing an
// entry's limits (or switching its alert off and on) arms it afresh.
//
// The file is the program's own: one line per fired alert, "code|market|lower|upper|state"
// with the limits as "%.2f" for the band, "code|market|rate|+5.00" or "code|market|rate|-3.00"
// for a change-rate condition (the threshold it fired for), CR LF line ends, replaced
// atomically. Lines it cannot read are kept as they are, so an older program keeps the rate
// records it does not know.

#include "quote/QuoteBook.h"

#include <string>
#include <vector>

namespace marlune {

class AlertMemory {
public:
    explicit AlertMemory(std::string path) : m_path(std::move(path)) {}

    // Reads the file and gives every row whose alert is on and fired before with the same
    // limits its state back, without a message: it has been shown already.
    void Restore(QuoteBook& book);

    // Writes the rows' fired alerts when they differ from what the file holds. False when
    // the write failed (the next call tries again).
    bool Remember(const QuoteBook& book);

    // The file's bytes for the fired alerts of the book.
    static std::string FileBytes(const QuoteBook& book, const std::vector<std::string>& unreadLines);

private:
    std::string m_path;
    std::string m_fileBytes; // what the file holds, as last read or written
    std::vector<std::string> m_unreadLines;
};

} // namespace marlune
