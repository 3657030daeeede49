#pragma once
// The vendor's web site: the version and new-stock files the program checks, the proxy
// test file, and the HTML pages it opens in the browser and in its data window (whose
// links call window.external.ShowDlg, the program's own browser hook). Pages are
// returned in UTF-8 with a gb2312 charset meta; the router sends them as GBK.

#include "sim/Market.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace marlune::sim {

struct SiteContext {
    const Market* market = nullptr;
    std::int64_t now = 0;
    std::string siteUrl; // "http://127.0.0.1:8080", for absolute links
};

// "1:1.2.0.0:http://.../download/MarluneSetup-1.2.0.0.exe;" (UTF-8). An empty offered
// version gives a record that offers nothing ("0:1.1.0.0:;").
std::string UpdateFileText(const std::string& offeredVersion, const std::string& siteUrl);

// newstk="tip" (UTF-8, no line end), a tip about a real new listing, changing daily.
std::string NewStockFileText(std::int64_t unixSeconds);

// The short text the proxy test fetches.
std::string ProxyTestText();

std::string HomePage(const SiteContext& context);
std::string StockCenterPage(const SiteContext& context);
// The stock's page; requestedId is echoed (escaped) when the stock is unknown.
std::string StockInfoPage(const SiteContext& context, const StockInfo* stock, std::string_view requestedId);
// The data window's mini quote page of a stock, or of the main indices when no stock
// was asked for (requestedId empty).
std::string MiniStockPage(const SiteContext& context, const StockInfo* stock, std::string_view requestedId);
// The feedback page; thanks the user when a message was submitted.
std::string AdvicePage(std::string_view submittedMessage);
std::string SoftInfoPage(const SiteContext& context);
std::string HelpPage();

// Text made safe for HTML element content and attribute values.
std::string HtmlEscape(std::string_view text);

} // namespace marlune::sim
