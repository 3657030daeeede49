#include "quote/DerivedValues.h"
#include "QuoteTestSupport.h"
#include "quote/AlertMemory.h"
#include "text/FileBytes.h"

#include <gtest/gtest.h>

namespace marlune {
namespace {

using test::BookOf;
using test::Entry;

QuoteRecord Quote(const std::string& code, int market, const std::string& price,
                  const std::string& previousClose = "10.00") {
    QuoteRecord quote;
    quote.code = code;
    quote.market = market;
    quote.name = "股票" + code;
    quote.price = price;
    quote.previousClose = previousClose;
    return quote;
}

TEST(DerivedValues, HoldingsAndTotals) {
    QuoteBook book = BookOf({Entry("600000", 1, 100, 10.0f), Entry("399001", 2),
                             Entry("600001", 1, 100, 10.0f), Entry("600002", 1, 300, 5.0f)});
    book.quoteList = {Quote("600000", 1, "12.00"), Quote("399001", 2, "9000.00"), Quote("600001", 1, "9.00")};
    ComputeDerivedValues(book);

    EXPECT_EQ(book.watchList[0].quote.plAmount, "200.00");
    EXPECT_EQ(book.watchList[0].quote.plRate, "20.00%");
    EXPECT_EQ(book.watchList[1].quote.plAmount, "0.00"); // no holding
    EXPECT_EQ(book.watchList[1].quote.plRate, "0.00%");
    EXPECT_EQ(book.watchList[2].quote.plAmount, "-100.00");
    EXPECT_EQ(book.watchList[2].quote.plRate, "-10.00%");
    // Absent from the reply: an empty row that adds nothing to the totals.
    EXPECT_TRUE(book.watchList[3].quote.price.empty());
    EXPECT_TRUE(book.watchList[3].quote.plAmount.empty());
    EXPECT_EQ(book.totalPlAmount, "100.00");
    EXPECT_EQ(book.totalPlRate, "5.00%");

    book.quoteList = {Quote("600001", 1, "9.00")}; // only the loss
    ComputeDerivedValues(book);
    EXPECT_EQ(book.totalPlAmount, "-100.00");
    EXPECT_EQ(book.totalPlRate, "-10.00%");
    EXPECT_TRUE(book.watchList[0].quote.name.empty());

    QuoteBook none = BookOf({Entry("399001", 2)});
    none.quoteList = {Quote("399001", 2, "9000.00")};
    ComputeDerivedValues(none);
    EXPECT_EQ(none.totalPlAmount, "0.00");
    EXPECT_EQ(none.totalPlRate, "0.00%");
}

TEST(DerivedValues, ZeroCostAndZeroPrice) {
    QuoteBook book = BookOf(
        {Entry("600000", 1, 100, 0.0f), Entry("600001", 1, 100, 10.0f), Entry("600002", 1, 100, 10.0f)});
    book.quoteList = {Quote("600000", 1, "5.00"), Quote("600001", 1, "11.00"),
                      Quote("600002", 1, "0.00", "0")};
    ComputeDerivedValues(book);
    EXPECT_EQ(book.watchList[0].quote.plRate, "-"); // a gift: no cost to divide by
    EXPECT_EQ(book.watchList[0].quote.plAmount, "500.00");
    // Neither price nor previous close: the holding is worth nothing.
    EXPECT_EQ(book.watchList[2].quote.plAmount, "-1000.00");
    EXPECT_EQ(book.totalPlAmount, "-400.00");
    EXPECT_EQ(book.totalPlRate, "-20.00%"); // over the cost of 2000 alone
}

TEST(DerivedValues, FirstMatchingQuoteAndManyQuotes) {
    QuoteBook book = BookOf({Entry("600000", 1, 10, 1.0f), Entry("600000", 2)});
    for (int i = 0; i < 3000; ++i)
        book.quoteList.push_back(Quote(std::to_string(700000 + i), 1, "1"));
    book.quoteList.push_back(Quote("600000", 1, "2.00"));
    book.quoteList.push_back(Quote("600000", 1, "3.00"));
    book.quoteList.push_back(Quote("600000", 2, "4.00"));
    ComputeDerivedValues(book); // looked up through the index
    EXPECT_EQ(book.watchList[0].quote.price, "2.00");
    EXPECT_EQ(book.watchList[1].quote.price, "4.00");
    EXPECT_EQ(book.totalPlAmount, "10.00");
}

class Alerts : public ::testing::Test {
protected:
    Alerts() {
        StockEntry entry = Entry("600000", 1);
        entry.name = "浦发银行";
        entry.alertFlag = 1;
        entry.lowerLimit = 9.6f;
        entry.upperLimit = 11.05f;
        StockEntry quiet = Entry("600001", 1);
        quiet.lowerLimit = 100.0f; // alert off
        book = BookOf({entry, quiet});
    }

    // One refresh as the ticker does it: parse (quotes in), then the grid's collection.
    std::string refresh(const std::string& price) {
        book.quoteList = {Quote("600000", 1, price), Quote("600001", 1, price)};
        ComputeDerivedValues(book);
        CollectAllAlerts(book);
        return book.takeAlertText();
    }

    QuoteBook book;
};

TEST_F(Alerts, OneAlertPerCrossing) {
    EXPECT_EQ(refresh("10.00"), "");
    EXPECT_EQ(book.alerts[0].state, kAlertNone);

    EXPECT_EQ(refresh("9.60"), "浦发银行(600000) 现价9.60，已跌到预警下限9.60\n"); // at the limit
    EXPECT_EQ(book.alerts[0].state, kAlertAtLowerLimit);
    EXPECT_EQ(book.alerts[1].state, kAlertNone); // alert flag off
    EXPECT_EQ(refresh("9.50"), "");              // still below: no second alert
    EXPECT_EQ(book.alerts[0].state, kAlertAtLowerLimit);
    EXPECT_EQ(refresh("0.00"), ""); // no trade: state kept
    EXPECT_EQ(book.alerts[0].state, kAlertAtLowerLimit);
    EXPECT_EQ(refresh("10.00"), "");
    EXPECT_EQ(book.alerts[0].state, kAlertNone);

    EXPECT_EQ(refresh("11.05"), "浦发银行(600000) 现价11.05，已涨到预警上限11.05\n");
    EXPECT_EQ(book.alerts[0].state, kAlertAtUpperLimit);
    EXPECT_EQ(refresh("12.00"), "");

    // Turned off and on again: a fresh crossing alerts again.
    book.watchList[0].alertFlag = 0;
    EXPECT_EQ(refresh("12.00"), "");
    EXPECT_EQ(book.alerts[0].state, kAlertNone);
    book.watchList[0].alertFlag = 1;
    EXPECT_NE(refresh("12.00"), "");
}

TEST(CollectAllAlerts, TakesTriggeredAlertsOfTradedRowsWithTheAlertOnOnce) {
    QuoteBook book =
        test::BookOf({test::Entry("600000", 1), test::Entry("000002", 2), test::Entry("399001", 2)});
    for (StockEntry& entry : book.watchList)
        entry.quote.price = "10.00";
    book.watchList[0].alertFlag = 1;
    book.alerts[0] = {kAlertAtUpperLimit, "600000 above", kRateInside, ""};
    book.watchList[1].alertFlag = 0; // alert off: its message stays
    book.alerts[1] = {kAlertAtLowerLimit, "000002 below", kRateInside, ""};
    book.watchList[2].alertFlag = 1;
    book.watchList[2].quote.price = "0.00"; // not traded yet
    book.alerts[2] = {kAlertAtLowerLimit, "399001 below", kRateInside, ""};
    CollectAllAlerts(book);
    EXPECT_EQ(book.alertText, "600000 above\n");
    CollectAllAlerts(book); // collected once
    EXPECT_EQ(book.alertText, "600000 above\n");
    EXPECT_EQ(book.alerts[1].message, "000002 below");
}

TEST_F(Alerts, CollectionRulesAndTheAlertText) {
    book.quoteList = {Quote("600000", 1, "9.00")};
    ComputeDerivedValues(book);
    UpdateAlert(book, 0); // the grid may apply the rule again: nothing changes
    CollectAlerts(book, 0);
    CollectAlerts(book, 0); // collected once
    CollectAlerts(book, 7); // beyond the list: ignored
    EXPECT_EQ(book.alertText, "浦发银行(600000) 现价9.00，已跌到预警下限9.60\n");
    book.alerts[1].state = kAlertTriggered;
    book.alerts[1].message = "manual";
    CollectAlerts(book, 1);
    EXPECT_EQ(book.takeAlertText(), "浦发银行(600000) 现价9.00，已跌到预警下限9.60\nmanual\n");
    EXPECT_TRUE(book.alertText.empty());

    // A price that begins with "0.0" is not collected by the grid; the message waits.
    book.watchList[0].lowerLimit = 0.5f;
    book.quoteList = {Quote("600000", 1, "10.00")};
    ComputeDerivedValues(book);
    book.quoteList = {Quote("600000", 1, "0.05")};
    ComputeDerivedValues(book);
    CollectAllAlerts(book);
    EXPECT_EQ(book.alertText, "");
    EXPECT_FALSE(book.alerts[0].message.empty());

    // A new watch list starts every alert afresh, one per row.
    book.setWatchList(WatchList(3));
    ASSERT_EQ(book.alerts.size(), 3u);
    EXPECT_TRUE(book.alerts[0].message.empty());
}

// The first-run list has the index's alert on with an upper limit of 3.00: without a memory
// every start would show the same alert again.
TEST_F(Alerts, FiredAlertsAreRememberedAcrossRestarts) {
    test::TempDir dir;
    const std::string path = dir.file("alerts.txt");
    const WatchList list = book.watchList;
    AlertMemory memory(path);
    memory.Restore(book); // no file yet: nothing restored
    EXPECT_NE(refresh("12.00"), "");
    ASSERT_TRUE(memory.Remember(book));
    EXPECT_EQ(ReadFileBytes(path).value_or(""), "600000|1|9.60|11.05|5\r\n");

    // A restart: the alert is not shown again while the price stays beyond the limit.
    auto restart = [&](const WatchList& entries) {
        book = QuoteBook{};
        book.setWatchList(entries);
        memory = AlertMemory(path);
        memory.Restore(book);
    };
    restart(list);
    EXPECT_EQ(book.alerts[0].state, kAlertAtUpperLimit);
    EXPECT_EQ(refresh("12.50"), "");
    // Straight from beyond the upper limit to below the lower one is a crossing of its own.
    EXPECT_EQ(refresh("9.00"), "浦发银行(600000) 现价9.00，已跌到预警下限9.60\n");
    ASSERT_TRUE(memory.Remember(book));
    // Back inside the band: forgotten, so the next crossing after a restart shows.
    EXPECT_EQ(refresh("10.00"), "");
    ASSERT_TRUE(memory.Remember(book));
    EXPECT_EQ(ReadFileBytes(path).value_or("?"), "");
    restart(list);
    EXPECT_NE(refresh("12.00"), "");
    ASSERT_TRUE(memory.Remember(book));

    // Edited limits arm the alert afresh; so does switching it off.
    WatchList edited = list;
    edited[0].upperLimit = 11.5f;
    restart(edited);
    EXPECT_EQ(refresh("12.00"), "浦发银行(600000) 现价12.00，已涨到预警上限11.50\n");
    WatchList off = list;
    off[0].alertFlag = 0;
    restart(off);
    EXPECT_EQ(book.alerts[0].state, kAlertNone);

    // Lines the program cannot read stay in the file.
    ASSERT_TRUE(WriteFileAtomically(path, "600000|1|9.60|11.05|5\r\nsomething else\r\n"));
    restart(list);
    EXPECT_EQ(refresh("10.00"), "");
    ASSERT_TRUE(memory.Remember(book));
    EXPECT_EQ(ReadFileBytes(path).value_or(""), "something else\r\n");
}

} // namespace
} // namespace marlune
