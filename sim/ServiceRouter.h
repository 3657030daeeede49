#pragma once
// Which service a request is for, and its reply: every path the program requests. Quote
// requests are recognised by the quote service table (quote/QuoteService.h).
//
//   /rn=<time>&list=sh600000,...            Sina quotes
//   /?0600000;1000001                       NetEase 163 quotes
//   /finance/info?q=SHA:600000,...&...      Google quotes
//   /stock/chart/bf/<0|1>/<code>.png        Hexun intraday charts
//   /suggest/?type=...&key=<%-encoded GBK>  Sina suggestions
//   /appstock/app/minute/query?code=sh600000  Tencent minute data (UTF-8 JSON)
//   /update.html, /stock/newstock.php, /163.txt, / and the vendor's HTML pages
//
// Anything else is 404.

#include "sim/Market.h"
#include "sim/ReplyWriter.h"

#include <string>
#include <string_view>

namespace marlune::sim {

struct SiteSettings {
    std::string siteUrl;        // "http://host:port" as the client reached us
    std::string offeredVersion; // the version /update.html offers
};

HttpReply RouteServiceRequest(const Market& market, const SiteSettings& site, std::string_view target);

} // namespace marlune::sim
