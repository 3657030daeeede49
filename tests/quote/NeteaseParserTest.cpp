#include "QuoteTestSupport.h"
#include "quote/QuoteParsers.h"

#include <gtest/gtest.h>

namespace marlune {
namespace {

using test::BookOf;
using test::Entry;

// One value with the 33 fields the parser numbers (0 to 32).
std::string Value(const std::string& key, const std::string& name, const std::string& previousClose,
                  const std::string& change, const std::string& high, const std::string& low,
                  const std::string& price) {
    std::string value = key + ";" + name + ";" + previousClose + ";10.01;123456789;4567800;0;" + change +
                        ";" + high + ";" + low + ";" + price;
    for (int i = 11; i < 32; ++i)
        value += ";0";
    value += ";2024/05/10 15:00:03";
    return "_ntes_quote['" + key + "']='" + value + "';\n";
}

TEST(NeteaseParser, RecordedReply) {
    QuoteBook book = BookOf({Entry("000001", 1), Entry("399001", 2), Entry("000001", 2)});
    book.updateTime = "before";
    ParseNeteaseReply(book, test::QuoteData("netease_4.txt"));
    ASSERT_EQ(book.quoteList.size(), 4u);
    EXPECT_EQ(book.watchList[0].quote.name, "上证指数");
    EXPECT_EQ(book.watchList[1].quote.name, "深证成指");
    EXPECT_EQ(book.watchList[2].quote.name, "平安银行");
    EXPECT_EQ(book.watchList[2].quote.dateTime, "2024/05/10 15:00:03");
    EXPECT_EQ(book.updateTime, "before"); // NetEase leaves the update time alone
}

TEST(NeteaseParser, FieldsAndSigns) {
    QuoteBook book;
    ParseNeteaseReply(book, Utf8ToGbk(Value("0600000", "浦发银行", "7.16", "-0.05", "7.25", "7.14", "7.11") +
                                      Value("1000002", "万科", "7.35", "0.12", "7.6", "7.3", "7.47") +
                                      Value("0600001", "邯郸", "10", "+0.12", "10.2", "9.9", "10.12") +
                                      Value("0600002", "低价", "0.05", "0.01", "0.06", "0.04", "0.06") +
                                      Value("0600003", "新股", "0", "5.00", "6", "4", "5.00")));
    ASSERT_EQ(book.quoteList.size(), 5u);
    const QuoteRecord& falling = book.quoteList[0];
    EXPECT_EQ(falling.code, "600000");
    EXPECT_EQ(falling.market, 1);
    EXPECT_EQ(falling.previousClose, "7.16");
    EXPECT_EQ(falling.open, "10.01");
    EXPECT_EQ(falling.amount, "12345.68");
    EXPECT_EQ(falling.volume, "45678");
    EXPECT_EQ(falling.change, "-0.05"); // as sent
    EXPECT_EQ(falling.changeRate, "-0.70%");
    EXPECT_EQ(falling.high, "7.25");
    EXPECT_EQ(falling.low, "7.14");
    EXPECT_EQ(falling.price, "7.11");
    EXPECT_EQ(falling.amplitude, "1.54%");
    EXPECT_EQ(falling.dateTime, "2024/05/10 15:00:03");

    EXPECT_EQ(book.quoteList[1].market, 2);
    EXPECT_EQ(book.quoteList[1].change, "+0.12");
    EXPECT_EQ(book.quoteList[1].changeRate, "+1.63%");
    EXPECT_EQ(book.quoteList[2].change, "+0.12"); // a sign already sent is not doubled
    EXPECT_EQ(book.quoteList[3].amplitude, "-");  // previous close of 0.05 or less
    EXPECT_EQ(book.quoteList[3].changeRate, "+20.00%");
    EXPECT_EQ(book.quoteList[4].changeRate, "-"); // previous close 0
    EXPECT_EQ(book.quoteList[4].amplitude, "-");
}

TEST(NeteaseParser, EmptyValuesAndUnknownMarkets) {
    QuoteBook book;
    ParseNeteaseReply(book, "x='';y='2600000;a;1;1;1;1;0;0;1;1;1';" +
                                Utf8ToGbk(Value("1399001", "深证成指", "9000", "1", "1", "1", "1")) +
                                "z='9600001;b';w='';");
    ASSERT_EQ(book.quoteList.size(), 5u);
    EXPECT_EQ(book.quoteList[0].code, "");
    EXPECT_EQ(book.quoteList[0].market, 0);
    EXPECT_EQ(book.quoteList[0].changeRate, "-");
    EXPECT_EQ(book.quoteList[1].code, "600000"); // unknown digit: market stays
    EXPECT_EQ(book.quoteList[1].market, 0);
    EXPECT_EQ(book.quoteList[3].code, "600001");
    EXPECT_EQ(book.quoteList[3].market, 2); // from the record before
    EXPECT_EQ(book.quoteList[4].code, "");

    ParseNeteaseReply(book, "no values here ='unclosed");
    EXPECT_TRUE(book.quoteList.empty());

    std::string flood;
    for (std::size_t i = 0; i < 2 * kMaxQuoteRecords; ++i)
        flood += "='';";
    ParseNeteaseReply(book, flood);
    EXPECT_EQ(book.quoteList.size(), kMaxQuoteRecords);
}

TEST(NeteaseParser, SeparatorsNulBytesAndMinusZero) {
    QuoteBook book = BookOf({Entry("600519", 1, 1, 1700.0f), Entry("600000", 1)});
    std::string grouped =
        Value("0600519", "贵州茅台", "1,790.00", "-0.00", "1,820.00", "1,784.20", "1,812.00");
    grouped.replace(grouped.find("123456789;4567800"), 17, "1,234,567,890;4,567,800");
    std::string laced = Value("0600000", "浦发银行", "7.16", "0.06", "7.25", "7.14", "7.22");
    laced[laced.find("7.22")] = '\0';
    ParseNeteaseReply(book, Utf8ToGbk(grouped + laced));
    ASSERT_EQ(book.quoteList.size(), 1u); // the NUL-laced value is left out
    const QuoteRecord& quote = book.watchList[0].quote;
    EXPECT_EQ(quote.volume, "45678");
    EXPECT_EQ(quote.amount, "123456.79");
    EXPECT_EQ(quote.amplitude, "2.00%");
    EXPECT_EQ(quote.change, "0.00"); // "-0.00" as sent
    EXPECT_EQ(quote.changeRate, "0.00%");
    EXPECT_EQ(quote.plAmount, "112.00");
    EXPECT_TRUE(book.watchList[1].quote.price.empty());
}

TEST(NeteaseParser, UntradedHoldingIsValuedAtThePreviousClose) {
    QuoteBook book = BookOf({Entry("600000", 1, 200, 7.0f)});
    ParseNeteaseReply(book, Utf8ToGbk(Value("0600000", "浦发银行", "7.16", "-7.16", "0", "0", "0.00")));
    const QuoteRecord& quote = book.watchList[0].quote;
    EXPECT_EQ(quote.price, "0.00");
    EXPECT_EQ(quote.change, "-7.16"); // the service's own change stays as sent
    EXPECT_EQ(quote.plAmount, "32.00");
    EXPECT_EQ(quote.plRate, "2.29%");
}

} // namespace
} // namespace marlune
