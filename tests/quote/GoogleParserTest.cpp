#include "QuoteTestSupport.h"
#include "quote/QuoteParsers.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace marlune {
namespace {

using test::BookOf;
using test::Entry;

// A flattened record whose string values are given by number (1 to 26); the rest are empty.
std::string Record(std::initializer_list<std::pair<int, std::string>> values) {
    std::vector<std::string> fields(26);
    for (const auto& [number, value] : values)
        fields[static_cast<std::size_t>(number - 1)] = value;
    std::string record;
    for (const std::string& field : fields)
        record += field + ";";
    return record + "|";
}

TEST(GoogleReply, FlattensStringValuesPerObject) {
    std::string file = "// [\r\n"
                       "{\r\n"
                       "\"id\": \"7521596\"\r\n"
                       ",\"t\" : \"  000001 \"\r\n"
                       ",\"vol_and_avg\" : 1234\r\n"
                       ",\"odd\" : \"unclosed\r\n"
                       ",\"name\" : \"上证指数\"\r\n"
                       "}\r\n"
                       ",{\n"
                       "\"id\": \"\"\n"
                       "} trailing\n"
                       " }\n"
                       "]";
    EXPECT_EQ(FlattenGoogleReply(Utf8ToGbk(file)), "7521596;000001 ;上证指数;|;|");
}

TEST(GoogleReply, ReadingDeletesTheFile) {
    test::TempDir dir;
    std::string path = dir.file("gData.dat");
    ASSERT_TRUE(WriteFileAtomically(path, test::QuoteData("google_4.txt")));
    std::string flattened = ReadGoogleReply(path);
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(flattened.substr(0, 40), "7521596;000001;SHA;3044.70;3044.70;May 1");
    EXPECT_EQ(ReadGoogleReply(path), ""); // missing file: empty text

    QuoteBook book = BookOf({Entry("399001", 2), Entry("000001", 2, 100, 10.0f)});
    book.updateTime = "before";
    ParseGoogleReply(book, flattened);
    ASSERT_EQ(book.quoteList.size(), 4u);
    const QuoteRecord& index = book.watchList[0].quote;
    EXPECT_EQ(index.code, "399001");
    EXPECT_EQ(index.market, 2);
    EXPECT_EQ(index.name, "深证成指");
    EXPECT_EQ(index.price, "9318.21");
    EXPECT_EQ(index.change, "-94.12"); // as sent, no sign added
    EXPECT_EQ(index.changeRate, "-1.00%");
    EXPECT_EQ(index.open, "9412.34");
    EXPECT_EQ(index.previousClose, "9412.34");
    EXPECT_EQ(index.high, "9506.46");
    EXPECT_EQ(index.low, "9271.62");
    EXPECT_EQ(index.volume, "45.68M"); // not scaled
    EXPECT_EQ(index.amount, "");
    EXPECT_EQ(index.amplitude, "2.50%");
    EXPECT_EQ(index.dateTime, "May 10, 3:00PM GMT+8");
    EXPECT_EQ(book.watchList[1].quote.plAmount, "41.00");
    EXPECT_EQ(book.updateTime, "before");
}

TEST(GoogleReply, ShortTextsAndUnknownExchanges) {
    QuoteBook book = BookOf({Entry("600000", 1)});
    book.quoteList.resize(1);
    book.watchList[0].quote.price = "kept";
    // Nine bytes as the service sent them (four GBK characters and ";"), thirteen in UTF-8.
    ParseGoogleReply(book, "中文中文;");
    EXPECT_EQ(book.quoteList.size(), 1u);
    EXPECT_EQ(book.watchList[0].quote.price, "kept");

    std::string text =
        Record({{2, "600000"}, {3, "SHA"}, {4, "7.00"}, {13, "0.05"}, {14, "8"}, {15, "6"}}) + "short;|" +
        Record(
            {{2, "000002"}, {3, "NYSE"}, {4, "7.30"}, {13, "7.35"}, {14, "7.4"}, {15, "7.2"}, {26, "万科"}}) +
        Record({{2, "12"}, {3, "SHE"}, {9, "0.5"}, {13, "0"}});
    ParseGoogleReply(book, text);
    ASSERT_EQ(book.quoteList.size(), 3u);
    EXPECT_EQ(book.quoteList[0].amplitude, "-"); // previous close of 0.05 or less
    EXPECT_EQ(book.quoteList[0].changeRate, "%");
    EXPECT_EQ(book.quoteList[1].code, "000002");
    EXPECT_EQ(book.quoteList[1].market, 1); // unknown exchange: the market before
    EXPECT_EQ(book.quoteList[1].amplitude, "2.72%");
    EXPECT_EQ(book.quoteList[2].code, "sz12"); // the last six characters of "sz" + ticker
    EXPECT_EQ(book.quoteList[2].market, 2);
    EXPECT_EQ(book.quoteList[2].changeRate, "0.5%");
    EXPECT_EQ(book.watchList[0].quote.price, "7.00");
}

TEST(GoogleReply, ThousandsSeparatorsAreReadWhole) {
    QuoteBook book = BookOf({Entry("000001", 1, 10, 3000.0f), Entry("600519", 1, 1, 1700.0f)});
    book.watchList[1].alertFlag = 1;
    book.watchList[1].upperLimit = 1800.0f;
    book.ResetAlerts();
    ParseGoogleReply(book, Record({{2, "000001"},
                                   {3, "SHA"},
                                   {4, "3,154.03"},
                                   {8, "+12.34"},
                                   {9, "0.39"},
                                   {13, "3,141.69"},
                                   {14, "3,160.00"},
                                   {15, "3,128.58"},
                                   {16, "59.12B"}}) +
                               Record({{2, "600519"},
                                       {3, "SHA"},
                                       {4, "1,812.00"},
                                       {13, "1,790.00"},
                                       {14, "1,820.00"},
                                       {15, "1,784.20"}}) +
                               Record({{2, "600000"}, {3, "SHA"}, {4, "1,234,567.50"}}));
    const QuoteRecord& index = book.watchList[0].quote;
    EXPECT_EQ(index.price, "3,154.03"); // shown as sent
    EXPECT_EQ(index.amplitude, "1.00%");
    EXPECT_EQ(index.plAmount, "1540.30");
    EXPECT_EQ(index.plRate, "5.13%");
    EXPECT_EQ(book.watchList[1].quote.amplitude, "2.00%");
    EXPECT_EQ(book.watchList[1].quote.plAmount, "112.00");
    EXPECT_EQ(book.alerts[1].state, kAlertAtUpperLimit);
    EXPECT_DOUBLE_EQ(QuoteNumber(book.quoteList[2].price), 1234567.5);
    // A comma that does not separate thousands ends the number.
    EXPECT_DOUBLE_EQ(QuoteNumber("3,15"), 3.0);
    EXPECT_DOUBLE_EQ(QuoteNumber("12,3456"), 12.0);
    EXPECT_DOUBLE_EQ(QuoteNumber("-1,000"), -1000.0);
}

TEST(GoogleReply, UntradedHoldingIsValuedAtThePreviousClose) {
    QuoteBook book = BookOf({Entry("600000", 1, 100, 8.0f)});
    ParseGoogleReply(book, Record({{2, "600000"}, {3, "SHA"}, {4, "0.00"}, {8, "-7.16"}, {13, "7.16"}}));
    EXPECT_EQ(book.watchList[0].quote.change, "-7.16");
    EXPECT_EQ(book.watchList[0].quote.plAmount, "-84.00");
    EXPECT_EQ(book.watchList[0].quote.plRate, "-10.50%");
}

} // namespace
} // namespace marlune
