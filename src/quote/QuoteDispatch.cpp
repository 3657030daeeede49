#include "quote/QuoteDispatch.h"

namespace marlune {

bool DispatchQuoteReply(QuoteBook& book, int source, std::string_view reply) {
    if (reply.size() <= 4)
        return false;
    QuoteServiceOf(source).parse(book, reply);
    return true;
}

std::size_t UsableRecordCount(const QuoteBook& book) {
    std::size_t usable = 0;
    for (const StockEntry& entry : book.watchList) {
        if (!entry.quote.code.empty())
            ++usable;
    }
    return usable;
}

} // namespace marlune
