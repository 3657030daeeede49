#pragma once
// The fund estimate service (fundgz.1234567.com.cn): one request per fund,
//   GET /js/161725.js?rt=<now>
// answered in UTF-8 with a script call
//   jsonpgz({"fundcode":"161725","name":"招商中证白酒指数(LOF)","jzrq":"2026-01-31",
//            "dwjz":"1.2345","gsz":"1.2501","gszzl":"1.26","gztime":"2026-02-01 10:21"});
// fundcode the fund's code, name its short name, jzrq the date of the last published net
// value, dwjz that net value, gsz the intraday estimate of today's value, gszzl its change in
// percent, gztime the Beijing time of the estimate ("YYYY-MM-DD HH:MM"). Values are strings.
// A fund the service has no estimate for (QDII and money funds, an unknown code) is answered
// "jsonpgz();".

#include "quote/StockEntry.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace marlune {

std::string FundEstimatePath(std::string_view code, std::uint32_t now);

// The fund code of a request target of the service, for the simulated market.
std::optional<std::string> FundCodeOfRequest(std::string_view target);

// The record of the reply to the request for requestedCode. Price = the estimate, previous
// close = the last net value, change "%.4f" and rate from them (SetChangeTexts); high, low,
// open, volume, amount and amplitude "-"; date and time the estimate's ("YYYY-MM-DD
// HH:MM:SS").
//
// An estimate counts only when it is above 0 and newer than the net value: once the evening's
// net value is out (jzrq is the estimate's day) or without an estimate, the price is the last
// net value, the change and rate "-", and the date the net value's. Nothing when the reply is
// "jsonpgz();", is no such call, its JSON does not read, a field is missing or not a string,
// the net value does not read as a number above 0, or the reply is for another code.
std::optional<QuoteRecord> ParseFundEstimate(std::string_view utf8Reply, std::string_view requestedCode);

} // namespace marlune
