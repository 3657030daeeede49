// The alert rules beside the band: change-rate conditions, the quotes that raise no alert,
// and what of them is kept across restarts (data/alerts.txt, data/watchextras.txt).
#include "quote/AlertRules.h"
#include "QuoteTestSupport.h"
#include "quote/AlertMemory.h"
#include "quote/DerivedValues.h"
#include "quote/WatchExtras.h"
#include "text/BeijingTime.h"
#include "text/FileBytes.h"

#include <gtest/gtest.h>

namespace marlune {
namespace {

// Wednesday 2026-04-22, Beijing time.
std::int64_t At(int hour, int minute, int second = 0) {
    return UnixSecondsOfBeijing(2026, 4, 22, hour, minute, second);
}

class RateAlerts : public ::testing::Test {
protected:
    RateAlerts() {
        StockEntry entry = test::Entry("600000", kMarketShanghai);
        entry.name = "浦发银行";
        entry.alertFlag = 1;
        entry.riseRate = 5.0;
        entry.fallRate = 3.0;
        book.setWatchList({entry});
    }

    // One refresh: a quote at the price against a previous close of 10.00, then collection.
    std::string refresh(const std::string& price, std::int64_t now = At(10, 30),
                        const std::string& date = "2026-04-22 10:30:00", const std::string& volume = "1200") {
        QuoteRecord quote;
        quote.code = "600000";
        quote.market = kMarketShanghai;
        quote.price = price;
        quote.previousClose = "10.00";
        quote.volume = volume;
        quote.dateTime = date;
        book.quoteList = {quote};
        book.alertClock = now;
        ComputeDerivedValues(book);
        CollectAllAlerts(book);
        return book.takeAlertText();
    }

    QuoteBook book;
};

TEST_F(RateAlerts, EachConditionFiresOncePerCrossing) {
    EXPECT_EQ(refresh("10.49"), ""); // +4.90 %
    EXPECT_EQ(refresh("10.50"), "浦发银行(600000) 现价10.50，涨幅已达+5.00%\n");
    EXPECT_EQ(book.alerts[0].rateState, kRateRisen);
    EXPECT_EQ(refresh("10.80"), ""); // still above: no second alert
    EXPECT_EQ(refresh("10.20"), ""); // back inside
    EXPECT_EQ(book.alerts[0].rateState, kRateInside);
    EXPECT_NE(refresh("10.60"), ""); // a new crossing
    // From above the rise straight below the fall is a crossing of its own.
    EXPECT_EQ(refresh("9.70"), "浦发银行(600000) 现价9.70，跌幅已达-3.00%\n");
    EXPECT_EQ(refresh("9.50"), "");
    // The band and a rate condition crossed by one quote give both messages.
    book.watchList[0].lowerLimit = 9.60f;
    EXPECT_EQ(refresh("10.00"), "");
    EXPECT_EQ(refresh("9.40"), "浦发银行(600000) 现价9.40，已跌到预警下限9.60\n"
                               "浦发银行(600000) 现价9.40，跌幅已达-3.00%\n");
    // A condition at 0 is off; the alert flag off silences both and forgets the state.
    book.watchList[0].fallRate = 0.0;
    book.watchList[0].lowerLimit = 0.0f;
    EXPECT_EQ(refresh("10.00"), "");
    EXPECT_EQ(refresh("5.00"), "");
    book.watchList[0].alertFlag = 0;
    EXPECT_EQ(refresh("11.00"), "");
    EXPECT_EQ(book.alerts[0].rateState, kRateInside);
    book.watchList[0].alertFlag = 1;
    EXPECT_NE(refresh("11.00"), "");
}

TEST_F(RateAlerts, NoAlertDuringTheCallAuction) {
    book.watchList[0].upperLimit = 10.40f;
    // An indicative price at 09:20 of +20 % (or -100 % with a price of 0) raises nothing.
    EXPECT_EQ(refresh("12.00", At(9, 20)), "");
    EXPECT_EQ(refresh("12.00", At(9, 15)), "");
    EXPECT_EQ(refresh("12.00", At(9, 24, 59)), "");
    EXPECT_EQ(book.alerts[0].rateState, kRateInside);
    EXPECT_EQ(book.alerts[0].state, kAlertNone);
    // The opening price fixed at 09:25 is a trade.
    EXPECT_EQ(refresh("12.00", At(9, 25)), "浦发银行(600000) 现价12.00，已涨到预警上限10.40\n"
                                           "浦发银行(600000) 现价12.00，涨幅已达+5.00%\n");
    // A state reached before stays through an auction quote back inside.
    EXPECT_EQ(refresh("10.00", At(9, 20)), "");
    EXPECT_EQ(book.alerts[0].rateState, kRateRisen);
    // Markets of other hours are not in the Beijing auction then.
    StockEntry other = book.watchList[0];
    other.quote.price = "12.00";
    EXPECT_FALSE(IsAlertableQuote(other, At(9, 20)));
    other.market = 4;
    EXPECT_TRUE(IsAlertableQuote(other, At(9, 20)));
}

TEST_F(RateAlerts, NoAlertBeforeTheFirstTrade) {
    book.watchList[0].lowerLimit = 9.60f;
    // A price of 0: neither -100 % nor below the band.
    EXPECT_EQ(refresh("0.00"), "");
    EXPECT_EQ(refresh("0", At(9, 31), "2026-04-22 09:31:00", "0"), "");
    EXPECT_EQ(book.alerts[0].state, kAlertNone);
    // The previous close as the price with nothing traded is no trade either; with a
    // volume it is one (back inside).
    book.watchList[0].riseRate = 0.0;
    book.watchList[0].fallRate = 0.0;
    book.watchList[0].lowerLimit = 10.00f;
    EXPECT_EQ(refresh("10.00", At(9, 31), "2026-04-22 09:31:00", "0"), "");
    EXPECT_EQ(book.alerts[0].state, kAlertNone);
    EXPECT_EQ(refresh("10.00", At(9, 31), "2026-04-22 09:31:00", "100"),
              "浦发银行(600000) 现价10.00，已跌到预警下限10.00\n");
}

TEST_F(RateAlerts, NoAlertFromAQuoteOfAnotherDay) {
    // A holiday: the service still shows the last day's close, dated then.
    EXPECT_EQ(refresh("11.00", At(10, 30), "2026-04-21 15:00:03"), "");
    EXPECT_EQ(refresh("11.00", At(10, 30), "2026/04/21 15:00:03"), "");
    EXPECT_EQ(refresh("11.00", At(10, 30), "Apr 21, 3:00PM GMT+8"), "");
    EXPECT_EQ(book.alerts[0].rateState, kRateInside);
    // Today's date in any of the forms is a trade; so is a date that cannot be read, and a
    // book without a clock applies no rule of the clock.
    EXPECT_NE(refresh("11.00", At(10, 30), "Apr 22, 10:30AM GMT+8"), "");
    EXPECT_EQ(refresh("10.00"), "");
    EXPECT_NE(refresh("11.00", At(10, 30), "2026/04/22 10:30:00"), "");
    EXPECT_EQ(refresh("10.00"), "");
    EXPECT_NE(refresh("11.00", At(10, 30), "10:30:00"), "");
    EXPECT_EQ(refresh("10.00"), "");
    EXPECT_NE(refresh("11.00", 0, "2026-04-21 15:00:03"), "");
}

TEST_F(RateAlerts, FiredConditionsAreRememberedAcrossRestarts) {
    test::TempDir dir;
    const std::string path = dir.file("alerts.txt");
    // A line of another kind is kept as it is; a record of a stock not on the list goes.
    ASSERT_TRUE(WriteFileAtomically(path, "000001|1|2.00|3.00|5\r\nsomething else\r\n"));
    AlertMemory memory(path);
    memory.Restore(book);
    EXPECT_NE(refresh("10.60"), "");
    ASSERT_TRUE(memory.Remember(book));
    EXPECT_EQ(ReadFileBytes(path).value_or(""), "600000|1|rate|+5.00\r\nsomething else\r\n");

    const WatchList list = book.watchList;
    auto restart = [&](const WatchList& entries) {
        book = QuoteBook{};
        book.setWatchList(entries);
        memory = AlertMemory(path);
        memory.Restore(book);
    };
    restart(list);
    EXPECT_EQ(book.alerts[0].rateState, kRateRisen);
    EXPECT_EQ(refresh("10.70"), ""); // shown before the restart
    EXPECT_NE(refresh("9.60"), "");
    ASSERT_TRUE(memory.Remember(book));
    EXPECT_EQ(ReadFileBytes(path).value_or(""), "600000|1|rate|-3.00\r\nsomething else\r\n");
    // An edited threshold arms the condition afresh.
    WatchList edited = list;
    edited[0].fallRate = 3.5;
    restart(edited);
    EXPECT_EQ(book.alerts[0].rateState, kRateInside);
    EXPECT_EQ(refresh("9.60"), "浦发银行(600000) 现价9.60，跌幅已达-3.50%\n");
}

TEST(WatchExtras, RatesLiveBesideTheList) {
    test::TempDir dir;
    const std::string path = dir.file("watchextras.txt");
    ASSERT_TRUE(WriteFileAtomically(path, "600000|1|5.00|3.00\r\n"
                                          "000001|2|2.5|abc\r\n"   // a rate that is no number is off
                                          "000001|1|-4|1e9\r\n"    // neither negative nor absurd rates
                                          "600000|1|9.00|9.00\r\n" // the first line wins
                                          "a line of a later version|x\r\n"));
    WatchList list = {test::Entry("600000", 1), test::Entry("000001", 2), test::Entry("000001", 1),
                      test::Entry("600519", 1)};
    list[3].riseRate = 7.0; // not in the file: none
    WatchExtrasFile file(path);
    file.ApplyTo(list);
    EXPECT_EQ(list[0].riseRate, 5.0);
    EXPECT_EQ(list[0].fallRate, 3.0);
    EXPECT_EQ(list[1].riseRate, 2.5);
    EXPECT_EQ(list[1].fallRate, 0.0);
    EXPECT_EQ(list[2].riseRate, 0.0);
    EXPECT_EQ(list[2].fallRate, 0.0);
    EXPECT_EQ(list[3].riseRate, 0.0);

    // Written back: entries with a condition, a code that would break the line left out,
    // the unread line kept.
    list[3].fallRate = 4.25;
    list.push_back(test::Entry("6|0", 1));
    list.back().riseRate = 1.0;
    ASSERT_TRUE(file.Write(list));
    EXPECT_EQ(ReadFileBytes(path).value_or(""), "600000|1|5.00|3.00\r\n000001|2|2.50|0.00\r\n"
                                                "600519|1|0.00|4.25\r\na line of a later version|x\r\n");
}

TEST(WatchExtras, AliasesHaveALineOfTheirOwn) {
    test::TempDir dir;
    const std::string path = dir.file("watchextras.txt");
    ASSERT_TRUE(WriteFileAtomically(path, "600000|1|5.00|3.00\r\n"
                                          "600000|1|  银行A  \r\n" // blanks at the ends go
                                          "600000|1|second\r\n"    // the first alias wins
                                          "000001|2|指数\r\n"
                                          "000001|x|bad market\r\n"));
    WatchList list = {test::Entry("600000", 1), test::Entry("000001", 2), test::Entry("600519", 1)};
    list[2].alias = "stale"; // not in the file: none
    WatchExtrasFile file(path);
    file.ApplyTo(list);
    EXPECT_EQ(list[0].alias, "银行A");
    EXPECT_EQ(list[0].riseRate, 5.0); // the alias line takes nothing from the rates
    EXPECT_EQ(list[1].alias, "指数");
    EXPECT_EQ(list[1].riseRate, 0.0);
    EXPECT_EQ(list[2].alias, "");
    EXPECT_EQ(ShownName(list[0]), "银行A");
    list[2].name = "贵州茅台";
    EXPECT_EQ(ShownName(list[2]), "贵州茅台");

    // Written back: the rate line keeps its four fields (what older readers read), the alias
    // follows on a line of three, separators in it become blanks.
    list[1].alias = "a|b,c\nd";
    list[2].alias = "   ";
    ASSERT_TRUE(file.Write(list));
    EXPECT_EQ(ReadFileBytes(path).value_or(""), "600000|1|5.00|3.00\r\n600000|1|银行A\r\n"
                                                "000001|2|a b c d\r\n000001|x|bad market\r\n");
    WatchList again = {test::Entry("000001", 2)};
    file.ApplyTo(again);
    EXPECT_EQ(again[0].alias, "a b c d");
}

} // namespace
} // namespace marlune
