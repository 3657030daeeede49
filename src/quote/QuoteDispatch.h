#pragma once
// Handing a finished quote reply to the parser of the selected quote source.

#include "quote/QuoteBook.h"

#include <string_view>

namespace marlune {

// Quote sources as base.ini's DataSour stores them. Any other value is served as Sina.
enum QuoteSource : int { kSourceSina = 1, kSourceNetEase = 2, kSourceGoogle = 3 };

// Status-line texts of the refresh.
inline constexpr const char* kWelcomeText = "欢迎使用Marlune1.0 - Orvento。";
inline constexpr const char* kReadingQuotesText = "欢迎使用Marlune1.0 - Orvento。正在读取股票数据..";
inline constexpr const char* kFetchFailedText = "股票数据获取失败。请检查网络或者点击刷新按钮。";

// Parses a finished reply with the parser of the source and recomputes the derived values.
// `reply` is what the service sent (GBK) for Sina and NetEase 163, and the flattened text of
// ReadGoogleReply for Google. A reply of 4 bytes or less is ignored: returns false, and the
// book keeps what it had. Returns true when a parser ran.
bool DispatchQuoteReply(QuoteBook& book, int source, std::string_view reply);

} // namespace marlune
