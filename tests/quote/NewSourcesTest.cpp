// The Tencent and East Money parsers: the same texts as the Sina parser for the same figures,
// unknown codes and damaged replies.

#include "QuoteTestSupport.h"
#include "quote/EastMoneyQuotes.h"
#include "quote/QuoteDispatch.h"
#include "quote/QuoteParsers.h"
#include "quote/QuoteService.h"
#include "quote/TencentQuotes.h"
#include "text/CNumber.h"
#include "text/Gbk.h"

#include <cmath>
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

namespace marlune {
namespace {

using test::BookOf;
using test::Entry;

const std::string kTencentLine =
    "v_sz000001=\"51~平安银行~000001~11.03~11.00~10.98~239540~129039~110491~11.02~1633~11.01~2505~11.00~"
    "2970~10.99~2389~10.98~2537~11.03~7111~11.04~7801~11.05~9631~11.06~8675~11.07~4258~~20260424102118~0.03~"
    "0.27~11.03~10.92~11.03/239540/262696173~239540~26270~0.12~5.02~~11.03~10.92~1.00~2140.44~2140.47~0.47~"
    "12.10~9.90~1.52~-25442~10.97~5.02~5.02~~~0.46~26269.6173~0.0000~0~ "
    "~GP-A~-3.33~0.18~5.42~7.73~0.72~13.09~"
    "10.29~-0.54~0.82~-0.36~19405600653~19405918198~-51.39~-8.95~19405600653~~~5.73~0.09~~CNY~0~~11.09~-"
    "12871~"
    "\";\n";

// The Sina statement of the same moment: volume in shares, amount in yuan.
std::string SinaLine(const std::string& amountYuan) {
    return "var hq_str_sz000001=\"平安银行,10.98,11.00,11.03,11.03,10.92,11.02,11.03,23954000," + amountYuan +
           ",1633,11.02,0,0,0,0,0,0,0,0,7111,11.03,0,0,0,0,0,0,0,0,2026-04-24,10:21:18,00\";\n";
}

TEST(TencentParser, TheRealReplyGivesTheTextsOfSina) {
    QuoteBook tencent =
        BookOf({Entry("000001", kMarketShenzhen, 100, 10.0f), Entry("600000", kMarketShanghai)});
    QuoteBook sina = tencent;
    ParseTencentReply(tencent, Utf8ToGbk(kTencentLine + "v_pv_none_match=\"1\";\n"));
    ParseSinaReply(sina, Utf8ToGbk(SinaLine("262696173")));

    ASSERT_EQ(tencent.quoteList.size(), 1u); // the unknown code gives no record
    const QuoteRecord& t = tencent.watchList[0].quote;
    const QuoteRecord& s = sina.watchList[0].quote;
    EXPECT_EQ(t.name, "平安银行");
    EXPECT_EQ(t.price, "11.03");
    EXPECT_EQ(t.volume, "239540");
    EXPECT_EQ(t.amount, "26269.62"); // field 57, not the rounded 26270 of field 37
    EXPECT_EQ(t.dateTime, "2026-04-24 10:21:18");
    EXPECT_EQ(t.change, "+0.03");
    EXPECT_EQ(t.changeRate, "+0.27%");
    for (auto field :
         {&QuoteRecord::code, &QuoteRecord::name, &QuoteRecord::price, &QuoteRecord::low, &QuoteRecord::high,
          &QuoteRecord::open, &QuoteRecord::previousClose, &QuoteRecord::volume, &QuoteRecord::amount,
          &QuoteRecord::changeRate, &QuoteRecord::change, &QuoteRecord::amplitude, &QuoteRecord::plRate,
          &QuoteRecord::plAmount, &QuoteRecord::dateTime})
        EXPECT_EQ(t.*field, s.*field);
    EXPECT_TRUE(tencent.watchList[1].quote.code.empty());
    EXPECT_EQ(tencent.updateTime, "2026-04-24 10:21:18");
}

TEST(TencentParser, DamagedStatementsGiveNoRecordAndSpareTheOthers) {
    QuoteBook book = BookOf({Entry("000001", kMarketShenzhen), Entry("600000", kMarketShanghai),
                             Entry("000002", kMarketShenzhen)});
    // A statement cut off before its closing quote, one whose code field is another
    // stock's, one with too few fields, then a good one.
    const std::string reply = "v_sh600000=\"1~浦发银行~600000~10.10~10.00\n" +
                              std::string("v_sz000002=\"51~万科A~000001~8.00~8.10~8.0~1~~~~\";\n") +
                              "v_sz000002=\"51~万科A~000002~8.00\";\n" + kTencentLine;
    ParseTencentReply(book, Utf8ToGbk(reply));
    ASSERT_EQ(book.quoteList.size(), 1u);
    EXPECT_EQ(book.watchList[0].quote.price, "11.03");
    EXPECT_TRUE(book.watchList[1].quote.price.empty());
    EXPECT_TRUE(book.watchList[2].quote.price.empty());

    // The last statement without its closing quote and semicolon gives nothing.
    ParseTencentReply(book, Utf8ToGbk(kTencentLine.substr(0, kTencentLine.size() - 3)));
    EXPECT_TRUE(book.quoteList.empty());
}

// Real Tencent replies, recorded by other projects on the dates named.
TEST(TencentParser, RealRepliesExactAmountShiftedFieldsAndCodesNotAskedFor) {
    // 2021-06-08: field 37 holds 30818 (10,000 yuan, rounded), field 57 30817.6183.
    const std::string stock =
        "v_sz300502=\"51~新易盛~300502~33.05~34.34~34.50~92020~43095~48924~33.05~85~33.04~110~33.03~53~33.02~"
        "11~"
        "33.01~6~33.06~2~33.07~62~33.08~827~33.10~1~33.14~25~~20210608161503~-1.29~-3.76~34.55~32.90~"
        "33.05/92020/308176183~92020~30818~2.81~30.59~~34.55~32.90~4.80~108.34~167.59~4.71~41.21~27.47~0.96~"
        "-652~33.49~37.27~34.08~~~1.29~30817.6183~0.0000~0~ A~GP-A-CYB~-16.19~-0.51~0.59~15.41~12.83~59.63~"
        "24.96~8.01~28.50~14.56~327795898~507086211\";";
    // 2021-07-08, as recorded: two fields short before the time, so that field 30 is the
    // change and field 33 the "price/volume/amount" text.
    const std::string shifted =
        "v_sh000001=\"1~上证指数~000001~3525.50~3553.72~3557.22~350877857~175438929~175438929~0.00~0~0.00~0~"
        "0.00~0~0.00~0~0.00~0~0.00~0~0.00~0~0.00~0~0.00~0~~20210708153055~-28.22~-0.79~3558.68~3521.06~"
        "3525.50/350877857/526858672970~350877857~52685867~0.82~14.22~~3558.68~3521.06~1.06~391991.96~"
        "500621.27~0.00~-1~-1~1.17~0~3539.03~~~~~~52685867.2970~0.0000~0~ ~ZS~1.51~-1.76~~~~3731.69~3174.66~"
        "-1.15~-1.83~2.17~~~-6.48\";";
    QuoteBook book = BookOf({Entry("300502", kMarketShenzhen), Entry("000001", kMarketShanghai)});
    ParseTencentReply(book, Utf8ToGbk(stock + " " + shifted + " " + kTencentLine));
    ASSERT_EQ(book.quoteList.size(), 1u); // the shifted line gives none, sz000001 was not asked for
    const QuoteRecord& q = book.watchList[0].quote;
    EXPECT_EQ(q.amount, "30817.62");
    EXPECT_EQ(q.volume, "92020");
    EXPECT_EQ(q.high, "34.55");
    EXPECT_EQ(q.amplitude, "4.80%");
    EXPECT_TRUE(book.watchList[1].quote.price.empty());
    EXPECT_EQ(book.updateTime, "2021-06-08 16:15:03"); // not the time of the code not asked for
    // Amount over volume: yuan per share, a price, with the volume in hands.
    EXPECT_NEAR(AtoF(q.amount) * 10000 / (AtoF(q.volume) * 100), 33.49, 0.01);
}

TEST(TencentParser, PriceZeroAndIndexRules) {
    QuoteBook book = BookOf({Entry("000001", kMarketShanghai), Entry("600000", kMarketShanghai)});
    std::string fields(40, '~');
    auto statement = [](const std::string& key, const std::string& code, const std::string& price,
                        const std::string& previousClose) {
        std::string value = "1~名~" + code + "~" + price + "~" + previousClose + "~0~0";
        for (int i = 7; i <= 40; ++i)
            value += i == 30 ? "~20260424150003" : i == 33 || i == 34 ? "~" + price : "~0";
        return "v_" + key + "=\"" + value + "\";\n";
    };
    ParseTencentReply(book, Utf8ToGbk(statement("sh000001", "000001", "3001.123", "3000.000") +
                                      statement("sh600000", "600000", "0.00", "10.00")));
    EXPECT_EQ(book.watchList[0].quote.change, "+1.123");
    EXPECT_EQ(book.watchList[1].quote.change, "0.00"); // suspended: the previous close stands in
    EXPECT_EQ(book.watchList[1].quote.changeRate, "0.00%");
    EXPECT_EQ(book.watchList[1].quote.amplitude, "-");
}

const std::string kEastMoneyReply =
    R"({"rc":0,"rt":11,"svr":1,"lt":1,"full":1,"dlmkts":"","data":{"total":3,"diff":[)"
    R"({"f2":"-","f3":"-","f4":"-","f5":"-","f6":"-","f12":"600000","f13":1,"f14":"浦发银行","f15":"-","f16":"-","f17":"-","f18":10.5,"f124":1776997278},)"
    R"({"f2":11.03,"f3":0.27,"f4":0.03,"f5":239540,"f6":262696173.0,"f12":"000001","f13":0,"f14":"平安银行","f15":11.03,"f16":10.92,"f17":10.98,"f18":11.0,"f124":1776997278},)"
    R"({"f2":3001.12,"f3":0.04,"f4":1.12,"f5":1,"f6":2,"f12":"000001","f13":1,"f14":"上证指数","f15":3002,"f16":2999,"f17":3000,"f18":3000,"f124":1776997278}]}})";

TEST(EastMoneyParser, RecordsGoToTheirRowsByMarketAndCodeWithSinaTexts) {
    QuoteBook em = BookOf({Entry("000001", kMarketShenzhen, 100, 10.0f), Entry("000001", kMarketShanghai),
                           Entry("600000", kMarketShanghai), Entry("399001", kMarketShenzhen)});
    QuoteBook sina = em;
    ParseEastMoneyReply(em, kEastMoneyReply);
    ParseSinaReply(sina, Utf8ToGbk(SinaLine("262696173")));

    ASSERT_EQ(em.quoteList.size(), 3u);
    const QuoteRecord& e = em.watchList[0].quote;
    const QuoteRecord& s = sina.watchList[0].quote;
    for (auto field :
         {&QuoteRecord::code, &QuoteRecord::name, &QuoteRecord::price, &QuoteRecord::low, &QuoteRecord::high,
          &QuoteRecord::open, &QuoteRecord::previousClose, &QuoteRecord::volume, &QuoteRecord::amount,
          &QuoteRecord::changeRate, &QuoteRecord::change, &QuoteRecord::amplitude, &QuoteRecord::plRate,
          &QuoteRecord::plAmount, &QuoteRecord::dateTime})
        EXPECT_EQ(e.*field, s.*field);
    EXPECT_EQ(e.amount, "26269.62");
    EXPECT_EQ(e.dateTime, "2026-04-24 10:21:18");

    // The index on the Shanghai row, with the two decimals sent; not the Shenzhen stock of that
    // code.
    EXPECT_EQ(em.watchList[1].quote.name, "上证指数");
    EXPECT_EQ(em.watchList[1].quote.price, "3001.12");
    EXPECT_EQ(em.watchList[1].quote.change, "+1.120");
    // "-": no trade, the previous close stands in.
    EXPECT_EQ(em.watchList[2].quote.price, "0.00");
    EXPECT_EQ(em.watchList[2].quote.change, "0.00");
    EXPECT_EQ(em.watchList[2].quote.amplitude, "-");
    // Missing from diff: the row stays empty.
    EXPECT_TRUE(em.watchList[3].quote.code.empty());
}

TEST(EastMoneyParser, BrokenRepliesAndElements) {
    const QuoteBook start = BookOf({Entry("000001", kMarketShenzhen), Entry("600000", kMarketShanghai)});
    for (const std::string& reply :
         {kEastMoneyReply.substr(0, kEastMoneyReply.size() / 2), std::string(R"({"data":{"diff":{"0":{}}}})"),
          std::string(R"({"rc":0,"data":null})"), std::string("[[[[[[[[[[[[[[[[[[[[[[[[[[[[[["),
          std::string("not json")}) {
        QuoteBook book = start;
        ParseEastMoneyReply(book, reply);
        EXPECT_TRUE(book.quoteList.empty()) << reply;
    }
    // Elements with a field of the wrong type, a huge number, a market of 2 or a missing
    // field give no record; the good one still does.
    QuoteBook book = start;
    ParseEastMoneyReply(
        book,
        R"({"data":{"diff":[)"
        R"({"f2":"x","f5":1,"f6":1,"f12":"000001","f13":0,"f14":"a","f15":1,"f16":1,"f17":1,"f18":1,"f124":1},)"
        R"({"f2":1e300,"f5":1,"f6":1,"f12":"000001","f13":0,"f14":"a","f15":1,"f16":1,"f17":1,"f18":1,"f124":1},)"
        R"({"f2":1,"f5":1,"f6":1,"f12":"000001","f13":2,"f14":"a","f15":1,"f16":1,"f17":1,"f18":1,"f124":1},)"
        R"({"f2":1,"f5":1,"f6":1,"f12":"000001","f13":0,"f14":"a","f15":1,"f16":1,"f17":1,"f124":1},)"
        R"({"f2":10.2,"f5":1,"f6":1,"f12":"600000","f13":1,"f14":"浦发银行","f15":10.3,"f16":10,"f17":10,"f18":10,"f124":1}]}})");
    ASSERT_EQ(book.quoteList.size(), 1u);
    EXPECT_EQ(book.watchList[1].quote.price, "10.20");
    EXPECT_TRUE(book.watchList[0].quote.code.empty());

    // As a JSON document reads: of a key given twice the last counts, at every level; a field
    // holding an object or array is malformed; elements that are no objects give nothing.
    const std::string good =
        R"({"f2":10.2,"f5":1,"f6":1,"f12":"600000","f13":1,"f14":"浦发银行","f15":10.3,"f16":10,"f17":10,"f18":10,"f124":1})";
    const std::string other =
        R"({"f2":9,"f5":1,"f6":1,"f12":"000001","f13":0,"f14":"平安银行","f15":9,"f16":9,"f17":9,"f18":9,"f124":1})";
    auto records = [&start](const std::string& reply) {
        QuoteBook parsed = start;
        ParseEastMoneyReply(parsed, reply);
        std::string codes;
        for (const QuoteRecord& record : parsed.quoteList)
            codes += record.code + ";";
        return codes;
    };
    EXPECT_EQ(records(R"({"data":{"diff":[)" + good + R"(]},"data":{"diff":[)" + other + "]}}"), "000001;");
    EXPECT_EQ(records(R"({"data":{"diff":[)" + good + R"(]},"data":null})"), "");
    EXPECT_EQ(records(R"({"data":{"diff":[)" + good + R"(],"diff":{}}})"), "");
    EXPECT_EQ(records(R"({"data":{"diff":[[)" + good + "]," + other + R"(,1,"x",null]}})"), "000001;");
    EXPECT_EQ(
        records(R"({"data":{"diff":[)" + good.substr(0, good.size() - 1) + R"(,"f12":"000001","f13":0}]}})"),
        "000001;");
    EXPECT_EQ(records(R"({"data":{"diff":[)" + good.substr(0, good.size() - 1) + R"(,"f2":{"v":1}}]}})"), "");
    EXPECT_EQ(records(R"({"x":{"data":{"diff":[)" + good + R"(]}},"data":{"diff":[)" + other + "]}}"),
              "000001;");
    EXPECT_EQ(records(R"({"data":{"diff":[)" + good + "]}} trailing"), "");
}

// A real East Money reply (fltt=2, the fields the ticker asks for), recorded 2026-09-30.
TEST(EastMoneyParser, RealReplyKeepsTheDecimalsSent) {
    const std::string reply =
        R"({"rc":0,"rt":11,"svr":177622159,"lt":2,"full":1,"dlmkts":"8,10,128","dsc":"0","data":{"total":5,"diff":[)"
        R"({"f2":9.48,"f5":1474848,"f6":1386209937.0,"f12":"600000","f13":1,"f14":"浦发银行","f15":9.49,"f16":9.16,"f17":9.22,"f18":9.18,"f124":1790755897},)"
        R"({"f2":11.57,"f5":1045357,"f6":1205814857.64,"f12":"000001","f13":0,"f14":"平安银行","f15":11.65,"f16":11.33,"f17":11.36,"f18":11.35,"f124":1790753694},)"
        R"({"f2":3842.19,"f5":414560247,"f6":679398992444.8,"f12":"000001","f13":1,"f14":"上证指数","f15":3851.22,"f16":3833.09,"f17":3839.25,"f18":3830.45,"f124":1790755920},)"
        R"({"f2":291.11,"f5":296995,"f6":8613929784.25,"f12":"300750","f13":0,"f14":"宁德时代","f15":292.7,"f16":285.8,"f17":290.0,"f18":286.8,"f124":1790753658},)"
        R"({"f2":8.28,"f5":2931711,"f6":2417869721.0,"f12":"601398","f13":1,"f14":"工商银行","f15":8.3,"f16":8.15,"f17":8.17,"f18":8.16,"f124":1790755918}]}})";
    QuoteBook book = BookOf({Entry("000001", kMarketShanghai), Entry("300750", kMarketShenzhen),
                             Entry("600000", kMarketShanghai), Entry("000001", kMarketShenzhen)});
    ParseEastMoneyReply(book, reply);
    ASSERT_EQ(book.quoteList.size(), 4u); // 601398 was not asked for
    const QuoteRecord& index = book.watchList[0].quote;
    EXPECT_EQ(index.price, "3842.19");
    EXPECT_EQ(index.previousClose, "3830.45");
    EXPECT_EQ(index.change, "+11.740");
    EXPECT_EQ(index.volume, "414560247");
    EXPECT_EQ(book.watchList[1].quote.high, "292.70");
    EXPECT_EQ(book.watchList[1].quote.open, "290.00");
    EXPECT_EQ(book.updateTime, "2026-09-30 15:34:18"); // of the last record asked for (300750)
    for (const StockEntry& entry : book.watchList) {
        const double yuanPerShare = AtoF(entry.quote.amount) * 10000 / (AtoF(entry.quote.volume) * 100);
        EXPECT_GT(yuanPerShare, 1.0) << entry.code;
        EXPECT_LT(yuanPerShare, 500.0) << entry.code;
    }

    // A fund's third decimal stays (Shanghai 5xxxxx, Shenzhen 15xxxx).
    QuoteBook funds = BookOf({Entry("510500", kMarketShanghai), Entry("159915", kMarketShenzhen)});
    ParseEastMoneyReply(
        funds,
        R"({"data":{"diff":[)"
        R"({"f2":7.224,"f5":2724781,"f6":1964297124.0,"f12":"510500","f13":1,"f14":"500ETF","f15":7.28,"f16":7.085,"f17":7.147,"f18":7.149,"f124":1790755897},)"
        R"({"f2":2.1,"f5":1,"f6":1.0,"f12":"159915","f13":0,"f14":"创业板ETF","f15":2.1,"f16":2.1,"f17":2.1,"f18":2.1,"f124":1790755897}]}})");
    EXPECT_EQ(funds.watchList[0].quote.price, "7.224");
    EXPECT_EQ(funds.watchList[0].quote.low, "7.085");
    EXPECT_EQ(funds.watchList[1].quote.price, "2.100");
}

// Numbers no real quote has: an exponent, inf or nan, a price of 10^7 or more, a volume or
// amount of 10^15 or more, a field longer than 32 characters. Such a statement gives no
// record, and a reply of nothing else is a failed refresh that keeps the quotes shown.
TEST(QuoteNumbers, AbsurdFiguresGiveNoRecordAndFailTheRefresh) {
    auto withPrice = [](const std::string& price) {
        std::string line = kTencentLine;
        line.replace(line.find("~11.03~"), 7, "~" + price + "~");
        return line;
    };
    const std::string huge(100000, '9');
    for (const std::string& price :
         {std::string("1e308"), std::string("1E3"), huge, std::string("10000000"), std::string("inf"),
          std::string("nan"), std::string("-nan"), std::string("0x10"), std::string("1,2")}) {
        QuoteBook book = BookOf({Entry("000001", kMarketShenzhen, 100, 10.0f)});
        ParseTencentReply(book, Utf8ToGbk(withPrice(price)));
        EXPECT_TRUE(book.quoteList.empty()) << price;
    }
    QuoteBook shown = BookOf({Entry("000001", kMarketShenzhen, 100, 10.0f)});
    ASSERT_TRUE(DispatchQuoteReply(shown, kSourceTencent, Utf8ToGbk(kTencentLine)).applied);
    const QuoteReplyResult absurd = DispatchQuoteReply(shown, kSourceTencent, Utf8ToGbk(withPrice("1e308")));
    EXPECT_TRUE(absurd.failed);
    EXPECT_EQ(absurd.usableRecords, 0u);
    EXPECT_EQ(shown.watchList[0].quote.price, "11.03"); // the quotes shown stay
    EXPECT_EQ(shown.watchList[0].quote.plAmount, "103.00");
    // The bounds themselves: just below passes.
    QuoteBook edge = BookOf({Entry("000001", kMarketShenzhen)});
    ParseTencentReply(edge, Utf8ToGbk(withPrice("9999999.99")));
    EXPECT_EQ(edge.quoteList.size(), 1u);

    // Sina: a price, a volume, an amount or a name out of bounds.
    const std::string good =
        "var hq_str_sh600000=\"浦发银行,7.170,7.160,7.220,7.250,7.140,7.220,7.230,23456789,"
        "169234567.000,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,2022-04-07,15:00:00,00,\";";
    auto sinaWith = [&good](const std::string& from, const std::string& to) {
        std::string line = good;
        line.replace(line.find(from), from.size(), to);
        return line;
    };
    for (const std::string& line :
         {sinaWith("7.220,7.250", "1e308,7.250"), sinaWith("7.220,7.250", "inf,7.250"),
          sinaWith("23456789", "1000000000000000"), sinaWith("169234567.000", huge),
          sinaWith("浦发银行", std::string(33, 'N'))}) {
        QuoteBook book = BookOf({Entry("600000", kMarketShanghai)});
        ParseSinaReply(book, Utf8ToGbk(line));
        EXPECT_TRUE(book.quoteList.empty()) << line.substr(0, 80);
    }
    QuoteBook sina = BookOf({Entry("600000", kMarketShanghai)});
    ParseSinaReply(sina, Utf8ToGbk(sinaWith("浦发银行", std::string(32, 'N'))));
    EXPECT_EQ(sina.quoteList.size(), 1u);

    // East Money: an exponent, a price beyond the bound, an amount beyond its bound.
    const std::string element =
        R"({"f2":9.48,"f5":1474848,"f6":1386209937.0,"f12":"600000","f13":1,"f14":"浦发银行","f15":9.49,"f16":9.16,"f17":9.22,"f18":9.18,"f124":1790755897})";
    auto emWith = [&element](const std::string& from, const std::string& to) {
        std::string text = element;
        text.replace(text.find(from), from.size(), to);
        return R"({"data":{"diff":[)" + text + "]}}";
    };
    for (const std::string& reply :
         {emWith("9.48", "9.48e0"), emWith("9.48", "10000000"), emWith("1386209937.0", "1e16"),
          emWith("1386209937.0", "1000000000000000.0"), emWith("9.48", "0." + std::string(40, '9'))}) {
        QuoteBook book = BookOf({Entry("600000", kMarketShanghai)});
        ParseEastMoneyReply(book, reply);
        EXPECT_TRUE(book.quoteList.empty()) << reply;
    }
    QuoteBook fine = BookOf({Entry("600000", kMarketShanghai)});
    ParseEastMoneyReply(fine, emWith("9.48", "9.48"));
    EXPECT_EQ(fine.quoteList.size(), 1u);

    QuoteRecord quote;
    for (const char* price : {"inf", "1e308", "nan", "99999999"}) {
        quote.price = price;
        EXPECT_FALSE(IsUsableQuote(quote)) << price;
    }
    quote.price = "3,154.03";
    EXPECT_TRUE(IsUsableQuote(quote));
}

// Texts are read as the Sina parser reads them: a NUL byte never reaches a cell, figures that
// round to zero carry no minus sign, thousands separators are read whole.
TEST(NewSources, TextsAreReadAsSinaReadsThem) {
    QuoteBook tencent = BookOf({Entry("000001", kMarketShenzhen), Entry("600000", kMarketShanghai),
                                Entry("000002", kMarketShenzhen)});
    std::string laced = kTencentLine;
    laced.replace(laced.find("平安"), 0, std::string(1, '\0'));
    auto statement = [](const std::string& code, const std::string& price, const std::string& previousClose,
                        const std::string& volume, const std::string& amount) {
        std::string value = "1~名~" + code + "~" + price + "~" + previousClose + "~0~" + volume;
        for (int i = 7; i <= 40; ++i)
            value += i == 30              ? "~20260424150003"
                     : i == 33 || i == 34 ? "~" + price
                     : i == 37            ? "~" + amount
                                          : "~0";
        return value;
    };
    ParseTencentReply(
        tencent,
        Utf8ToGbk(laced + "v_sh600000=\"" + statement("600000", "3,001.12", "3,000.00", "-0.3", "-0.001") +
                  "\";\nv_sz000002=\"" + statement("000002", "8.00", "8.10", "1,234,567", "0") + "\";\n"));
    ASSERT_EQ(tencent.quoteList.size(), 2u);
    EXPECT_TRUE(tencent.watchList[0].quote.code.empty()); // the NUL-laced statement gives nothing
    EXPECT_EQ(tencent.watchList[1].quote.change, "+1.12");
    EXPECT_EQ(tencent.watchList[1].quote.changeRate, "+0.04%");
    EXPECT_EQ(tencent.watchList[1].quote.volume, "0");
    EXPECT_EQ(tencent.watchList[1].quote.amount, "0.00");
    EXPECT_EQ(tencent.watchList[2].quote.volume, "1234567");
    EXPECT_EQ(tencent.watchList[2].quote.change, "-0.10");

    QuoteBook em = BookOf({Entry("000001", kMarketShenzhen), Entry("600000", kMarketShanghai)});
    ParseEastMoneyReply(
        em,
        R"({"data":{"diff":[)"
        R"({"f2":11,"f5":1,"f6":1,"f12":"000001","f13":0,"f14":"平安\u0000银行","f15":11,"f16":11,"f17":11,"f18":11,"f124":1},)"
        R"({"f2":-0.001,"f5":-0.3,"f6":-1,"f12":"600000","f13":1,"f14":"浦发银行","f15":-0.001,"f16":-0.001,"f17":-0.001,"f18":10,"f124":1}]}})");
    ASSERT_EQ(em.quoteList.size(), 1u);
    EXPECT_TRUE(em.watchList[0].quote.code.empty());
    const QuoteRecord& q = em.watchList[1].quote;
    for (const std::string* text : {&q.price, &q.open, &q.high, &q.low, &q.volume, &q.amount})
        EXPECT_EQ(text->find('-'), std::string::npos) << *text;
    EXPECT_EQ(q.volume, "0");
    EXPECT_EQ(q.amount, "0.00");
}

// The parsers' figures come from a faster printer than printf; they must read the same.
TEST(NewSources, FiguresReadAsPrintfWritesThem) {
    std::vector<double> values = {0.125,  0.375,  2.675,  1.005,   0.5,  1.5,   2.5,
                                  -0.5,   -0.004, -0.005, -0.0049, 1e15, -1e15, 123456789.125,
                                  5e-324, 1e300,  -1e300, 0.0,     -0.0};
    std::uint64_t state = 20261209;
    for (int i = 0; i < 20000; ++i) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        const double unit = static_cast<double>(state >> 11) / 9007199254740992.0;
        values.push_back((unit - 0.5) * (i % 3 == 0 ? 20.0 : i % 3 == 1 ? 4000.0 : 2e9));
        values.push_back(std::round(unit * 1e6) / 1000.0 + 0.0005); // three-decimal ties
    }
    for (const char* format : {"%.0f", "%.2f", "%.3f", "%.2f%%"}) {
        for (double value : values)
            ASSERT_EQ(FigureText(format, value), WithoutNegativeZero(Format(format, value)))
                << format << " " << value;
    }
    EXPECT_EQ(FigureText("%.2f", -0.001), "0.00");
    EXPECT_EQ(FigureText("%.2f%%", -0.001), "0.00%");
    EXPECT_EQ(FigureText("%.2f", std::nan("")), Format("%.2f", std::nan("")));
    EXPECT_EQ(FigureText("%5.1f", 2.25), "  2.2");
}

TEST(NewSources, RequestsAndTheirRecognition) {
    std::string codes;
    const QuoteService* service = QuoteServiceOfRequest("/q=sh600000,sz000001", codes);
    ASSERT_NE(service, nullptr);
    EXPECT_EQ(service->source, kSourceTencent);
    EXPECT_EQ(codes, "sh600000,sz000001");
    service =
        QuoteServiceOfRequest(QuoteServiceOf(kSourceEastMoney).requestPath("1.600000,0.000001", 0), codes);
    ASSERT_NE(service, nullptr);
    EXPECT_EQ(service->source, kSourceEastMoney);
    EXPECT_EQ(codes, "1.600000,0.000001");
    EXPECT_EQ(
        QuoteServiceOf(kSourceEastMoney).requestPath("1.600000", 0),
        "/api/qt/ulist.np/get?fltt=2&invt=2&secids=1.600000&fields=f2,f3,f4,f5,f6,f12,f13,f14,f15,f16,f17,"
        "f18,f124");
    EXPECT_EQ(QuoteServiceOfRequest("/appstock/app/minute/query?code=sh600000", codes), nullptr);
}

} // namespace
} // namespace marlune
