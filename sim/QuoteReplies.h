#pragma once
// The statements of the three quote services, as text in UTF-8 (the market encodes
// whole replies to GBK at the end).
//
// Sina: var hq_str_sh600000="name,open,previous close,price,high,low,bid,ask,volume,
//   turnover,five bid levels (volume, price),five ask levels (volume, price),date,time,00";
//   The volume is in shares, for an index in lots of 100 shares.
// NetEase 163: var hq_0600000='0600000;name;previous close;open;turnover;volume;rate;
//   change;high;low;price;five bid levels (price;volume);five ask levels;market;time';
// Google: one JSON-like object per security, one key per line; prices with thousands
//   separators ("3,154.03"), the volume in shares in Google's short form ("591.21M").

#include "sim/Market.h"

#include <string>
#include <string_view>
#include <vector>

namespace marlune::sim {

// A number with a fixed count of decimals, never "-0.00".
std::string FixedText(double value, int decimals);

// The Sina statement for a requested code, with a line feed; the empty statement
// (var hq_str_sz999999="";) when the quote is null. Characters of the requested code
// other than letters and digits are left out of the statement's name.
std::string SinaStatement(std::string_view requestedCode, const SimQuote* quote);

// The NetEase 163 statement of a quote, with a line feed.
std::string NeteaseStatement(const SimQuote& quote);

// The Google reply for the quotes, in order: "// [", the objects, "]".
std::string GoogleReplyText(const std::vector<SimQuote>& quotes);

// The Tencent statement of a quote (v_sh600000="1~name~600000~...";), with a line feed;
// and the statement Tencent answers a code it does not know with.
std::string TencentStatement(const SimQuote& quote);
std::string TencentUnknownStatement();

// The East Money reply for the quotes, in order (JSON with plain decimals, fltt=2); with no
// quote at all "data" is null.
// moreElements: elements of other markets, as written, after those of the quotes.
std::string EastMoneyReplyText(const std::vector<SimQuote>& quotes,
                               const std::vector<std::string>& moreElements = {});

} // namespace marlune::sim
