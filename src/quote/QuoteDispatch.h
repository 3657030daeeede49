#pragma once
// Handing a finished quote reply to the parser of its quote service.

#include "quote/QuoteBook.h"
#include "quote/QuoteService.h"

#include <cstddef>
#include <string_view>

namespace marlune {

// Status-line texts of the refresh.
inline constexpr const char* kWelcomeText = "欢迎使用Marlune1.0 - Orvento。";
inline constexpr const char* kReadingQuotesText = "欢迎使用Marlune1.0 - Orvento。正在读取股票数据..";
inline constexpr const char* kFetchFailedText = "股票数据获取失败。请检查网络或者点击刷新按钮。";

// Parses a finished reply with the parser of the source's service (QuoteServiceOf: unknown
// values are Sina) and recomputes the derived values. `reply` is what the service sent for
// in-memory services, and the text its readReplyFile made of the file for Google. A reply of
// 4 bytes or less is ignored: returns false, and the book keeps what it had. Returns true
// when a parser ran.
bool DispatchQuoteReply(QuoteBook& book, int source, std::string_view reply);

// How many watch-list rows got a quote from the last parse: the measure of whether a reply
// was of any use. The refresh and the source fallback both judge a reply by it.
std::size_t UsableRecordCount(const QuoteBook& book);

} // namespace marlune
