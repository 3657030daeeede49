#pragma once
// The East Money quote service (DataSour 5):
//   GET /api/qt/ulist.np/get?fltt=2&invt=2&secids=1.600000,0.000001&fields=f2,f3,...,f124
// on push2.eastmoney.com. A secid is the market number, a dot and the code: 1 Shanghai
// (indices included), 0 Shenzhen. The reply is UTF-8 JSON
//   {"rc":0,...,"data":{"total":N,"diff":[{"f2":11.03,...,"f12":"600000","f13":1,...},...]}}
// with plain decimals (fltt=2): f2 price, f5 volume in hands, f6 amount in yuan, f12 code,
// f13 market, f14 name, f15 high, f16 low, f17 open, f18 previous close, f124 time in Unix
// seconds. A number without a trade is the string "-". Codes the service does not know are
// missing from diff. The other markets: 0 also holds the Beijing exchange (920118), 116 Hong
// Kong (f12 "00700"), 105, 106 and 107 the US exchanges (f12 "AAPL"); their f5 is in shares.

#include "quote/QuoteBook.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace marlune {

std::string EastMoneyRequestPath(const std::string& codeList, std::uint32_t now);
std::optional<std::string> EastMoneyCodesOfRequest(std::string_view target);

// One record per well-formed element of diff for a code of the watch list, in reply order,
// with the texts of the Sina parser: prices with the decimals East Money keeps (two for stocks
// and indices, three for funds and ETFs), change, rate and
// amplitude computed from them, volume "%.0f" hands, amount "%.2f" in 10,000 yuan, date time
// "YYYY-MM-DD HH:MM:SS" in Beijing time. "-" reads as no trade (0). An element with a field
// missing or of the wrong type, a number with an exponent, longer than kLongestQuoteField
// characters or beyond its bound (kPriceBound, kCountBound), a name longer than that, or a
// market and code MarketOfEastMoneyCode does not take gives no record; Hong Kong and US
// elements have the texts of quote/MarketQuotes.h; a reply that is not JSON, or whose diff is not an
// array, gives none at all. Records are matched to the watch list by market and code. Sets
// book.updateTime to the date and time of the last record.
void ParseEastMoneyReply(QuoteBook& book, std::string_view utf8Reply);
// The records alone (book.quoteList and book.updateTime), without the derived values.
void ReadEastMoneyRecords(QuoteBook& book, std::string_view utf8Reply);

} // namespace marlune
