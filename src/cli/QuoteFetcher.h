#pragma once
// The terminal ticker's parse of reply bytes saved from a service (--reply), without a download.

#include "quote/QuoteBook.h"

#include <string>

namespace marlune {

// Parsed: the book shows the reply. Ignored: nothing was asked (an empty watch list) and the
// reply was too short to parse. NoQuotes: the reply held no quote of the watch list (a failed
// refresh; the book kept its values). NoReplyFile: the saved reply could not be read.
enum class RefreshOutcome { Parsed, Ignored, NoQuotes, NoReplyFile };

class QuoteFetcher {
public:
    explicit QuoteFetcher(std::string programFolder);

    // Parses reply bytes saved from a service instead of downloading them. For Google the
    // file is a saved reply file, which is read without being deleted.
    RefreshOutcome RefreshFromFile(QuoteBook& book, int source, const std::string& path);

private:
    std::string m_programFolder;
};

} // namespace marlune
