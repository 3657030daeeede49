#pragma once
// Which parser reads a finished quote reply, and the status-line texts of the refresh.

#include "quote/QuoteBook.h"
#include "quote/QuoteDispatch.h"

#include <string_view>

namespace marlune {

// Status-line texts: at creation until the first reply, after every finished reply,
// and after a failed quote download.
extern const char* const kStatusStarting;
extern const char* const kStatusWelcome;
extern const char* const kStatusFailed;

// The quote source whose parser reads a finished reply. A job names the service it asked
// (quoteSource); that wins, so a reply requested before the source changed is never read by
// the wrong parser. Without it: a Google file reply (job kind 3) is Google's, a text reply
// (job kind 1) is read as dataSource says, Sina for unknown values and for Google.
int ReplySource(int dataSource, int jobKind, int quoteSource = 0);

// Parses a finished reply with the parser of ReplySource (DispatchQuoteReply: a reply that
// holds no quote of the watch list is a failed refresh and leaves the book as it was).
QuoteReplyResult DispatchFinishedReply(QuoteBook& book, int dataSource, int jobKind, std::string_view reply,
                                       int quoteSource = 0);

} // namespace marlune
