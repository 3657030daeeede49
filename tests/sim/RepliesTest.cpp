#include "quote/QuoteParsers.h"
#include "sim/Market.h"
#include "sim/QuoteReplies.h"
#include "text/CNumber.h"
#include "text/Fields.h"
#include "text/Gbk.h"

#include <cmath>
#include <gtest/gtest.h>
#include <regex>

using namespace marlune;
using namespace marlune::sim;

namespace {

// 2026-12-08 10:35:12 Beijing time.
constexpr std::int64_t kNow = 1796693400 + 3912;

sim::Market FixedMarket() {
    return sim::Market(20261208, [] { return kNow; });
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines = SplitFields(text, "\n");
    if (!lines.empty() && lines.back().empty()) {
        lines.pop_back();
    }
    return lines;
}

// The Google reply read the way the program reads it: string values of each object,
// each followed by ";", and "|" at a line that begins with "}".
std::vector<std::vector<std::string>> GoogleRecords(const std::string& utf8) {
    std::string flat;
    for (const std::string& line : Lines(utf8)) {
        const std::size_t mark = line.find(": \"");
        if (mark != std::string::npos) {
            const std::size_t end = line.find('"', mark + 3);
            flat += line.substr(mark + 3, end - mark - 3) + ";";
        } else if (!line.empty() && line[0] == '}') {
            flat += "|";
        }
    }
    std::vector<std::vector<std::string>> records;
    for (const std::string& record : SplitFields(flat, "|")) {
        if (record.size() > 9) {
            records.push_back(SplitFields("x;" + record, ";"));
        }
    }
    return records;
}

WatchList Entries(std::initializer_list<std::pair<const char*, int>> codes) {
    WatchList list;
    for (const auto& [code, market] : codes) {
        StockEntry entry;
        entry.code = code;
        entry.market = market;
        list.push_back(entry);
    }
    return list;
}

} // namespace

TEST(SinaReply, OneStatementPerCodeWithThe33ValuesInOrder) {
    const sim::Market market = FixedMarket();
    const std::string gbk = market.SinaReply({"sh600000", "sz399001", "sz999999", "sh000001"});
    const std::vector<std::string> lines = Lines(GbkToUtf8(gbk));
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[2], "var hq_str_sz999999=\"\";");
    const std::regex statement(R"re(var hq_str_(s[hz]\d{6})="([^"]*)";)re");
    std::smatch match;
    ASSERT_TRUE(std::regex_match(lines[0], match, statement));
    EXPECT_EQ(match[1].str(), "sh600000");
    const std::vector<std::string> fields = SplitFields(match[2].str(), ",");
    ASSERT_EQ(fields.size(), 34u); // the name, 32 values and the empty field of Shanghai lines
    EXPECT_EQ(fields[33], "");
    const SimQuote quote = market.Quote(*FindStock(1, "600000"));
    EXPECT_EQ(fields[0], "浦发银行");
    EXPECT_EQ(fields[1], FixedText(quote.open, 3));
    EXPECT_EQ(fields[2], FixedText(quote.previousClose, 3));
    EXPECT_EQ(fields[3], FixedText(quote.price, 3));
    EXPECT_EQ(fields[4], FixedText(quote.high, 3));
    EXPECT_EQ(fields[5], FixedText(quote.low, 3));
    EXPECT_EQ(fields[8], FixedText(quote.volume, 0));
    EXPECT_EQ(fields[9], FixedText(std::round(quote.amount / 100) * 100, 3));
    EXPECT_EQ(fields[6], fields[11]); // bid = best bid level's price
    EXPECT_EQ(fields[7], fields[21]); // ask = best ask level's price
    EXPECT_EQ(fields[30], "2026-12-08");
    EXPECT_EQ(fields[31], "10:35:12");
    EXPECT_EQ(fields[32], "00");
    // A Shenzhen index: three decimals, its volume in shares and an empty order book.
    ASSERT_TRUE(std::regex_match(lines[1], match, statement));
    const std::vector<std::string> index = SplitFields(match[2].str(), ",");
    ASSERT_EQ(index.size(), 33u);
    EXPECT_EQ(index[0], "深证成指");
    EXPECT_TRUE(std::regex_match(index[3], std::regex(R"(\d+\.\d{3})"))) << index[3];
    EXPECT_EQ(index[6], "0.000");
    EXPECT_EQ(index[10], "0");
    EXPECT_EQ(index[8], FixedText(market.Quote(*FindStock(2, "399001")).volume, 0));
    // The name goes out in GBK.
    EXPECT_NE(gbk.find(Utf8ToGbk("浦发银行")), std::string::npos);
    // A code with characters that would break the statement is cleaned, not echoed.
    EXPECT_EQ(GbkToUtf8(market.SinaReply({"sh\"60;0"})), "var hq_str_sh600=\"\";\n");
    EXPECT_EQ(market.SinaReply({}), "");
}

TEST(NeteaseReply, FieldsAtTheParsersPositions) {
    const sim::Market market = FixedMarket();
    const std::string utf8 = GbkToUtf8(market.NeteaseReply({"0600000", "1399001", "1999999", "7600000"}));
    const std::vector<std::string> lines = Lines(utf8);
    ASSERT_EQ(lines.size(), 2u); // unknown codes are left out
    const std::size_t open = lines[0].find("='");
    const std::size_t close = lines[0].find("';");
    ASSERT_NE(open, std::string::npos);
    ASSERT_NE(close, std::string::npos);
    const std::vector<std::string> fields = SplitFields(lines[0].substr(open + 2, close - open - 2), ";");
    ASSERT_EQ(fields.size(), 33u);
    const SimQuote quote = market.Quote(*FindStock(1, "600000"));
    EXPECT_EQ(fields[0], "0600000");
    EXPECT_EQ(fields[1], "浦发银行");
    EXPECT_EQ(fields[2], FixedText(quote.previousClose, 2));
    EXPECT_EQ(fields[3], FixedText(quote.open, 2));
    EXPECT_EQ(fields[4], FixedText(quote.amount, 0));
    EXPECT_EQ(fields[5], FixedText(quote.volume, 0));
    EXPECT_EQ(fields[7], FixedText(quote.price - quote.previousClose, 2));
    EXPECT_EQ(fields[8], FixedText(quote.high, 2));
    EXPECT_EQ(fields[9], FixedText(quote.low, 2));
    EXPECT_EQ(fields[10], FixedText(quote.price, 2));
    EXPECT_EQ(fields[32], "2026/12/08 10:35:12");
    EXPECT_EQ(lines[1].substr(0, 18), "var hq_1399001='13");
}

TEST(GoogleReply, StringValuesNumberedAsTheReaderCountsThem) {
    const sim::Market market = FixedMarket();
    const std::string gbk = market.GoogleReply({"SHA:600000", "SHE:399001", "SHA:999999", "600000"});
    const std::string utf8 = GbkToUtf8(gbk);
    EXPECT_EQ(utf8.substr(0, 5), "// [\n");
    const auto records = GoogleRecords(utf8);
    ASSERT_EQ(records.size(), 2u);
    const auto& fields = records[0];
    ASSERT_GE(fields.size(), 27u);
    const SimQuote quote = market.Quote(*FindStock(1, "600000"));
    EXPECT_EQ(fields[2], "600000");
    EXPECT_EQ(fields[3], "SHA");
    EXPECT_EQ(fields[4], FixedText(quote.price, 2));
    EXPECT_EQ(fields[6], "Dec 8, 10:35AM GMT+8");
    EXPECT_EQ(AtoF(fields[8]), AtoF(FixedText(quote.price - quote.previousClose, 2)));
    EXPECT_EQ(fields[9], FixedText(quote.ChangeRate(), 2));
    EXPECT_EQ(fields[13], FixedText(quote.open, 2));
    EXPECT_EQ(fields[14], FixedText(quote.high, 2));
    EXPECT_EQ(fields[15], FixedText(quote.low, 2));
    EXPECT_TRUE(std::regex_match(fields[16], std::regex(R"(\d+(\.\d\d[KMB])?)"))) << fields[16];
    EXPECT_EQ(fields[26], "浦发银行");
    EXPECT_EQ(records[1][2], "399001");
    EXPECT_EQ(records[1][3], "SHE");
    EXPECT_EQ(records[1][26], "深证成指");
    // Without oe=gb2312 the same reply comes in UTF-8.
    EXPECT_EQ(market.GoogleReply({"SHA:600000"}, false), GbkToUtf8(market.GoogleReply({"SHA:600000"})));
    EXPECT_EQ(market.GoogleReply({}), "// [\n]\n");
}

TEST(QuoteReplies, ParsersReadTheSimulatorsReplies) {
    const sim::Market market = FixedMarket();
    const SimQuote pufa = market.Quote(*FindStock(1, "600000"));
    const SimQuote shanghai = market.Quote(*FindStock(1, "000001"));

    QuoteBook sina;
    sina.setWatchList(Entries({{"000001", 1}, {"399001", 2}, {"600000", 1}}));
    ParseSinaReply(sina, market.SinaReply({"sh000001", "sz399001", "sh600000"}));
    ASSERT_EQ(sina.quoteList.size(), 3u);
    EXPECT_EQ(sina.quoteList[0].code, "000001");
    EXPECT_EQ(sina.quoteList[0].market, 1);
    EXPECT_EQ(sina.quoteList[1].market, 2);
    EXPECT_EQ(sina.quoteList[2].name, "浦发银行");
    EXPECT_EQ(sina.quoteList[2].price, FixedText(pufa.price, 3)); // Sina's three decimals
    EXPECT_EQ(sina.quoteList[2].volume, FixedText(pufa.volume / 100, 0));
    EXPECT_EQ(sina.quoteList[0].price, FixedText(shanghai.price, 4)); // four for a Shanghai index
    EXPECT_EQ(sina.updateTime, "2026-12-08 10:35:12");
    EXPECT_EQ(sina.watchList[2].quote.name, "浦发银行");

    QuoteBook netease;
    netease.setWatchList(Entries({{"000001", 1}, {"600000", 1}}));
    ParseNeteaseReply(netease, market.NeteaseReply({"0000001", "0600000"}));
    ASSERT_EQ(netease.quoteList.size(), 2u);
    EXPECT_EQ(netease.quoteList[1].code, "600000");
    EXPECT_EQ(netease.quoteList[1].market, 1);
    EXPECT_EQ(netease.quoteList[1].price, FixedText(pufa.price, 2));
    EXPECT_EQ(netease.quoteList[1].dateTime, "2026/12/08 10:35:12");
    EXPECT_EQ(netease.watchList[0].quote.name, "上证指数");

    QuoteBook google;
    google.setWatchList(Entries({{"600000", 1}, {"399001", 2}}));
    ParseGoogleReply(google, FlattenGoogleReply(market.GoogleReply({"SHA:600000", "SHE:399001"})));
    ASSERT_EQ(google.quoteList.size(), 2u);
    EXPECT_EQ(google.quoteList[0].code, "600000");
    EXPECT_EQ(google.quoteList[0].name, "浦发银行");
    EXPECT_EQ(google.quoteList[0].open, FixedText(pufa.open, 2));
    EXPECT_EQ(google.quoteList[1].code, "399001");
    EXPECT_EQ(google.quoteList[1].market, 2);
    EXPECT_EQ(google.watchList[1].quote.name, "深证成指");
}

TEST(QuoteReplies, IndexVolumeInLotsOnSinaAndGooglePricesWithSeparators) {
    const sim::Market market = FixedMarket();
    const SimQuote shanghai = market.Quote(*FindStock(1, "000001"));
    const SimQuote pufa = market.Quote(*FindStock(1, "600000"));
    ASSERT_GT(shanghai.price, 1000.0);

    // Sina: an index's volume in lots, a stock's in shares; the ticker shows both in lots.
    QuoteBook sina;
    sina.setWatchList(Entries({{"000001", 1}, {"600000", 1}}));
    ParseSinaReply(sina, market.SinaReply({"sh000001", "sh600000"}));
    ASSERT_EQ(sina.quoteList.size(), 2u);
    EXPECT_EQ(sina.quoteList[0].volume, FixedText(std::floor(shanghai.volume / 100), 0));
    EXPECT_EQ(sina.quoteList[1].volume, FixedText(pufa.volume / 100, 0));
    // NetEase sends shares for both and shows the same lots.
    QuoteBook netease;
    netease.setWatchList(Entries({{"000001", 1}}));
    ParseNeteaseReply(netease, market.NeteaseReply({"0000001"}));
    EXPECT_NEAR(AtoF(netease.watchList[0].quote.volume), AtoF(sina.watchList[0].quote.volume), 1.0);

    // Google writes prices of 1000 and more with separators, and the parser reads them whole.
    const auto records = GoogleRecords(GbkToUtf8(market.GoogleReply({"SHA:000001"})));
    ASSERT_EQ(records.size(), 1u);
    EXPECT_TRUE(std::regex_match(records[0][4], std::regex(R"(\d{1,3}(,\d{3})+\.\d\d)"))) << records[0][4];
    QuoteBook google;
    google.setWatchList(Entries({{"000001", 1}}));
    ParseGoogleReply(google, FlattenGoogleReply(market.GoogleReply({"SHA:000001"})));
    // Google's open stands in for the previous close.
    const double amplitude = (shanghai.high - shanghai.low) * 100 / shanghai.open;
    ASSERT_GT(amplitude, 0.05);
    EXPECT_NEAR(AtoF(google.watchList[0].quote.amplitude), amplitude, 0.011);
    EXPECT_NEAR(QuoteNumber(google.watchList[0].quote.price), shanghai.price, 0.006);
}
