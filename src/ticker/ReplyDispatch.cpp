#include "ticker/ReplyDispatch.h"

#include "net/FetchJob.h"

namespace marlune {

const char* const kStatusStarting = kReadingQuotesText;
const char* const kStatusWelcome = kWelcomeText;
const char* const kStatusFailed = kFetchFailedText;

int ReplySource(int dataSource, int jobKind, int quoteSource) {
    if (IsKnownQuoteSource(quoteSource))
        return quoteSource;
    if (jobKind == kJobGoogleFile)
        return kSourceGoogle;
    const int source = QuoteServiceOf(dataSource).source;
    // Only a file job carries a Google reply.
    return source == kSourceGoogle ? kSourceSina : source;
}

QuoteReplyResult DispatchFinishedReply(QuoteBook& book, int dataSource, int jobKind, std::string_view reply,
                                       int quoteSource) {
    return DispatchQuoteReply(book, ReplySource(dataSource, jobKind, quoteSource), reply);
}

} // namespace marlune
