#pragma once
// The outside services the program talks to, by name. Where each one lives (its base URL
// and Referer) is the network layer's business (net/ServiceEndpoints.h); the quote layer
// only names the one a quote service asks.

namespace marlune {

enum class Service : int {
    kSinaQuotes,
    kNetEaseQuotes,
    kGoogle,
    kHexunCharts,
    kSinaSuggest,
    kVendorSite,
    kVendorSecondSite,
    kTencentMinutes, // minute data of one stock's day, for the drawn intraday chart
    kTencentQuotes,
    kEastMoneyQuotes,
    kFundEstimates, // open-end funds' intraday estimates and net values (quote/FundEstimate.h)
};
constexpr int kServiceCount = 11;

} // namespace marlune
