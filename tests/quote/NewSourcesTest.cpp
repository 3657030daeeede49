// The Tencent and East Money parsers: the same texts as the Sina parser for the same figures,
// unknown codes and damaged replies.

#include "QuoteTestSupport.h"
#include "quote/EastMoneyQuotes.h"
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
    ParseSinaReply(sina, Utf8ToGbk(SinaLine("262700000")));

    ASSERT_EQ(tencent.quoteList.size(), 1u); // the unknown code gives no record
    const QuoteRecord& t = tencent.watchList[0].quote;
    const QuoteRecord& s = sina.watchList[0].quote;
    EXPECT_EQ(t.name, "平安银行");
    EXPECT_EQ(t.price, "11.03");
    EXPECT_EQ(t.volume, "239540");
    EXPECT_EQ(t.amount, "26270.00");
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

    // The index on the Shanghai row, with three decimals; not the Shenzhen stock of that code.
    EXPECT_EQ(em.watchList[1].quote.name, "上证指数");
    EXPECT_EQ(em.watchList[1].quote.price, "3001.120");
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
