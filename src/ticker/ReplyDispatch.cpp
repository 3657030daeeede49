#include "ticker/ReplyDispatch.h"

#include "net/FetchJob.h"
#include "quote/QuoteDispatch.h"

namespace marlune {

const char* const kStatusStarting = kReadingQuotesText;
const char* const kStatusWelcome = kWelcomeText;
const char* const kStatusFailed = kFetchFailedText;

int ReplySource(int dataSource, int jobKind) {
    if (jobKind == kJobGoogleFile)
        return kSourceGoogle;
    return dataSource == kSourceNetEase ? kSourceNetEase : kSourceSina;
}

bool DispatchFinishedReply(QuoteBook& book, int dataSource, int jobKind, std::string_view reply) {
    return DispatchQuoteReply(book, ReplySource(dataSource, jobKind), reply);
}

} // namespace marlune
