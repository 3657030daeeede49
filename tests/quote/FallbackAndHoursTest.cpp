// Switching quote services when the selected one fails, and the trading-hours rules.

#include "QuoteTestSupport.h"
#include "quote/QuoteDate.h"
#include "quote/QuoteService.h"
#include "quote/SourceFallback.h"
#include "quote/TradingHours.h"
#include "text/BeijingTime.h"

#include <gtest/gtest.h>

namespace marlune {
namespace {

// A steady clock that keeps step with the wall clock.
std::int64_t SteadyAt(std::int64_t wallSeconds) {
    return wallSeconds * 1000;
}

TEST(SourceFallback, SwitchesAfterTwoFailuresKeepsTheAnswererAndComesBack) {
    SourceFallback fallback(kSourceSina, true);
    EXPECT_EQ(fallback.SourceForRefresh(), kSourceSina);
    fallback.OnResult(kSourceSina, RefreshResult::kNoReply);
    EXPECT_EQ(fallback.SourceForRefresh(), kSourceSina); // one failure is not enough
    fallback.OnResult(kSourceSina, RefreshResult::kNoReply);
    EXPECT_EQ(fallback.SourceForRefresh(), kSourceTencent);
    EXPECT_EQ(fallback.StatusText(), "行情来源：腾讯（新浪无响应）");
    fallback.OnResult(kSourceTencent, RefreshResult::kNoUsableRecords);
    EXPECT_EQ(fallback.Current(), kSourceEastMoney); // Tencent fails too: the next one
    fallback.OnResult(kSourceEastMoney, RefreshResult::kAnswered);
    // Kept, with Sina asked again every tenth refresh.
    int asked = 0;
    for (int i = 0; i < 20; ++i) {
        const int source = fallback.SourceForRefresh();
        if (source == kSourceSina) {
            ++asked;
            fallback.OnResult(kSourceSina, RefreshResult::kNoReply);
        } else {
            EXPECT_EQ(source, kSourceEastMoney);
        }
    }
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(fallback.StatusText(), "行情来源：东方财富（新浪无响应）");
    // A late reply of Tencent changes nothing; Sina answering is back for good.
    fallback.OnResult(kSourceTencent, RefreshResult::kNoReply);
    EXPECT_EQ(fallback.Current(), kSourceEastMoney);
    fallback.OnResult(kSourceSina, RefreshResult::kAnswered);
    EXPECT_FALSE(fallback.OnOtherSource());
    EXPECT_EQ(fallback.StatusText(), "");
}

TEST(SourceFallback, OrderSkipsTheSelectedAndOffMeansNever) {
    SourceFallback tencent(kSourceTencent, true);
    for (int i = 0; i < 2; ++i)
        tencent.OnResult(kSourceTencent, RefreshResult::kNoUsableRecords);
    EXPECT_EQ(tencent.Current(), kSourceSina);
    EXPECT_EQ(tencent.StatusText(), "行情来源：新浪（腾讯无数据）");
    tencent.OnResult(kSourceSina, RefreshResult::kNoReply);
    EXPECT_EQ(tencent.Current(), kSourceEastMoney);
    tencent.OnResult(kSourceEastMoney, RefreshResult::kNoReply);
    EXPECT_EQ(tencent.Current(), kSourceSina); // round again, never the selected one

    SourceFallback off(kSourceSina, false);
    for (int i = 0; i < 5; ++i)
        off.OnResult(kSourceSina, RefreshResult::kNoReply);
    EXPECT_EQ(off.SourceForRefresh(), kSourceSina);
    // An old setting of a service gone away falls back to Sina first.
    SourceFallback google(kSourceGoogle, true);
    for (int i = 0; i < 2; ++i)
        google.OnResult(kSourceGoogle, RefreshResult::kNoReply);
    EXPECT_EQ(google.Current(), kSourceSina);
}

std::int64_t Beijing(int month, int day, int hour, int minute, int second = 0) {
    return UnixSecondsOfBeijing(2026, month, day, hour, minute, second);
}

TEST(TradingHours, SessionsLunchEveningWeekendAndTheClosingRefresh) {
    // 2026-04-24 is a Friday, the 25th a Saturday.
    EXPECT_FALSE(IsInTradingSession(Beijing(4, 24, 9, 14, 59)));
    EXPECT_TRUE(IsInTradingSession(Beijing(4, 24, 9, 15)));
    EXPECT_TRUE(IsInTradingSession(Beijing(4, 24, 11, 29, 59)));
    EXPECT_FALSE(IsInTradingSession(Beijing(4, 24, 12, 0)));
    EXPECT_TRUE(IsInTradingSession(Beijing(4, 24, 14, 0)));
    EXPECT_FALSE(IsInTradingSession(Beijing(4, 24, 20, 0)));
    EXPECT_FALSE(IsInTradingSession(Beijing(4, 25, 10, 0)));

    TradingHoursGate gate(true);
    gate.OnRequested(SteadyAt(Beijing(4, 24, 11, 29, 55)));
    EXPECT_FALSE(gate.ShouldRefresh(Beijing(4, 24, 11, 30, 5), SteadyAt(Beijing(4, 24, 11, 30, 5))));
    EXPECT_TRUE(
        gate.ShouldRefresh(Beijing(4, 24, 11, 30, 35),
                           SteadyAt(Beijing(4, 24, 11, 30, 35)))); // once, for the morning's last prices
    gate.OnRequested(SteadyAt(Beijing(4, 24, 11, 30, 35)));
    EXPECT_FALSE(gate.ShouldRefresh(Beijing(4, 24, 11, 30, 45), SteadyAt(Beijing(4, 24, 11, 30, 45))));
    EXPECT_FALSE(gate.ShouldRefresh(Beijing(4, 24, 12, 30), SteadyAt(Beijing(4, 24, 12, 30))));
    EXPECT_TRUE(gate.ShouldRefresh(Beijing(4, 24, 13, 0), SteadyAt(Beijing(4, 24, 13, 0))));
    gate.OnRequested(SteadyAt(Beijing(4, 24, 14, 59, 58)));
    EXPECT_TRUE(gate.ShouldRefresh(Beijing(4, 24, 15, 0, 40), SteadyAt(Beijing(4, 24, 15, 0, 40))));
    gate.OnRequested(SteadyAt(Beijing(4, 24, 15, 0, 40)));
    EXPECT_FALSE(gate.ShouldRefresh(Beijing(4, 24, 20, 0), SteadyAt(Beijing(4, 24, 20, 0))));
    EXPECT_FALSE(gate.ShouldRefresh(Beijing(4, 25, 10, 0), SteadyAt(Beijing(4, 25, 10, 0))));
    EXPECT_TRUE(gate.IsClosed(Beijing(4, 25, 10, 0)));
    EXPECT_TRUE(
        TradingHoursGate(false).ShouldRefresh(Beijing(4, 25, 10, 0), SteadyAt(Beijing(4, 25, 10, 0))));
    // The closed texts say why, with the time of the last quotes.
    const std::string last = "2026-04-24 15:00:03";
    EXPECT_EQ(ClosedStatusText(Beijing(4, 24, 12, 0), false, "2026-04-24 11:30:03"),
              "午间休市（最后行情：2026-04-24 11:30:03）");
    EXPECT_EQ(ClosedStatusText(Beijing(4, 24, 15, 0), false, last),
              "已收盘（最后行情：2026-04-24 15:00:03）");
    EXPECT_EQ(ClosedStatusText(Beijing(4, 24, 23, 59), false, ""), "已收盘");
    EXPECT_EQ(ClosedStatusText(Beijing(4, 25, 10, 0), false, last), "休市（最后行情：2026-04-24 15:00:03）");
    EXPECT_EQ(ClosedStatusText(Beijing(4, 27, 9, 0), false, last), "休市（最后行情：2026-04-24 15:00:03）");
    EXPECT_EQ(ClosedStatusText(Beijing(5, 1, 12, 0), true, "2026-04-30 15:00:03"),
              "休市（最后行情：2026-04-30 15:00:03）"); // a holiday has no lunch break
}

TEST(TradingHours, StepsOfTheWallClockNeitherDelayNorSkipTheWaits) {
    // A day found closed is asked again 10 minutes later on the steady clock, though the
    // wall clock was set back an hour meanwhile.
    TradingHoursGate holiday(true);
    std::int64_t steady = 7'000'000;
    holiday.OnRequested(steady);
    holiday.OnQuotes(Beijing(5, 1, 10, 0), "2026-04-30 15:00:03");
    steady += 600'000;
    EXPECT_TRUE(holiday.ShouldRefresh(Beijing(5, 1, 9, 10), steady));
    EXPECT_FALSE(holiday.ShouldRefresh(Beijing(5, 1, 11, 10), steady - 1'000)) << "a step forward is no wait";

    // The morning's catch-up: the last request was made with the clock a day ahead; set right,
    // it is 11:35 and that request was 10 minutes ago, before 11:30: the catch-up is due.
    TradingHoursGate gate(true);
    gate.OnRequested(steady);
    EXPECT_TRUE(gate.ShouldRefresh(Beijing(4, 24, 11, 35), steady + 600'000));
    // A request 4 minutes ago, after 11:30, was the catch-up already, whatever the wall
    // clock read when it was made.
    EXPECT_FALSE(gate.ShouldRefresh(Beijing(4, 24, 11, 35), steady + 240'000));
}

TEST(TradingHours, AHolidayIsFoundFromTheQuotesDates) {
    // Friday 2026-05-01: quotes still dated the 30th after 09:35.
    TradingHoursGate gate(true);
    gate.OnQuotes(Beijing(5, 1, 9, 20), "2026-04-30 15:00:03"); // before 09:35: no verdict
    EXPECT_TRUE(gate.ShouldRefresh(Beijing(5, 1, 9, 36), SteadyAt(Beijing(5, 1, 9, 36))));
    gate.OnRequested(SteadyAt(Beijing(5, 1, 9, 36)));
    gate.OnQuotes(Beijing(5, 1, 9, 36), "2026-04-30 15:00:03");
    EXPECT_TRUE(gate.IsClosed(Beijing(5, 1, 10, 0)));
    EXPECT_FALSE(gate.ShouldRefresh(Beijing(5, 1, 9, 45), SteadyAt(Beijing(5, 1, 9, 45))));
    EXPECT_TRUE(gate.ShouldRefresh(Beijing(5, 1, 9, 46), SteadyAt(Beijing(5, 1, 9, 46)))); // every 10 minutes
    // Today's date after all: open again. And the next day starts afresh.
    gate.OnQuotes(Beijing(5, 1, 9, 46), "2026-05-01 09:46:00");
    EXPECT_FALSE(gate.IsClosed(Beijing(5, 1, 9, 47)));
    gate.OnQuotes(Beijing(5, 1, 9, 50), "2026-04-30 15:00:03");
    EXPECT_FALSE(gate.IsClosedDay(Beijing(5, 4, 9, 50)));

    QuoteBook book = test::BookOf({test::Entry("600000", 1), test::Entry("000001", 2)});
    book.watchList[0].quote.dateTime = "2026/04/30 15:00:03";
    book.watchList[1].quote.dateTime = "2026-04-30 14:59:59";
    EXPECT_EQ(LatestQuoteTime(book), "2026-04-30 15:00:03");
}

// Every service's form of the date is read as a date: Google's English one (no year), NetEase's
// slashes, the others' dashes. A date that cannot be read never makes a holiday.
TEST(TradingHours, DatesOfEveryServiceAreComparedAsDates) {
    const std::int64_t friday = Beijing(4, 24, 10, 24);
    for (const char* today : {"Apr 24, 10:24AM GMT+8", "2026/04/24 10:24:00", "2026-04-24 10:24:00"}) {
        TradingHoursGate gate(true);
        gate.OnQuotes(friday, today);
        EXPECT_FALSE(gate.IsClosedDay(friday)) << today;
        EXPECT_TRUE(gate.ShouldRefresh(friday + 5, SteadyAt(friday + 5))) << today;
    }
    for (const char* unreadable : {"", " ", "garbage", "2026-02-30 10:00:00", "Apx 24, 10:24AM", "Apr 24x"}) {
        TradingHoursGate gate(true);
        gate.OnQuotes(friday, unreadable);
        EXPECT_FALSE(gate.IsClosedDay(friday)) << unreadable;
    }
    for (const char* yesterday : {"Apr 23, 3:00PM GMT+8", "2026/04/23 15:00:03", "2026-04-23 15:00:03"}) {
        TradingHoursGate gate(true);
        gate.OnQuotes(friday, yesterday);
        EXPECT_TRUE(gate.IsClosedDay(friday)) << yesterday;
    }

    EXPECT_EQ(QuoteDayNumber("Apr 24, 10:24AM GMT+8", friday), DaysFromCivil(2026, 4, 24));
    EXPECT_EQ(QuoteDayNumber("Apr 3, 9:30AM GMT+8", friday), DaysFromCivil(2026, 4, 3));
    // Google names no year: the nearest one, across the turn of the year both ways.
    const std::int64_t newYear = UnixSecondsOfBeijing(2027, 1, 1, 9, 40, 0);
    EXPECT_EQ(QuoteDayNumber("Dec 31, 3:00PM GMT+8", newYear), DaysFromCivil(2026, 12, 31));
    EXPECT_EQ(QuoteDayNumber("Jan 2, 9:30AM GMT+8", UnixSecondsOfBeijing(2026, 12, 31, 9, 40, 0)),
              DaysFromCivil(2027, 1, 2));
    EXPECT_EQ(QuoteDayNumber("Feb 29, 9:30AM", UnixSecondsOfBeijing(2028, 3, 1, 9, 40, 0)),
              DaysFromCivil(2028, 2, 29));
    EXPECT_FALSE(QuoteDayNumber("2026-04/24 10:00:00", friday));
    EXPECT_FALSE(QuoteDayNumber("2026-13-01", friday));
}

} // namespace
} // namespace marlune
