#include "quote/QuoteDispatch.h"

#include "quote/QuoteParsers.h"

namespace marlune {

bool DispatchQuoteReply(QuoteBook& book, int source, std::string_view reply) {
    if (reply.size() <= 4)
        return false;
    switch (source) {
    case kSourceNetEase:
        ParseNeteaseReply(book, reply);
        break;
    case kSourceGoogle:
        ParseGoogleReply(book, reply);
        break;
    default:
        // Unknown sources were requested from Sina, so their replies are Sina's.
        ParseSinaReply(book, reply);
        break;
    }
    return true;
}

} // namespace marlune
