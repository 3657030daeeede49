#include "QuoteTestSupport.h"
#include "quote/QuoteParsers.h"
#include "text/CNumber.h"

#include <gtest/gtest.h>

namespace marlune {
namespace {

using test::BookOf;
using test::Entry;

// A statement with the 33 fields of a real one; bids, asks and their levels are zeros.
std::string Statement(const std::string& key, const std::string& name, const std::string& open,
                      const std::string& previousClose, const std::string& price, const std::string& high,
                      const std::string& low, const std::string& volume = "0",
                      const std::string& amount = "0", const std::string& time = "15:00:03") {
    std::string value = name + "," + open + "," + previousClose + "," + price + "," + high + "," + low +
                        ",0,0," + volume + "," + amount;
    for (int i = 0; i < 20; ++i)
        value += ",0";
    value += ",2024-05-10," + time + ",00";
    return "var hq_str_" + key + "=\"" + value + "\";\n";
}

TEST(SinaParser, FirstRunListAndOneStock) {
    QuoteBook book = BookOf({Entry("000001", 1), Entry("399001", 2), Entry("600000", 1, 1000, 7.0f)});
    std::string reply = Statement("sh000001", "上证指数", "3070.000", "3075.456", "3080.457", "3090.000",
                                  "3060.000", "345678901", "456789012345.678", "15:00:01") +
                        Statement("sz399001", "深证成指", "9400.000", "9412.337", "9400.000", "9420.000",
                                  "9390.000", "843764023", "777000000000", "15:00:02") +
                        Statement("sh600000", "浦发银行", "7.170", "7.160", "7.220", "7.250", "7.140",
                                  "23456789", "169234567.000");
    ParseSinaReply(book, Utf8ToGbk(reply));

    ASSERT_EQ(book.quoteList.size(), 3u);
    const QuoteRecord& index = book.quoteList[0];
    EXPECT_EQ(index.code, "000001");
    EXPECT_EQ(index.market, 1);
    EXPECT_EQ(index.name, "上证指数");
    EXPECT_EQ(index.price, "3080.457"); // as sent
    EXPECT_EQ(index.change, "+5.001");  // three decimals for the two indices
    EXPECT_EQ(index.changeRate, "+0.16%");
    EXPECT_EQ(index.amplitude, "0.98%");
    EXPECT_EQ(index.volume, "345678901"); // an index's volume comes in lots already
    EXPECT_EQ(index.amount, "45678901.23");
    EXPECT_EQ(index.dateTime, "2024-05-10 15:00:01");
    EXPECT_EQ(book.quoteList[1].code, "399001");
    EXPECT_EQ(book.quoteList[1].market, 2);
    EXPECT_EQ(book.quoteList[1].change, "-12.337");
    EXPECT_EQ(book.quoteList[1].changeRate, "-0.13%");

    const QuoteRecord& stock = book.quoteList[2];
    EXPECT_EQ(stock.code, "600000");
    EXPECT_EQ(stock.market, 1);
    EXPECT_EQ(stock.change, "+0.06"); // two decimals for every other code
    EXPECT_EQ(stock.changeRate, "+0.84%");
    EXPECT_EQ(stock.open, "7.170");
    EXPECT_EQ(stock.previousClose, "7.160");
    EXPECT_EQ(stock.high, "7.250");
    EXPECT_EQ(stock.low, "7.140");
    EXPECT_EQ(stock.volume, "234568");
    EXPECT_EQ(stock.amount, "16923.46");
    EXPECT_TRUE(stock.spare.empty());
    EXPECT_EQ(book.updateTime, "2024-05-10 15:00:03"); // of the last record

    // The derived values copied every quote into its entry.
    EXPECT_EQ(book.watchList[1].quote.name, "深证成指");
    EXPECT_EQ(book.watchList[2].quote.plAmount, "220.00");
    EXPECT_EQ(book.watchList[2].quote.plRate, "3.14%");
    EXPECT_EQ(book.totalPlAmount, "220.00");
}

TEST(SinaParser, PlusSignFromOneThousandthUp) {
    QuoteBook book = BookOf({Entry("000001", 1), Entry("600001", 1), Entry("600002", 1), Entry("600003", 1)});
    ParseSinaReply(book, Utf8ToGbk(Statement("sh000001", "上证指数", "1", "3000", "3000.001", "1", "1") +
                                   Statement("sh600001", "平", "1", "10.00", "10.00", "1", "1") +
                                   Statement("sh600002", "跌", "1", "10.00", "9.95", "1", "1") +
                                   Statement("sh600003", "微", "1", "10.00", "10.0004", "1", "1")));
    ASSERT_EQ(book.quoteList.size(), 4u);
    EXPECT_EQ(book.quoteList[0].change, "+0.001");
    EXPECT_EQ(book.quoteList[0].changeRate, "+0.00%");
    EXPECT_EQ(book.quoteList[1].change, "0.00");
    EXPECT_EQ(book.quoteList[1].changeRate, "0.00%");
    EXPECT_EQ(book.quoteList[2].change, "-0.05");
    EXPECT_EQ(book.quoteList[2].changeRate, "-0.50%");
    EXPECT_EQ(book.quoteList[3].change, "0.00"); // below 0.001: no sign
    EXPECT_EQ(book.quoteList[3].changeRate, "0.00%");
}

TEST(SinaParser, UntradedStockHasNotMovedAndZeroCloseGivesDash) {
    QuoteBook book = BookOf({Entry("600000", 1, 100, 10.0f), Entry("600001", 1, 100, 5.0f)});
    ParseSinaReply(book, Utf8ToGbk(Statement("sh600000", "停牌", "0.00", "12.00", "0.00", "0.00", "0.00") +
                                   Statement("sh600001", "新股", "5.5", "0", "6.00", "6.60", "5.00")));
    ASSERT_EQ(book.quoteList.size(), 2u);
    const QuoteRecord& suspended = book.watchList[0].quote;
    EXPECT_EQ(suspended.price, "0.00"); // the price text stays as sent
    EXPECT_EQ(suspended.change, "0.00");
    EXPECT_EQ(suspended.changeRate, "0.00%");
    EXPECT_EQ(suspended.amplitude, "-");
    EXPECT_EQ(suspended.plAmount, "200.00"); // valued at the previous close, not a total loss
    EXPECT_EQ(suspended.plRate, "20.00%");

    const QuoteRecord& listed = book.watchList[1].quote;
    EXPECT_EQ(listed.change, "+6.00");
    EXPECT_EQ(listed.changeRate, "-");
    EXPECT_EQ(listed.amplitude, "-");
    EXPECT_EQ(listed.plAmount, "100.00");
    EXPECT_EQ(book.totalPlAmount, "300.00");
    EXPECT_EQ(book.totalPlRate, "20.00%");
}

TEST(SinaParser, EmptyShortAndMissingStatements) {
    QuoteBook book = BookOf({Entry("000001", 2), Entry("600000", 1), Entry("600004", 1)});
    book.watchList[0].quote.price = "old";
    book.watchList[0].quote.market = 2;
    std::string reply = "var hq_str_sz000001=\"\";\n"
                        "var hq_str_sh600000=\"浦发银行,7.170,7.160,7.220\";\n" +
                        Statement("sh600004", "白云机场", "1", "10", "11", "12", "9");
    ParseSinaReply(book, Utf8ToGbk(reply));
    ASSERT_EQ(book.quoteList.size(), 2u); // the empty statement gives no record
    EXPECT_TRUE(book.watchList[0].quote.price.empty());
    EXPECT_EQ(book.watchList[0].quote.market, 2);
    const QuoteRecord& shortOne = book.quoteList[0];
    EXPECT_EQ(shortOne.price, "7.220");
    EXPECT_EQ(shortOne.high, "");
    EXPECT_EQ(shortOne.volume, "0");
    EXPECT_EQ(shortOne.dateTime, " ");
    EXPECT_EQ(book.quoteList[1].amplitude, "30.00%");

    // No statement at all: every entry is emptied, the totals show no holding.
    ParseSinaReply(book, "<html>busy</html>");
    EXPECT_TRUE(book.quoteList.empty());
    EXPECT_TRUE(book.watchList[2].quote.price.empty());
    EXPECT_EQ(book.totalPlAmount, "0.00");
    EXPECT_EQ(book.totalPlRate, "0.00%");
    EXPECT_EQ(book.updateTime, "2024-05-10 15:00:03"); // untouched without records
}

TEST(SinaParser, DamagedStatementsCostNoOtherStockAndLendNoneTheirValues) {
    // A statement without its =" must not take its neighbour's value.
    QuoteBook book = BookOf({Entry("600000", 1), Entry("000001", 2), Entry("000002", 2), Entry("600519", 1)});
    ParseSinaReply(book, Utf8ToGbk("var hq_str_sh600000\n" + Statement("sz000001", "平安银行", "12.30",
                                                                       "12.20", "12.34", "12.40", "12.10")));
    ASSERT_EQ(book.quoteList.size(), 1u);
    EXPECT_EQ(book.quoteList[0].code, "000001");
    EXPECT_TRUE(book.watchList[0].quote.price.empty());
    EXPECT_EQ(book.watchList[1].quote.price, "12.34");

    // One whose closing quote is lost, or that is cut off, gives no record either.
    std::string unclosed = Statement("sh600000", "浦发银行", "7.17", "7.16", "7.22", "7.25", "7.14");
    unclosed.erase(unclosed.size() - 3, 2);
    std::string second = Statement("sz000002", "万  科Ａ", "7.3", "7.35", "7.30", "7.4", "7.2");
    std::string truncated = Statement("sh600519", "贵州茅台", "1700", "1701", "1710", "1720", "1690");
    truncated.resize(truncated.size() / 2);
    ParseSinaReply(book, Utf8ToGbk(unclosed + second + truncated));
    ASSERT_EQ(book.quoteList.size(), 1u);
    EXPECT_EQ(book.quoteList[0].code, "000002");
    EXPECT_EQ(book.quoteList[0].name, "万  科Ａ");
    EXPECT_EQ(book.quoteList[0].change, "-0.05");

    // NUL bytes inside a value: the statement is damaged, its numbers cannot be trusted.
    std::string laced = Statement("sh600000", "浦发银行", "7.17", "7.16", "7.22", "7.25", "7.14");
    laced[laced.find("7.22")] = '\0';
    ParseSinaReply(book, Utf8ToGbk(laced + second));
    ASSERT_EQ(book.quoteList.size(), 1u);
    EXPECT_EQ(book.quoteList[0].code, "000002");
}

TEST(SinaParser, ShanghaiIndexVolumeInLotsAsSentEveryOtherVolumeInShares) {
    QuoteBook book = BookOf({Entry("399006", 2), Entry("000300", 1), Entry("000001", 2), Entry("600000", 1)});
    ParseSinaReply(book, Utf8ToGbk(Statement("sz399006", "创业板指", "1", "1", "1", "1", "1", "12345678") +
                                   Statement("sh000300", "沪深300", "1", "1", "1", "1", "1", "7654321") +
                                   Statement("sz000001", "平安银行", "1", "1", "1", "1", "1", "12345678") +
                                   Statement("sh600000", "浦发银行", "1", "1", "1", "1", "1", "7654321")));
    ASSERT_EQ(book.quoteList.size(), 4u);
    EXPECT_EQ(book.quoteList[0].volume, "123457");  // a Shenzhen index comes in shares
    EXPECT_EQ(book.quoteList[1].volume, "7654321"); // a Shanghai index in lots already
    EXPECT_EQ(book.quoteList[2].volume, "123457");
    EXPECT_EQ(book.quoteList[3].volume, "76543");
}

// Real Sina replies, recorded by other projects on the dates named. The amount over the
// volume is a price per share for every line once the volume is in lots: yuan per share
// between 1 and 500, where a volume 100 times too large or too small would give 0.01-5 or
// 100-50 000.
TEST(SinaParser, RealRepliesGiveVolumesInLots) {
    const std::string reply =
        // 2022-04-07
        "var hq_str_sh000001=\"上证指数,3267.8103,3283.4261,3236.6951,3290.2561,3236.4791,0,0,402626660,"
        "398081845473,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,2022-04-07,15:01:09,00,\";\n"
        "var "
        "hq_str_sz399001=\"深证成指,12101.371,12172.911,11972.023,12205.097,11971.334,0.000,0.000,"
        "47857870369,"
        "524892592190.995,0,0.000,0,0.000,0,0.000,0,0.000,0,0.000,0,0.000,0,0.000,0,0.000,0,0.000,0,0.000,"
        "2022-04-07,15:00:03,00\";\n"
        // 2026-07-21
        "var hq_str_sz399006=\"创业板指,3469.223,3443.102,3685.969,3687.147,3373.040,0.000,0.000,25892240565,"
        "741575473541.900,0,0.000,0,0.000,0,0.000,0,0.000,0,0.000,0,0.000,0,0.000,0,0.000,0,0.000,0,0.000,"
        "2026-07-21,15:00:03,00\";\n"
        "var hq_str_sh000688=\"科创50,1747.4897,1718.6895,1903.1613,1904.8579,1663.8498,0,0,19512745,"
        "213055050259,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,2026-07-21,15:35:40,00,\";\n"
        // 2020-07-31, an ETF: three decimals that count
        "var "
        "hq_str_sh510500=\"500ETF,7.147,7.149,7.224,7.280,7.085,7.224,7.225,272478144,1964297124.000,6300,"
        "7.224,32900,7.223,37000,7.222,28600,7.221,14300,7.220,389300,7.225,88400,7.226,32300,7.227,572800,7."
        "228,"
        "19000,7.229,2020-07-31,15:00:00,00,\";\n"
        // 2021-05-31
        "var "
        "hq_str_sz300502=\"新易盛,48.000,47.500,48.210,48.400,47.530,48.210,48.220,4009118,192785421.290,"
        "3312,"
        "48.210,500,48.140,7500,48.130,2000,48.100,400,48.090,23800,48.220,40900,48.250,200,48.260,3900,48."
        "280,"
        "400,48.290,2021-05-31,11:30:03,00\";\n";
    QuoteBook book = BookOf({Entry("000001", 1), Entry("399001", 2), Entry("399006", 2), Entry("000688", 1),
                             Entry("510500", 1), Entry("300502", 2)});
    ParseSinaReply(book, Utf8ToGbk(reply));
    ASSERT_EQ(book.quoteList.size(), 6u);
    EXPECT_EQ(book.watchList[0].quote.volume, "402626660");
    EXPECT_EQ(book.watchList[1].quote.volume, "478578704");
    EXPECT_EQ(book.watchList[1].quote.amount, "52489259.22");
    EXPECT_EQ(book.watchList[4].quote.price, "7.224"); // as sent
    EXPECT_EQ(book.watchList[4].quote.change, "+0.08");
    for (const StockEntry& entry : book.watchList) {
        const double yuanPerShare = AtoF(entry.quote.amount) * 10000 / (AtoF(entry.quote.volume) * 100);
        EXPECT_GT(yuanPerShare, 1.0) << entry.code;
        EXPECT_LT(yuanPerShare, 500.0) << entry.code;
    }
}

// Real lines of other markets that Sina sends in the same form (recorded 2026-06-10: the
// Nasdaq as gb_ixic, the Nikkei as b_NKY) beside real A-share lines (2022-04-07, 2021-05-31):
// only the requested codes give records, and the update time is theirs.
TEST(SinaParser, StatementsOfCodesNotAskedForGiveNoRecord) {
    const std::string reply =
        "var hq_str_sh000001=\"上证指数,3267.8103,3283.4261,3236.6951,3290.2561,3236.4791,0,0,402626660,"
        "398081845473,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,2022-04-07,15:01:09,00,\";\n"
        "var hq_str_gb_ixic=\"纳斯达克,25678.8219,-0.97,2026-06-10 05:30:00,-250.8407,26110.3128,26259.9222,"
        "24980.3763,27190.2070,19334.9824,10787986837,8531372331,0,0.00,--,0.00,0.00,0.00,0.00,0,0,0.0000,0."
        "00,"
        "0.00,,Jun 09 05:16PM EDT,25929.6626,0,1,2026,0.0000,0.0000,0.0000,0.0000,0.0000,0.0000\";\n"
        "var hq_str_b_NKY=\"日经225指数,63878.2500,-1538.38,-2.35,2:12 AM,14:12:00,2026-06-10,12:59:25,"
        "64952.3800,65416.6300,65098.8600,63777.7700,0\";\n"
        "var "
        "hq_str_sz300502=\"新易盛,48.000,47.500,48.210,48.400,47.530,48.210,48.220,4009118,192785421.290,"
        "3312,"
        "48.210,500,48.140,7500,48.130,2000,48.100,400,48.090,23800,48.220,40900,48.250,200,48.260,3900,48."
        "280,"
        "400,48.290,2021-05-31,11:30:03,00\";\n";
    QuoteBook book = BookOf({Entry("000001", 1)});
    ParseSinaReply(book, Utf8ToGbk(reply));
    ASSERT_EQ(book.quoteList.size(), 1u); // sz300502 was not asked for either
    EXPECT_EQ(book.quoteList[0].code, "000001");
    EXPECT_EQ(book.updateTime, "2022-04-07 15:01:09");
}

TEST(SinaParser, NoFigureReadsMinusZero) {
    QuoteBook book = BookOf({Entry("600000", 1, 100, 10.10f), Entry("000001", 1)});
    ParseSinaReply(book,
                   Utf8ToGbk(Statement("sh600000", "浦发银行", "10.1", "10.104", "10.10", "10.2", "10") +
                             Statement("sh000001", "上证指数", "1", "3000.0004", "3000", "1", "1")));
    const QuoteRecord& stock = book.watchList[0].quote;
    EXPECT_EQ(stock.change, "0.00");
    EXPECT_EQ(stock.changeRate, "-0.04%");
    EXPECT_EQ(stock.plAmount, "0.00");
    EXPECT_EQ(stock.plRate, "0.00%");
    EXPECT_EQ(book.watchList[1].quote.change, "0.000");
    EXPECT_EQ(book.watchList[1].quote.changeRate, "0.00%");
    EXPECT_EQ(book.totalPlAmount, "0.00");
    EXPECT_EQ(book.totalPlRate, "0.00%");
}

TEST(SinaParser, NoMoreRecordsThanAnyRequestAsksFor) {
    std::string reply;
    WatchList list;
    for (int i = 0; i < 5000; ++i) {
        reply += "var hq_str_sh" + std::to_string(600000 + i) + "=\"a,1,1,1,1,1\";\n";
        list.push_back(Entry(std::to_string(600000 + i), 1));
    }
    QuoteBook book;
    book.setWatchList(list);
    ParseSinaReply(book, reply);
    EXPECT_EQ(book.quoteList.size(), kMaxQuoteRecords);
    EXPECT_EQ(book.watchList[4095].quote.name, "a");
    EXPECT_TRUE(book.watchList[4096].quote.name.empty());
}

TEST(SinaParser, RecordedTwentyStockReply) {
    std::string reply = test::QuoteData("sina_20.txt");
    ASSERT_FALSE(reply.empty());
    QuoteBook book = BookOf({Entry("600519", 1, 100, 1650.0f), Entry("300750", 2)});
    for (const char* code : {"000001", "600000", "000002", "601318", "600036", "000858", "000651", "000333",
                             "600028", "601398", "600030", "002594", "002415", "600887", "600900", "600276"})
        book.watchList.push_back(Entry(code, code[0] == '6' ? 1 : 2));
    book.watchList.push_back(Entry("000001", 1));
    book.watchList.push_back(Entry("399001", 2));
    book.ResetAlerts();
    ParseSinaReply(book, reply);
    ASSERT_EQ(book.quoteList.size(), 20u);
    EXPECT_EQ(book.quoteList[0].code, "000001");
    EXPECT_EQ(book.quoteList[3].code, "000001");
    EXPECT_EQ(book.quoteList[3].market, 2);
    EXPECT_EQ(book.quoteList[4].name, "万  科Ａ");
    EXPECT_EQ(book.quoteList[14].code, "300750");
    EXPECT_EQ(book.watchList[1].quote.name, "宁德时代");
    EXPECT_EQ(book.watchList[0].quote.name, "贵州茅台");
    EXPECT_FALSE(book.watchList[0].quote.plAmount.empty());
    EXPECT_EQ(book.updateTime, "2024-05-10 15:00:03");
}

} // namespace
} // namespace marlune
