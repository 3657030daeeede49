// The schedule that hides the ticker: the trading day of the list's markets and stale quotes
// at chosen Beijing times (2026-04-24 is a Friday; New York keeps daylight saving then).

#include "quote/HideSchedule.h"
#include "text/BeijingTime.h"

#include "QuoteTestSupport.h"

#include <gtest/gtest.h>

namespace marlune {
namespace {

std::int64_t Beijing(int day, int hour, int minute, int second = 0) {
    return UnixSecondsOfBeijing(2026, 4, day, hour, minute, second);
}

TEST(HideSchedule, TheTradingDayRunsFromTheFirstOpenToTheLastCloseOfTheListsMarkets) {
    const WatchList ashares = {test::Entry("600000", kMarketShanghai),
                               test::Entry("000001", kMarketShenzhen)};
    EXPECT_FALSE(InTradingDay(ashares, Beijing(24, 9, 14, 59)));
    EXPECT_TRUE(InTradingDay(ashares, Beijing(24, 9, 15)));
    EXPECT_TRUE(InTradingDay(ashares, Beijing(24, 12, 0))); // the lunch break keeps it
    EXPECT_TRUE(InTradingDay(ashares, Beijing(24, 14, 59, 59)));
    EXPECT_FALSE(InTradingDay(ashares, Beijing(24, 15, 0)));
    EXPECT_FALSE(InTradingDay(ashares, Beijing(25, 10, 0))); // Saturday
    EXPECT_TRUE(InTradingDay(ashares, Beijing(27, 9, 15)));  // Monday's open
    EXPECT_TRUE(InTradingDay({}, Beijing(24, 10, 0)));       // an empty list keeps Shanghai's hours
    EXPECT_FALSE(InTradingDay({}, Beijing(24, 20, 0)));

    // With a US stock the New York session counts too, across Beijing's midnight.
    WatchList mixed = ashares;
    mixed.push_back(test::Entry("AAPL", kMarketUnitedStates));
    EXPECT_FALSE(InTradingDay(mixed, Beijing(24, 21, 29)));
    EXPECT_TRUE(InTradingDay(mixed, Beijing(24, 21, 30)));
    EXPECT_TRUE(InTradingDay(mixed, Beijing(25, 3, 59))); // still Friday in New York
    EXPECT_FALSE(InTradingDay(mixed, Beijing(25, 4, 0)));
    // Hong Kong closes at 16:10.
    const WatchList hongKong = {test::Entry("00700", kMarketHongKong)};
    EXPECT_TRUE(InTradingDay(hongKong, Beijing(24, 16, 0)));
    EXPECT_FALSE(InTradingDay(hongKong, Beijing(24, 16, 10)));
}

TEST(HideSchedule, QuotesOfAnotherDayOrStoppedTenMinutesAgoAreStale) {
    const WatchList list = {test::Entry("600000", kMarketShanghai)};
    // Another day's quotes in the trading day: a holiday, a service that stopped.
    EXPECT_TRUE(QuotesStale(list, Beijing(24, 10, 0), "2026-04-23 15:00:03"));
    EXPECT_TRUE(QuotesStale(list, Beijing(24, 12, 0), "2026/04/23 15:00:03")); // NetEase's form
    // Today's: fresh until they are more than ten minutes old inside a session.
    EXPECT_FALSE(QuotesStale(list, Beijing(24, 10, 0), "2026-04-24 09:59:00"));
    EXPECT_FALSE(QuotesStale(list, Beijing(24, 10, 0), "2026-04-24 09:50:00"));
    EXPECT_TRUE(QuotesStale(list, Beijing(24, 10, 0), "2026-04-24 09:49:59"));
    // Not in the first ten minutes of a session, nor in the lunch break, nor after the close.
    EXPECT_FALSE(QuotesStale(list, Beijing(24, 13, 9), "2026-04-24 11:30:00"));
    EXPECT_TRUE(QuotesStale(list, Beijing(24, 13, 10, 1), "2026-04-24 11:30:00"));
    EXPECT_FALSE(QuotesStale(list, Beijing(24, 12, 30), "2026-04-24 11:30:00"));
    EXPECT_FALSE(QuotesStale(list, Beijing(24, 20, 0), "2026-04-23 15:00:00"));
    // No quotes yet, or a time without a year read for its day only (Google's).
    EXPECT_FALSE(QuotesStale(list, Beijing(24, 10, 0), ""));
    EXPECT_FALSE(QuotesStale(list, Beijing(24, 10, 40), "Apr 24, 10:24AM GMT+8"));
    EXPECT_TRUE(QuotesStale(list, Beijing(24, 10, 40), "Apr 23, 2:59PM GMT+8"));
    // US quotes are told in New York time: never taken for stale by Beijing's clock.
    const WatchList us = {test::Entry("AAPL", kMarketUnitedStates)};
    EXPECT_FALSE(QuotesStale(us, Beijing(24, 22, 40), "2026-04-24 10:00:00"));
}

TEST(HideSchedule, HiddenAfterTheCloseAndWhileStaleOnlyWhenAsked) {
    const WatchList list = {test::Entry("600000", kMarketShanghai)};
    const std::string yesterday = "2026-04-23 15:00:03";
    EXPECT_FALSE(ScheduleHidesTicker(false, true, list, Beijing(24, 20, 0), yesterday));
    EXPECT_TRUE(ScheduleHidesTicker(true, false, list, Beijing(24, 20, 0), yesterday));
    EXPECT_FALSE(ScheduleHidesTicker(true, false, list, Beijing(24, 10, 0), yesterday));
    EXPECT_TRUE(ScheduleHidesTicker(true, true, list, Beijing(24, 10, 0), yesterday));
    EXPECT_FALSE(ScheduleHidesTicker(true, true, list, Beijing(24, 10, 0), "2026-04-24 09:59:58"));
}

} // namespace
} // namespace marlune
