#pragma once
// The Tencent quote service (DataSour 4): GET /q=sh600000,sz000001 on qt.gtimg.cn, at most
// 60 codes per request. The reply is GBK, one statement per code:
//   v_sh600000="1~name~600000~price~previous close~open~volume in hands~...";
// with fields separated by "~" (0-based: 1 name, 2 code, 3 price, 4 previous close, 5 open,
// 6 volume in hands, 30 time YYYYMMDDHHMMSS, 33 high, 34 low, 37 amount in 10,000 yuan
// rounded to a whole number, 57 the same amount with four decimals).
// A code the service does not know is answered v_pv_none_match="1";.

#include "quote/QuoteBook.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace marlune {

constexpr std::size_t kTencentCodesPerRequest = 60;

std::string TencentRequestPath(const std::string& codeList, std::uint32_t now);
std::optional<std::string> TencentCodesOfRequest(std::string_view target);

// One record per complete statement of a code of the watch list, in reply order, with the
// texts of the Sina parser (prices as sent; change, rate and amplitude computed from them;
// volume "%.0f" hands; amount "%.2f" in 10,000 yuan, from field 57 where the statement has
// it; date time "YYYY-MM-DD HH:MM:SS"). A statement without its closing quote and semicolon,
// with too few fields, whose code field is not the code of its key, whose time is not 14
// digits, with a field longer than kLongestQuoteField characters or a price, volume or
// amount that is no sane figure (IsSaneFigure) gives no record; the other statements are
// read all the same. Sets book.updateTime to the date and time of the last record.
void ParseTencentReply(QuoteBook& book, std::string_view gbkReply);
// The records alone (book.quoteList and book.updateTime), without the derived values.
void ReadTencentRecords(QuoteBook& book, std::string_view gbkReply);

} // namespace marlune
