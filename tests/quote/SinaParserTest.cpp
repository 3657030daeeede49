#include "QuoteTestSupport.h"
#include "quote/QuoteParsers.h"

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
    QuoteBook book;
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
    QuoteBook book = BookOf({Entry("600000", 1), Entry("000001", 2)});
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

TEST(SinaParser, IndexVolumeInLotsAsSentStockVolumeInShares) {
    // The real reply for the Shanghai index: 591 208 273 lots for 682 billion yuan.
    QuoteBook book;
    ParseSinaReply(book,
                   Utf8ToGbk("var hq_str_sh000001=\"上证指数,3227.8362,3186.8099,3223.6379,3239.9408,"
                             "3201.5714,0,0,591208273,682356544756,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,"
                             "0,2024-05-10,15:30:39,00\";\n") +
                       Utf8ToGbk(Statement("sz399006", "创业板指", "1", "1", "1", "1", "1", "12345678") +
                                 Statement("sh000300", "沪深300", "1", "1", "1", "1", "1", "7654321") +
                                 Statement("sz000001", "平安银行", "1", "1", "1", "1", "1", "12345678") +
                                 Statement("sh600000", "浦发银行", "1", "1", "1", "1", "1", "7654321")));
    ASSERT_EQ(book.quoteList.size(), 5u);
    EXPECT_EQ(book.quoteList[0].volume, "591208273");
    EXPECT_EQ(book.quoteList[0].amount, "68235654.48");
    EXPECT_EQ(book.quoteList[1].volume, "12345678");
    EXPECT_EQ(book.quoteList[2].volume, "7654321");
    EXPECT_EQ(book.quoteList[3].volume, "123457"); // Shenzhen 000xxx are stocks
    EXPECT_EQ(book.quoteList[4].volume, "76543");
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
    for (int i = 0; i < 5000; ++i)
        reply += "var hq_str_sh" + std::to_string(600000 + i) + "=\"a,1,1,1,1,1\";\n";
    QuoteBook book = BookOf({Entry("604095", 1), Entry("604096", 1)});
    ParseSinaReply(book, reply);
    EXPECT_EQ(book.quoteList.size(), kMaxQuoteRecords);
    EXPECT_EQ(book.watchList[0].quote.name, "a");
    EXPECT_TRUE(book.watchList[1].quote.name.empty());
}

TEST(SinaParser, RecordedTwentyStockReply) {
    std::string reply = test::QuoteData("sina_20.txt");
    ASSERT_FALSE(reply.empty());
    QuoteBook book = BookOf({Entry("600519", 1, 100, 1650.0f), Entry("300750", 2)});
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
