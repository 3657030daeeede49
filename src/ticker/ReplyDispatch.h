#pragma once
// Which parser reads a finished quote reply, and the status-line texts of the refresh.

#include "quote/QuoteBook.h"

#include <string_view>

namespace marlune {

// Status-line texts: at creation until the first reply, after every finished reply,
// and after a failed quote download.
extern const char* const kStatusStarting;
extern const char* const kStatusWelcome;
extern const char* const kStatusFailed;

// The quote source whose parser reads a finished reply: a Google file reply (job kind 3)
// is Google's; a text reply (job kind 1) is NetEase 163's when dataSource is 2 and
// Sina's otherwise, unknown values included. Going by the job kind keeps a reply that
// was requested before the source changed from being read by the wrong parser.
int ReplySource(int dataSource, int jobKind);

// Parses a finished reply with the parser of ReplySource. Replies of 4 bytes or fewer are
// ignored: false, nothing parsed, nothing to redraw.
bool DispatchFinishedReply(QuoteBook& book, int dataSource, int jobKind, std::string_view reply);

} // namespace marlune
