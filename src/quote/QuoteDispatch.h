#pragma once
// Handing a finished quote reply to the parser of its quote service.

#include "quote/QuoteBook.h"
#include "quote/QuoteService.h"

#include <cstddef>
#include <string_view>

namespace marlune {

// Status-line texts of the refresh: after a refresh that gave quotes the welcome line is
// what the status line says; while the first quotes are read, and after a failed refresh.
inline constexpr const char* kQuotesShownText = "欢迎使用Marlune1.0 - Orvento。";
inline constexpr const char* kReadingQuotesText = "欢迎使用Marlune1.0 - Orvento。正在读取股票数据..";
inline constexpr const char* kFetchFailedText = "股票数据获取失败。请检查网络或者点击刷新按钮。";

// What a finished reply gave the watch list.
struct QuoteReplyResult {
    // Watch-list entries the reply gave a usable quote (UsableRecordCount).
    std::size_t usableRecords = 0;
    // The book took the reply: quotes, derived values and alerts are the reply's now.
    bool applied = false;
    // A failed refresh: the watch list asked for quotes and the reply held none of them (an
    // empty reply, an error page, garbage). The book kept its values.
    bool failed = false;
};

// A quote the grid can show: it has a price, a plain figure within bounds (no exponent, no
// "inf" or "nan": a reply of such prices counts as a failed refresh).
bool IsUsableQuote(const QuoteRecord& quote);

// Parses a finished reply with the parser of the source's service (QuoteServiceOf: unknown
// values are Sina) and recomputes the derived values. `reply` is what the service sent for
// in-memory services, and the text its readReplyFile made of the file for Google. The reply
// is parsed aside first: one that gives no entry of a non-empty watch list a usable quote
// changes nothing and is reported as failed. A reply of 4 bytes or less is not parsed; for an
// empty watch list it is simply ignored. Entries keep their places in the watch list.
QuoteReplyResult DispatchQuoteReply(QuoteBook& book, int source, std::string_view reply);

// Moves a book parsed aside into the book: quotes, totals, rates and alerts. The entries are
// assigned one by one, so that they stay where they are: the grid and the chart popup
// address them in place. Both books have the same watch list.
void TakeParsedState(QuoteBook& book, QuoteBook&& parsed);

// How many watch-list rows hold a usable quote after a parse: the measure of whether a reply
// was of any use. The refresh and the source fallback both judge a reply by it.
std::size_t UsableRecordCount(const QuoteBook& book);

} // namespace marlune
