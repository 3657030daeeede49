#pragma once
// Quotes of the Hong Kong and US markets from the Sina and Tencent replies. The A-share
// parsers hand every statement of these markets to the functions below, so that a reply that
// mixes markets is read in one pass. Both services' values go through the same texts:
//
// - prices with the decimals the exchange quotes in: Hong Kong "%.3f" (stocks under 0.25 HKD
//   trade in steps of 0.001), US "%.2f", "%.4f" under 1 USD (steps of 0.0001); the change as
//   its price, its rate "%.2f%%", the amplitude as for A shares (SetChangeTexts);
// - volume in shares "%.0f", amount in 10,000 of the market's currency "%.2f";
// - date and time "YYYY-MM-DD HH:MM:SS" in Beijing time.
//
// Sina (GBK, values separated by ","):
//   var hq_str_rt_hk00700="TENCENT,腾讯控股,479.000,479.200,483.200,475.400,478.800,-0.400,
//       -0.083,478.600,478.800,7803757295.250,16319939,17.403,0.000,675.134,411.000,
//       2026/08/07,16:08:22,1";
//     0 English name, 1 name, 2 open, 3 previous close, 4 high, 5 low, 6 price, 7 change,
//     8 rate, 9 bid, 10 ask, 11 amount (HKD), 12 volume (shares), 13 P/E, 15-16 52-week
//     high and low, 17 date YYYY/MM/DD, 18 time HH:MM:SS (Hong Kong time is Beijing time).
//   var hq_str_hk00700="TENCENT,腾讯控股,482.600,484.000,491.200,478.600,486.800,2.800,0.579,
//       486.60001,486.79999,3930914563,8102711,0.000,0.000,763.287,422.000,2021/08/12,11:59";
//     "hk" is the delayed form of "rt_hk" (some 15 minutes behind): the same fields, its
//     time HH:MM; its record is marked delayed.
//   var hq_str_gb_aapl="苹果,319.7000,1.63,2026-08-29 08:14:52,5.1200,316.8450,322.3700,
//       315.4504,344.5700,225.1600,38649398,38515168,4665759510006,8.30,38.520000,0.00,0.00,
//       0.00,0.00,14594180513,63,319.9000,0.06,0.20,Aug 28 07:59PM EDT,Aug 28 04:00PM EDT,
//       314.5800,2782520,1,2026,12348919893.0000,...";
//     0 name, 1 price, 2 rate, 3 Beijing date and time of the quote, 4 change, 5 open,
//     6 high, 7 low, 8-9 52-week high and low, 10 volume (shares), 11 average volume,
//     12 market value, 21-24 extended hours (price, rate, change, time), 25 close time,
//     26 previous close, 27 extended volume, 30 amount (USD). Older replies end after
//     field 21; the previous close is then price - change and the amount is not known ("-").
//   A code the service does not know gives an empty value.
//
// Tencent (GBK, values separated by "~"):
//   v_r_hk00700="100~腾讯控股~00700~409.600~412.200~414.000~41115421.0~...~
//       2018/03/29 16:08:11~-2.600~-0.63~417.000~405.200~409.600~41115421.0~
//       16899465578.300~...";
//   v_usAAPL="200~苹果~AAPL.OQ~134.18~129.04~132.76~152470142~...~2020-09-01 16:00:01~5.14~
//       3.98~134.80~130.53~USD~152470142~20266788153~...";
//     1 name, 2 code (US: ticker, "." and the exchange: OQ NASDAQ, N NYSE, AM NYSE
//     American), 3 price, 4 previous close, 5 open, 6 volume (shares), 30 date and time in
//     the market's own time (Hong Kong YYYY/MM/DD, US YYYY-MM-DD in New York time),
//     31 change, 32 rate, 33 high, 34 low, 36 volume, 37 amount (HKD or USD).
//   "r_hk" is the real-time Hong Kong quote, "hk" the delayed one; both read alike, and the
//   latter's record is marked delayed:
//   v_hk00700="100~腾讯控股~00700~479.200~473.800~474.600~19321018.0~...~2026/04/29 16:08:43~
//       5.400~1.14~480.600~474.600~479.200~19321018.0~9231869057.790~...~HKD~1~50";
//   Neither service's US statements (Sina "gb_", Tencent "us") carry a sign of delay.

#include "quote/StockEntry.h"

#include <optional>
#include <string>
#include <string_view>

namespace marlune {

// The price format of a market for a price: see above; "%.2f" for the A-share markets.
const char* MarketPriceFormat(int market, double price);

// Fills price, previous close, open, high, low, change, rate and amplitude in the market's
// decimals.
void SetMarketPriceTexts(QuoteRecord& record, int market, double previousClose, double price, double open,
                         double high, double low);

// True for the keys of Sina statements of Hong Kong and US quotes ("rt_hk00700", "hk00700",
// "gb_aapl").
bool IsSinaMarketKey(std::string_view key);
// The record of such a statement (value decoded to UTF-8), or nothing when the value is empty,
// too short or its numbers do not read.
std::optional<QuoteRecord> SinaMarketRecord(std::string_view key, std::string_view value);

// True for the keys of Tencent statements of Hong Kong and US quotes ("r_hk00700",
// "hk00700", "usAAPL").
bool IsTencentMarketKey(std::string_view key);
std::optional<QuoteRecord> TencentMarketRecord(std::string_view key, std::string_view value);

} // namespace marlune
