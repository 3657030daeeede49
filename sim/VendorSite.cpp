#include "sim/VendorSite.h"

#include "sim/QuoteReplies.h"
#include "text/CNumber.h"

namespace marlune::sim {

namespace {

const char* const kProduct = "Marlune1.0 - Orvento";

std::string Page(const std::string& title, const std::string& body, const char* bodyAttributes = "") {
    return "<!DOCTYPE html>\n<html><head>\n"
           "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\">\n"
           "<title>" +
           HtmlEscape(title) +
           "</title>\n<style type=\"text/css\">\n"
           "body{font-family:\"Microsoft YaHei\",SimSun,sans-serif;font-size:12px;color:#333;margin:8px}\n"
           "h1{font-size:16px;margin:4px 0}h2{font-size:14px;margin:10px 0 4px}\n"
           "table{border-collapse:collapse}td,th{padding:2px 8px;border-bottom:1px solid "
           "#eee;text-align:right}\n"
           "th{background:#f3f6fa;font-weight:normal}td.name,th.name{text-align:left}\n"
           ".up{color:#d01010}.down{color:#009030}.big{font-size:22px;font-weight:bold}\n"
           "a{color:#0645ad;text-decoration:none}a:hover{text-decoration:underline}\n"
           ".foot{color:#888;margin-top:10px}\n"
           "</style></head>\n<body" +
           std::string(bodyAttributes) + ">\n" + body + "</body></html>\n";
}

std::string StockId(const StockInfo& stock) {
    return std::string(stock.MarketPrefix()) + stock.code;
}

std::string ToneClass(const SimQuote& quote) {
    const double change = quote.Change();
    return change > 1e-9 ? "up" : change < -1e-9 ? "down" : "";
}

std::string Signed(double value, int decimals, const char* suffix = "") {
    std::string text = FixedText(value, decimals);
    if (value > 0 && text.find_first_not_of("0.") != std::string::npos) {
        text = "+" + text;
    }
    return text + suffix;
}

std::string VolumeText(const SimQuote& quote) {
    if (quote.stock->IsIndex()) {
        return FixedText(quote.volume / 1e8, 2) + "亿股";
    }
    return FixedText(quote.volume / 100, 0) + "手";
}

std::string AmountText(const SimQuote& quote) {
    return quote.amount >= 1e8 ? FixedText(quote.amount / 1e8, 2) + "亿元"
                               : FixedText(quote.amount / 1e4, 2) + "万元";
}

std::string ChartImage(const StockInfo& stock) {
    return Format("<img src=\"/stock/chart/bf/%d/%s.png\" width=\"426\" height=\"290\" alt=\"\">",
                  stock.market - 1, stock.code);
}

// A link for pages in the program's data window: the program opens the address in the
// user's browser; elsewhere the plain link is followed.
std::string ShowDlgLink(const std::string& url, const std::string& text) {
    const std::string escaped = HtmlEscape(url);
    return "<a href=\"" + escaped + "\" onclick=\"window.external.ShowDlg('" + escaped +
           "', 0); return false;\">" + text + "</a>";
}

std::string QuoteTable(const SimQuote& quote) {
    const std::string tone = ToneClass(quote);
    auto cell = [](const std::string& label, const std::string& value, const std::string& css = "") {
        return "<th>" + label + "</th><td" + (css.empty() ? "" : " class=\"" + css + "\"") + ">" + value +
               "</td>";
    };
    auto priceTone = [&quote](double price) {
        return price > quote.previousClose + 1e-9 ? "up" : price < quote.previousClose - 1e-9 ? "down" : "";
    };
    std::string html = "<table>\n";
    html += "<tr>" + cell("今开", FixedText(quote.open, 2), priceTone(quote.open)) +
            cell("昨收", FixedText(quote.previousClose, 2)) + "</tr>\n";
    html += "<tr>" + cell("最高", FixedText(quote.high, 2), priceTone(quote.high)) +
            cell("最低", FixedText(quote.low, 2), priceTone(quote.low)) + "</tr>\n";
    html += "<tr>" + cell("涨跌", Signed(quote.Change(), 2), tone) +
            cell("涨幅", Signed(quote.ChangeRate(), 2, "%"), tone) + "</tr>\n";
    html += "<tr>" + cell("成交量", VolumeText(quote)) + cell("成交额", AmountText(quote)) + "</tr>\n";
    if (!quote.stock->IsIndex()) {
        html += "<tr>" + cell("涨停", FixedText(quote.limitUp, 2), "up") +
                cell("跌停", FixedText(quote.limitDown, 2), "down") + "</tr>\n";
    }
    html += "</table>\n";
    return html;
}

std::string QuoteHeading(const SimQuote& quote) {
    const std::string tone = ToneClass(quote);
    return "<h1>" + HtmlEscape(quote.stock->name) + " <small>(" + StockId(*quote.stock) + ")</small></h1>\n" +
           "<div><span class=\"big " + tone + "\">" + FixedText(quote.price, 2) + "</span> <span class=\"" +
           tone + "\">" + Signed(quote.Change(), 2) + " " + Signed(quote.ChangeRate(), 2, "%") +
           "</span></div>\n";
}

std::string BookTable(const SimQuote& quote) {
    std::string html = "<table><tr><th class=\"name\">档位</th><th>价格</th><th>数量(手)</th></tr>\n";
    const char* const askNames[] = {"卖一", "卖二", "卖三", "卖四", "卖五"};
    const char* const bidNames[] = {"买一", "买二", "买三", "买四", "买五"};
    for (int level = 4; level >= 0; --level) {
        html += std::string("<tr><td class=\"name\">") + askNames[level] + "</td><td>" +
                FixedText(quote.book.askPrice[level], 2) + "</td><td>" +
                FixedText(quote.book.askVolume[level] / 100, 0) + "</td></tr>\n";
    }
    for (int level = 0; level < 5; ++level) {
        html += std::string("<tr><td class=\"name\">") + bidNames[level] + "</td><td>" +
                FixedText(quote.book.bidPrice[level], 2) + "</td><td>" +
                FixedText(quote.book.bidVolume[level] / 100, 0) + "</td></tr>\n";
    }
    return html + "</table>\n";
}

std::string IndexRows(const SiteContext& context, bool showDlgLinks) {
    std::string html;
    for (const char* id : {"sh000001", "sz399001", "sz399006", "sh000300"}) {
        const StockInfo* stock = FindStockByPrefixedCode(id);
        const SimQuote quote = context.market->QuoteAt(*stock, context.now);
        const std::string tone = ToneClass(quote);
        const std::string url = context.siteUrl + "/stock/stock_info.php?stockid=" + id;
        const std::string name =
            showDlgLinks ? ShowDlgLink(url, HtmlEscape(stock->name))
                         : "<a href=\"" + HtmlEscape(url) + "\">" + HtmlEscape(stock->name) + "</a>";
        html += "<tr><td class=\"name\">" + name + "</td><td class=\"" + tone + "\">" +
                FixedText(quote.price, 2) + "</td><td class=\"" + tone + "\">" + Signed(quote.Change(), 2) +
                "</td><td class=\"" + tone + "\">" + Signed(quote.ChangeRate(), 2, "%") + "</td><td>" +
                AmountText(quote) + "</td></tr>\n";
    }
    return html;
}

const char* const kIndexHeader =
    "<table><tr><th class=\"name\">指数</th><th>最新</th><th>涨跌</th><th>涨幅</th><th>成交额</th></tr>\n";

std::string UpdateTime(const SiteContext& context) {
    const SessionTime time = SessionAt(context.now);
    return "<div class=\"foot\">更新时间：" + time.Date() + " " + time.Time() + "</div>\n";
}

} // namespace

std::string HtmlEscape(std::string_view text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string UpdateFileText(const std::string& offeredVersion, const std::string& siteUrl) {
    if (offeredVersion.empty()) {
        return "0:1.1.0.0:;";
    }
    return "1:" + offeredVersion + ":" + siteUrl + "/download/MarluneSetup-" + offeredVersion + ".exe;";
}

std::string NewStockFileText(std::int64_t unixSeconds) {
    static const char* const kTips[] = {
        "新股申购：中芯国际(688981)今日申购，申购代码787981，发行价27.46元。",
        "新股申购：京沪高铁(601816)今日申购，申购代码780816，发行价4.88元。",
        "新股申购：宁德时代(300750)今日申购，申购代码300750，发行价25.14元。",
        "新股申购：寒武纪(688256)今日申购，申购代码787256，发行价64.39元。",
        "新股申购：工业富联(601138)今日申购，申购代码780138，发行价13.77元。",
        "新股申购：中国移动(600941)今日申购，申购代码730941，发行价57.58元。",
        "新股申购：邮储银行(601658)今日申购，申购代码780658，发行价5.50元。",
    };
    const std::int64_t days = (unixSeconds + 8 * 3600) / 86400;
    const std::size_t count = sizeof kTips / sizeof kTips[0];
    return std::string("newstk=\"") +
           kTips[static_cast<std::size_t>(days % static_cast<std::int64_t>(count))] + "\"";
}

std::string ProxyTestText() {
    return "Marlune network test: ok\r\n";
}

std::string HomePage(const SiteContext& context) {
    std::string body =
        "<h1>Orvento 软件</h1>\n<p>" + std::string(kProduct) + " —— 沪深股票行情小窗口。</p>\n<ul>\n";
    body += "<li><a href=\"/stock/\">行情中心</a></li>\n";
    body += "<li><a "
            "href=\"/ent/softinfo.php?softid=2&amp;ver=1.0&amp;softname=marlune\">软件介绍与下载</a></li>\n";
    body += "<li><a href=\"/ent/help.php?softid=2&amp;ver=1.0&amp;softname=marlune\">使用帮助</a></li>\n";
    body += "<li><a href=\"/ent/advice.php\">意见和建议</a></li>\n</ul>\n";
    body += UpdateTime(context);
    return Page("Orvento", body);
}

std::string StockCenterPage(const SiteContext& context) {
    std::string body = "<h1>行情中心</h1>\n<h2>大盘指数</h2>\n" + std::string(kIndexHeader) +
                       IndexRows(context, false) + "</table>\n";
    body += "<h2>热门股票</h2>\n<table><tr><th "
            "class=\"name\">名称</th><th>代码</th><th>最新</th><th>涨幅</th></tr>\n";
    for (const char* id : {"sh600519", "sh601318", "sh600036", "sh600000", "sz000001", "sz000858", "sz002594",
                           "sz300750", "sh601012", "sh688981"}) {
        const StockInfo* stock = FindStockByPrefixedCode(id);
        const SimQuote quote = context.market->QuoteAt(*stock, context.now);
        const std::string tone = ToneClass(quote);
        body += "<tr><td class=\"name\"><a href=\"/stock/stock_info.php?stockid=" + std::string(id) + "\">" +
                HtmlEscape(stock->name) + "</a></td><td>" + stock->code + "</td><td class=\"" + tone + "\">" +
                FixedText(quote.price, 2) + "</td><td class=\"" + tone + "\">" +
                Signed(quote.ChangeRate(), 2, "%") + "</td></tr>\n";
    }
    body += "</table>\n" + UpdateTime(context);
    return Page("行情中心", body);
}

std::string StockInfoPage(const SiteContext& context, const StockInfo* stock, std::string_view requestedId) {
    if (stock == nullptr) {
        return Page("没有找到股票", "<h1>没有找到股票</h1>\n<p>没有代码为“" + HtmlEscape(requestedId) +
                                        "”的股票。</p>\n<p><a href=\"/stock/\">返回行情中心</a></p>\n");
    }
    const SimQuote quote = context.market->QuoteAt(*stock, context.now);
    std::string body = QuoteHeading(quote);
    body += "<p>" + std::string(stock->market == 1 ? "上海证券交易所" : "深圳证券交易所") +
            (stock->IsIndex() ? " · 指数" : " · A股") + "</p>\n";
    body += QuoteTable(quote);
    body += "<h2>分时走势</h2>\n" + ChartImage(*stock) + "\n";
    if (!stock->IsIndex()) {
        body += "<h2>五档盘口</h2>\n" + BookTable(quote);
    }
    body += "<p><a href=\"/stock/ministock.php?stockid=" + StockId(*stock) +
            "\">迷你行情</a> · "
            "<a href=\"/stock/\">行情中心</a></p>\n";
    body += UpdateTime(context);
    return Page(std::string(stock->name) + " " + StockId(*stock), body);
}

std::string MiniStockPage(const SiteContext& context, const StockInfo* stock, std::string_view requestedId) {
    const char* const attributes = " scroll=\"no\" style=\"overflow:hidden\" oncontextmenu=\"return false;\"";
    if (stock == nullptr && requestedId.empty()) {
        std::string body = "<h1>大盘行情</h1>\n" + std::string(kIndexHeader) + IndexRows(context, true) +
                           "</table>\n" + ChartImage(*FindStockByPrefixedCode("sh000001")) + "\n" +
                           UpdateTime(context);
        return Page("Marlune数据", body, attributes);
    }
    if (stock == nullptr) {
        return Page("Marlune数据",
                    "<h1>没有找到股票</h1>\n<p>没有代码为“" + HtmlEscape(requestedId) + "”的股票。</p>\n",
                    attributes);
    }
    const SimQuote quote = context.market->QuoteAt(*stock, context.now);
    std::string body = QuoteHeading(quote) + QuoteTable(quote) + ChartImage(*stock) + "\n";
    body += "<p>" +
            ShowDlgLink(context.siteUrl + "/stock/stock_info.php?stockid=" + StockId(*stock), "详细资料") +
            " · " + ShowDlgLink(context.siteUrl + "/stock/", "行情中心") + "</p>\n";
    body += UpdateTime(context);
    return Page("Marlune数据", body, attributes);
}

std::string AdvicePage(std::string_view submittedMessage) {
    std::string body = "<h1>意见和建议</h1>\n";
    if (!submittedMessage.empty()) {
        body += "<p>感谢您的建议！我们已经收到：</p>\n<blockquote>" + HtmlEscape(submittedMessage) +
                "</blockquote>\n";
    }
    body += "<form method=\"get\" action=\"/ent/advice.php\">\n"
            "<p>您在使用 Marlune 时遇到的问题或者希望增加的功能：</p>\n"
            "<textarea name=\"content\" rows=\"6\" cols=\"50\"></textarea><br>\n"
            "<input type=\"submit\" value=\"提交\">\n</form>\n";
    return Page("意见和建议", body);
}

std::string SoftInfoPage(const SiteContext& context) {
    std::string body = "<h1>" + std::string(kProduct) + "</h1>\n";
    body += "<p>Marlune 是一个桌面股票行情小窗口：自选股实时行情、涨跌幅、成交量、持仓盈亏一目了然，"
            "支持新浪、网易163和Google三个行情源，热键显示和隐藏，贴边隐藏。</p>\n";
    body += "<table><tr><th class=\"name\">当前版本</th><td class=\"name\">1.1.0.0</td></tr>\n"
            "<tr><th class=\"name\">运行环境</th><td class=\"name\">Windows、Linux 桌面</td></tr>\n"
            "<tr><th class=\"name\">授权</th><td class=\"name\">免费软件</td></tr></table>\n";
    body += "<p><a href=\"" + HtmlEscape(context.siteUrl) + "/update.html\">检查最新版本</a></p>\n";
    return Page("软件介绍 - Marlune", body);
}

std::string HelpPage() {
    std::string body = "<h1>使用帮助</h1>\n";
    body +=
        "<h2>添加自选股</h2><p>在设置的“我的股票”页输入代码、简称或全拼首字母，从下拉列表中选择后点“添加”。"
        "双击列表中的股票可以设置持仓数量、成本价和价格提醒。</p>\n";
    body += "<h2>刷新行情</"
            "h2><p>"
            "行情按“刷新间隔”自动更新，点击窗口上的刷新按钮可以立即刷新；行情源和刷新间隔在“基本配置”里设置。"
            "</p>\n";
    body += "<h2>显示和隐藏</h2><p>用热键（默认 "
            "Alt+1，可在“基本配置”里更改）或者点击通知区域的图标显示或隐藏行情窗口；"
            "把窗口拖到屏幕边缘会自动贴边隐藏。</p>\n";
    body += "<h2>分时图</h2><p>鼠标停在某只股票的行上，会显示它的详细行情和分时走势图。</p>\n";
    return Page("使用帮助 - Marlune", body);
}

} // namespace marlune::sim
