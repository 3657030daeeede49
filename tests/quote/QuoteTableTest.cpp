#include "quote/QuoteTable.h"
#include "quote/QuoteDispatch.h"
#include "text/Gbk.h"

#include <gtest/gtest.h>

namespace marlune {
namespace {

StockEntry Held(const char* code, int market, int quantity, float cost) {
    StockEntry entry;
    entry.code = code;
    entry.market = market;
    entry.quantity = quantity;
    entry.cost = cost;
    return entry;
}

TEST(QuoteTable, RowTextsAndColourRoles) {
    StockEntry entry = Held("600000", 1, 100, 10.0f);
    entry.name = "浦发银行";
    EXPECT_EQ(QuoteRowTexts(entry)[kColChart], ""); // no price yet, no chart link
    EXPECT_EQ(QuoteCellColor(entry, kColPrice), CellColor::Flat);

    entry.quote.price = "12.00";
    entry.quote.change = "+0.12";
    entry.quote.plAmount = "200.00";
    auto texts = QuoteRowTexts(entry);
    EXPECT_EQ(texts[kColCode], "600000");
    EXPECT_EQ(texts[kColName], "浦发银行");
    EXPECT_EQ(texts[kColChart], "分时图");
    EXPECT_EQ(QuoteCellColor(entry, kColChangeRate), CellColor::Up);
    EXPECT_EQ(QuoteCellColor(entry, kColPlRate), CellColor::Up); // a gain without a plus sign
    EXPECT_EQ(QuoteCellColor(entry, kColName), CellColor::Name);
    EXPECT_EQ(QuoteCellColor(entry, kColHigh), CellColor::Default);

    // Unchanged quotes and rows without a holding are neither up nor down.
    for (const char* flat : {"0.00", "-0.00", "+0.000", "0.000"}) {
        entry.quote.change = flat;
        EXPECT_EQ(QuoteCellColor(entry, kColPrice), CellColor::Flat) << flat;
        EXPECT_EQ(QuoteCellColor(entry, kColChange), CellColor::Flat) << flat;
    }
    entry.quote.plAmount = "0.00";
    EXPECT_EQ(QuoteCellColor(entry, kColPlAmount), CellColor::Flat);
    EXPECT_EQ(QuoteCellColor(entry, kColPlRate), CellColor::Flat);
    entry.quote.change = "-0.01";
    entry.quote.plAmount = "-3.00";
    EXPECT_EQ(QuoteCellColor(entry, kColChangeRate), CellColor::Down);
    EXPECT_EQ(QuoteCellColor(entry, kColPlAmount), CellColor::Down);
    EXPECT_EQ(TotalLineText("200.00", "20.00%", "2024-05-10 15:00:03"),
              "总盈亏:200.00  20.00%  2024-05-10 15:00:03");
}

TEST(QuoteDispatch, UnknownSourcesReadAsSina) {
    QuoteBook book;
    book.setWatchList({Held("600000", 1, 100, 10.0f)});
    std::string reply =
        Utf8ToGbk("var hq_str_sh600000=\"浦发银行,11.00,11.00,12.00,12.50,10.90,0,0,1000,12000,"
                  "0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,2024-05-10,15:00:03,00\";\n");
    for (int source : {0, static_cast<int>(kSourceSina), 9}) {
        QuoteBook fresh = book;
        QuoteReplyResult result = DispatchQuoteReply(fresh, source, reply);
        EXPECT_TRUE(result.applied);
        EXPECT_FALSE(result.failed);
        EXPECT_EQ(result.usableRecords, 1u);
        EXPECT_EQ(fresh.watchList[0].quote.price, "12.00");
        EXPECT_EQ(fresh.watchList[0].quote.plAmount, "200.00");
    }
}

TEST(QuoteDispatch, ReplyWithoutQuotesIsAFailedRefreshThatKeepsTheBook) {
    QuoteBook book;
    book.setWatchList({Held("600000", 1, 100, 10.0f), Held("000001", 1, 0, 0.0f)});
    const std::string good =
        Utf8ToGbk("var hq_str_sh600000=\"浦发银行,11.00,11.00,12.00,12.50,10.90,0,0,1000,12000,"
                  "0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,2024-05-10,15:00:03,00\";\n");
    ASSERT_TRUE(DispatchQuoteReply(book, kSourceSina, good).applied);
    const StockEntry* first = &book.watchList[0];

    std::string nulLaced = good;
    nulLaced[nulLaced.find("12.00")] = '\0';
    const std::pair<int, std::string> empties[] = {
        {kSourceSina, ""},
        {kSourceSina, "var "},
        {kSourceSina, "<html><head><title>Sign in</title></head><body>portal</body></html>"},
        {kSourceSina, std::string("\x8f\x00\xff\x13garbage bytes\x00\x00", 19)},
        {kSourceSina, "var hq_str_sh600000=\"\";\nvar hq_str_sh000001=\"\";\n"}, // unknown codes
        {kSourceSina, nulLaced},
        {kSourceSina, "var hq_str_sz600000=\"a,1,1,1,1,1\";\n"}, // another market's stock
        {kSourceNetEase, "<html>busy</html>"},
        {kSourceGoogle, "x;|"}, // a flattened text of nine bytes or fewer
        {kSourceGoogle, "1;600000;SHA;;;;|"},
    };
    for (const auto& [source, reply] : empties) {
        SCOPED_TRACE(reply);
        QuoteReplyResult result = DispatchQuoteReply(book, source, reply);
        EXPECT_TRUE(result.failed);
        EXPECT_FALSE(result.applied);
        EXPECT_EQ(result.usableRecords, 0u);
        EXPECT_EQ(book.watchList[0].quote.price, "12.00"); // the old values stay
        EXPECT_EQ(book.totalPlAmount, "200.00");
        EXPECT_EQ(book.updateTime, "2024-05-10 15:00:03");
        EXPECT_EQ(&book.watchList[0], first);
    }

    // One usable quote is enough; the other row empties as before.
    book.watchList[1].quote.price = "3000.00";
    QuoteReplyResult result = DispatchQuoteReply(book, kSourceSina, good);
    EXPECT_TRUE(result.applied);
    EXPECT_EQ(result.usableRecords, 1u);
    EXPECT_TRUE(book.watchList[1].quote.price.empty());
    EXPECT_EQ(&book.watchList[0], first); // entries stay in place

    // An empty watch list asks for nothing: no reply fails it.
    QuoteBook none;
    EXPECT_FALSE(DispatchQuoteReply(none, kSourceSina, "").failed);
    EXPECT_FALSE(DispatchQuoteReply(none, kSourceSina, "<html></html>").failed);
}

} // namespace
} // namespace marlune
