#include "sim/ServiceRouter.h"

#include "quote/FundEstimate.h"
#include "quote/QuoteService.h"
#include "sim/ForeignMarkets.h"
#include "sim/UrlQuery.h"
#include "sim/VendorSite.h"
#include "text/Fields.h"
#include "text/Gbk.h"

#include <cctype>

namespace marlune::sim {

namespace {

constexpr const char* kGbkScript = "application/javascript; charset=GBK";
constexpr const char* kGbkHtml = "text/html; charset=GBK";
constexpr const char* kUtf8Html = "text/html; charset=utf-8";

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

HttpReply Reply(std::string body, const char* contentType, int status = 200) {
    HttpReply reply;
    reply.status = status;
    reply.contentType = contentType;
    reply.body = std::move(body);
    return reply;
}

HttpReply HtmlPage(const std::string& utf8Page, int status = 200) {
    return Reply(Utf8ToGbk(utf8Page), kGbkHtml, status);
}

// The non-empty items of a list.
std::vector<std::string> Items(std::string_view text, char separator) {
    std::vector<std::string> items;
    for (std::string& item : SplitFields(text, std::string(1, separator))) {
        if (!item.empty()) {
            items.push_back(std::move(item));
        }
    }
    return items;
}

HttpReply GoogleQuotes(const Market& market, const std::vector<std::string>& codes, std::string_view target) {
    std::string path;
    std::string query;
    SplitTarget(target, path, query);
    std::string encoding = QueryValue(query, "oe").value_or("");
    for (char& c : encoding) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    const bool gbk = encoding == "gb2312" || encoding == "gbk" || encoding == "gb18030";
    return Reply(market.GoogleReply(codes, gbk),
                 gbk ? "text/plain; charset=GB2312" : "text/plain; charset=utf-8");
}

// A quote request of one of the services of the quote service table: the service's reply
// for the codes asked, in its syntax and encoding.
HttpReply Quotes(const Market& market, const QuoteService& service, const std::string& codeList,
                 std::string_view target) {
    const std::vector<std::string> codes = Items(PercentDecode(codeList), service.separator[0]);
    switch (service.source) {
    case kSourceNetEase:
        return Reply(market.NeteaseReply(codes), kGbkScript);
    case kSourceGoogle:
        return GoogleQuotes(market, codes, target);
    case kSourceTencent:
        return Reply(market.TencentReply(codes), "application/x-javascript; charset=GBK");
    case kSourceEastMoney:
        return Reply(market.EastMoneyReply(codes), "application/json; charset=UTF-8");
    default:
        return Reply(market.SinaReply(codes), kGbkScript);
    }
}

HttpReply Suggestions(const Market& market, const std::string& query) {
    // The key is GBK, %-encoded by the program; raw bytes pass through the decoding.
    const std::string key = GbkToUtf8(PercentDecode(QueryValue(query, "key").value_or("")));
    // Only the types asked for, as the real service answers.
    const std::string types = PercentDecode(QueryValue(query, "type").value_or(""));
    return Reply(market.SuggestReply(key, types), kGbkScript);
}

HttpReply Chart(const Market& market, std::string_view path) {
    // "/stock/chart/bf/0/600000.png": 0 Shanghai, 1 Shenzhen.
    const std::string_view rest = path.substr(std::string_view("/stock/chart/bf/").size());
    if (rest.size() != 12 || (rest[0] != '0' && rest[0] != '1') || rest[1] != '/' ||
        rest.substr(8) != ".png") {
        return ErrorReply(404);
    }
    const auto png = market.ChartPng(rest[0] - '0' + 1, rest.substr(2, 6));
    return png ? Reply(*png, "image/png") : ErrorReply(404);
}

// The stock named by ?stockid=sh600000, with the raw text asked for.
const StockInfo* RequestedStock(const std::string& query, std::string& requestedId) {
    requestedId = PercentDecode(QueryValue(query, "stockid").value_or(""));
    std::string lower = requestedId;
    for (char& c : lower) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return FindStockByPrefixedCode(lower);
}

} // namespace

HttpReply RouteServiceRequest(const Market& market, const SiteSettings& site, std::string_view target) {
    std::string codeList;
    if (const QuoteService* service = QuoteServiceOfRequest(target, codeList)) {
        return Quotes(market, *service, codeList, target);
    }
    std::string path;
    std::string query;
    SplitTarget(target, path, query);
    SiteContext context{&market, market.Now(), site.siteUrl};

    if (path == "/") {
        return HtmlPage(HomePage(context));
    }
    if (const std::optional<std::string> fund = FundCodeOfRequest(target)) {
        // The fund estimate service: UTF-8.
        return Reply(FundEstimateReply(market, *fund, market.Now()), "application/javascript; charset=utf-8");
    }
    if (path == "/suggest/" || path == "/suggest") {
        return Suggestions(market, query);
    }
    if (StartsWith(path, "/stock/chart/bf/")) {
        return Chart(market, path);
    }
    if (path == "/appstock/app/minute/query") {
        // The code in lower case, as the service takes it; anything else is unknown.
        const std::string code = PercentDecode(QueryValue(query, "code").value_or(""));
        return Reply(market.MinuteReply(code), "application/json; charset=utf-8");
    }
    if (path == "/update.html") {
        return Reply(UpdateFileText(site.offeredVersion, site.siteUrl), kUtf8Html);
    }
    if (path == "/stock/newstock.php") {
        return Reply(NewStockFileText(context.now), kUtf8Html);
    }
    if (path == "/163.txt") {
        return Reply(ProxyTestText(), "text/plain");
    }
    if (path == "/stock/" || path == "/stock") {
        return HtmlPage(StockCenterPage(context));
    }
    if (path == "/stock/stock_info.php") {
        std::string requestedId;
        const StockInfo* stock = RequestedStock(query, requestedId);
        return HtmlPage(StockInfoPage(context, stock, requestedId), stock ? 200 : 404);
    }
    if (path == "/stock/ministock.php") {
        std::string requestedId;
        const StockInfo* stock = RequestedStock(query, requestedId);
        return HtmlPage(MiniStockPage(context, stock, requestedId), stock || requestedId.empty() ? 200 : 404);
    }
    if (path == "/ent/advice.php") {
        // A form of a GBK page: "+" for blanks, GBK bytes %-encoded.
        std::string content = QueryValue(query, "content").value_or("");
        for (char& c : content) {
            if (c == '+') {
                c = ' ';
            }
        }
        const std::string message = GbkToUtf8(PercentDecode(content));
        return HtmlPage(AdvicePage(message));
    }
    if (path == "/ent/softinfo.php") {
        return HtmlPage(SoftInfoPage(context));
    }
    if (path == "/ent/help.php") {
        return HtmlPage(HelpPage());
    }
    return ErrorReply(404);
}

} // namespace marlune::sim
