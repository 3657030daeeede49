#pragma once
// The simulated market's other markets: a few stocks of the Beijing exchange, Hong Kong and
// the US, open-end funds (one of them a QDII fund the estimate service has no estimate for)
// and the exchange rates of the Hong Kong and US dollar, in the syntax and encoding of each
// service (see quote/MarketQuotes.h, quote/FundEstimate.h, quote/ExchangeRates.h).
//
// Prices move as the A shares' do (DayPath). Around the clock every market plays the A
// shares' four-hour sessions; with the exchanges' calendar on, Beijing stocks and fund
// estimates follow the A-share hours and holidays, Hong Kong 09:30-12:00 and 13:00-16:10
// Beijing time, the US 09:30-16:00 New York time (daylight saving included), weekdays of
// their own calendar; outside them the last trade stands. A fund's estimate moves during
// the A-share sessions; from 20:00 on a trading day the day's net value is published.

#include "sim/Market.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace marlune::sim {

// Every security of the other markets (market 3 to 6), with its code as the watch list
// stores it ("920118", "00700", "AAPL", "161725").
const std::vector<StockInfo>& ForeignStocks();
const StockInfo* FindForeignStock(int market, std::string_view code);

// The quote of such a security at a moment, by the market's calendar.
SimQuote ForeignQuoteAt(const Market& market, const StockInfo& stock, std::int64_t unixSeconds);

// Sina's statement (UTF-8) for a requested code of another market ("bj920118",
// "rt_hk00700", "gb_aapl", "fx_shkdcny"); an unknown code of these forms gets the empty
// statement; nothing for a code of no such form.
std::optional<std::string> ForeignSinaStatement(const Market& market, std::string_view code,
                                                std::int64_t now);

// Tencent's statement (UTF-8) for "bj920118", "r_hk00700", "hk00700" or "usAAPL"; an unknown
// code of these forms gets v_pv_none_match; nothing for a code of no such form.
std::optional<std::string> ForeignTencentStatement(const Market& market, std::string_view code,
                                                   std::int64_t now);

// East Money's diff element (JSON) for a secid of another market ("0.920118", "116.00700",
// "105.AAPL"; a US ticker answers only under its own exchange's number); nothing for any
// other secid.
std::optional<std::string> ForeignEastMoneyElement(const Market& market, std::string_view secid,
                                                   std::int64_t now);

// The fund estimate service's reply (UTF-8) for a fund code: jsonpgz({...}); with the
// estimate, or with the net value alone for the QDII fund; "jsonpgz();" for a code it does
// not know.
std::string FundEstimateReply(const Market& market, std::string_view code, std::int64_t now);

} // namespace marlune::sim
