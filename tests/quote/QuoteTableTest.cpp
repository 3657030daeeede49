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
    EXPECT_EQ(QuoteCellColor(entry, kColPrice), CellColor::Down);

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

    entry.quote.change = "0.00";
    entry.quote.plAmount = "0.00";
    EXPECT_EQ(QuoteCellColor(entry, kColPrice), CellColor::Down);
    EXPECT_EQ(QuoteCellColor(entry, kColPlAmount), CellColor::Down);
    EXPECT_EQ(TotalLineText("200.00", "20.00%", "2024-05-10 15:00:03"),
              "总盈亏:200.00  20.00%  2024-05-10 15:00:03");
}

TEST(QuoteDispatch, ShortRepliesAreIgnoredAndUnknownSourcesReadAsSina) {
    QuoteBook book;
    book.setWatchList({Held("600000", 1, 100, 10.0f)});
    EXPECT_FALSE(DispatchQuoteReply(book, kSourceSina, "var "));
    EXPECT_TRUE(book.watchList[0].quote.price.empty());

    std::string reply =
        Utf8ToGbk("var hq_str_sh600000=\"浦发银行,11.00,11.00,12.00,12.50,10.90,0,0,1000,12000,"
                  "0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,2024-05-10,15:00:03,00\";\n");
    for (int source : {0, static_cast<int>(kSourceSina), 9}) {
        QuoteBook fresh = book;
        EXPECT_TRUE(DispatchQuoteReply(fresh, source, reply));
        EXPECT_EQ(fresh.watchList[0].quote.price, "12.00");
        EXPECT_EQ(fresh.watchList[0].quote.plAmount, "200.00");
    }
}

} // namespace
} // namespace marlune
