#include "quote/QuoteDispatch.h"

#include "quote/ServiceText.h"
#include "quote/WatchListFile.h"

#include <utility>

namespace marlune {

void TakeParsedState(QuoteBook& book, QuoteBook&& parsed) {
    for (std::size_t i = 0; i < book.watchList.size(); ++i)
        book.watchList[i] = std::move(parsed.watchList[i]);
    book.quoteList = std::move(parsed.quoteList);
    book.updateTime = std::move(parsed.updateTime);
    book.totalPlAmount = std::move(parsed.totalPlAmount);
    book.totalPlRate = std::move(parsed.totalPlRate);
    book.exchangeRates = std::move(parsed.exchangeRates);
    book.exchangeRatesStale = parsed.exchangeRatesStale;
    book.totalLeavesOut = std::move(parsed.totalLeavesOut);
    book.alerts = std::move(parsed.alerts);
    book.alertText = std::move(parsed.alertText);
}

bool IsUsableQuote(const QuoteRecord& quote) {
    return !quote.price.empty() && quote.price.front() >= '0' && quote.price.front() <= '9' &&
           IsSaneFigure(quote.price, kPriceBound);
}

QuoteReplyResult DispatchQuoteReply(QuoteBook& book, int source, std::string_view reply) {
    QuoteReplyResult result;
    if (reply.size() > 4) {
        // Parsed aside first: a reply that holds no quotes must not wipe the ones shown.
        QuoteBook parsed = book;
        parsed.quoteList.clear();
        for (StockEntry& entry : parsed.watchList)
            ClearQuote(entry);
        QuoteServiceOf(source).parse(parsed, reply);
        result.usableRecords = UsableRecordCount(parsed);
        if (result.usableRecords > 0 || book.watchList.empty()) {
            TakeParsedState(book, std::move(parsed));
            result.applied = true;
        }
    }
    result.failed = !result.applied && !book.watchList.empty();
    return result;
}

std::size_t UsableRecordCount(const QuoteBook& book) {
    std::size_t usable = 0;
    for (const StockEntry& entry : book.watchList)
        usable += IsUsableQuote(entry.quote) ? 1 : 0;
    return usable;
}

} // namespace marlune
