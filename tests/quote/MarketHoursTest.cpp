// The market table and each market's trading sessions at chosen moments, in both New York
// daylight-saving regimes.

#include "quote/MarketHours.h"
#include "quote/Markets.h"
#include "text/BeijingTime.h"

#include <gtest/gtest.h>

namespace marlune {
namespace {

const MarketInfo& Market(int number) {
    const MarketInfo* market = MarketOf(number);
    EXPECT_NE(market, nullptr);
    return market ? *market : MarketTable().front();
}

std::int64_t Beijing(int year, int month, int day, int hour, int minute, int second = 0) {
    return UnixSecondsOfBeijing(year, month, day, hour, minute, second);
}

TEST(MarketTable, EveryMarketWithItsCodesServicesAndCurrency) {
    ASSERT_EQ(MarketTable().size(), 6u);
    EXPECT_EQ(MarketOf(0), nullptr);
    EXPECT_EQ(MarketOf(7), nullptr);
    EXPECT_STREQ(Market(kMarketHongKong).currency, "HKD");
    EXPECT_STREQ(Market(kMarketUnitedStates).currency, "USD");
    EXPECT_STREQ(Market(kMarketBeijing).currency, "CNY");

    EXPECT_TRUE(IsBeijingCode("430047") && IsBeijingCode("830799") && IsBeijingCode("870204"));
    EXPECT_TRUE(IsBeijingCode("920118") && IsBeijingCode("899050"));
    EXPECT_FALSE(IsBeijingCode("600000") || IsBeijingCode("92011") || IsBeijingCode("921000"));
    EXPECT_TRUE(IsHongKongCode("00700") && IsHongKongCode("HSI"));
    EXPECT_FALSE(IsHongKongCode("0700") || IsHongKongCode("007000") || IsHongKongCode("hsi"));
    EXPECT_TRUE(IsUsCode("AAPL") && IsUsCode("BRK.B") && IsUsCode("$dji") && IsUsCode("aapl"));
    EXPECT_FALSE(IsUsCode("") || IsUsCode("AAPL1") || IsUsCode("BRK.") || IsUsCode("TOOLONGX") ||
                 IsUsCode("A|B"));

    EXPECT_EQ(MarketOfTypedCode("600519"), kMarketShanghai);
    EXPECT_EQ(MarketOfTypedCode("300750"), kMarketShenzhen);
    EXPECT_EQ(MarketOfTypedCode("920118"), kMarketBeijing);
    EXPECT_EQ(MarketOfTypedCode("161725"), kMarketFund);
    EXPECT_EQ(MarketOfTypedCode("00700"), kMarketHongKong);
    EXPECT_EQ(MarketOfTypedCode("BRK.B"), kMarketUnitedStates);
    EXPECT_EQ(MarketOfTypedCode("12"), std::nullopt);

    // Each service's name for a code; funds only from the fund service.
    const MarketInfo& us = Market(kMarketUnitedStates);
    EXPECT_EQ(ServiceCodeOf(kSourceSina, us, "BRK.B"), "gb_brk.b");
    EXPECT_EQ(ServiceCodeOf(kSourceTencent, us, "aapl"), "usAAPL");
    EXPECT_EQ(ServiceCodeOf(kSourceEastMoney, us, "AAPL"), "105.AAPL,106.AAPL,107.AAPL");
    const MarketInfo& hk = Market(kMarketHongKong);
    EXPECT_EQ(ServiceCodeOf(kSourceSina, hk, "00700"), "rt_hk00700");
    EXPECT_EQ(ServiceCodeOf(kSourceTencent, hk, "00700"), "r_hk00700");
    EXPECT_EQ(ServiceCodeOf(kSourceEastMoney, hk, "00700"), "116.00700");
    EXPECT_EQ(ServiceCodeOf(kSourceEastMoney, Market(kMarketBeijing), "920118"), "0.920118");
    EXPECT_EQ(ServiceCodeOf(kSourceSina, Market(kMarketShanghai), "600000"), "sh600000");
    const MarketInfo& fund = Market(kMarketFund);
    EXPECT_TRUE(fund.fundService);
    for (int source : {kSourceSina, kSourceTencent, kSourceEastMoney, kSourceNetEase, kSourceGoogle})
        EXPECT_EQ(ServiceCodeOf(source, fund, "161725"), "") << source;
    EXPECT_FALSE(ServiceQuotesMarket(kSourceNetEase, hk));
    EXPECT_TRUE(ServiceQuotesMarket(kSourceGoogle, Market(kMarketShenzhen)));
}

TEST(MarketHours, NewYorkDaylightSavingBeginsAndEndsAtTwoInTheMorning) {
    // 2026: from Sunday 8 March 02:00 EST (07:00 UTC) to Sunday 1 November 02:00 EDT (06:00 UTC).
    const std::int64_t march8 = DaysFromCivil(2026, 3, 8) * 86400;
    EXPECT_EQ(NewYorkOffsetSeconds(march8 + 7 * 3600 - 1), -5 * 3600);
    EXPECT_EQ(NewYorkOffsetSeconds(march8 + 7 * 3600), -4 * 3600);
    const std::int64_t november1 = DaysFromCivil(2026, 11, 1) * 86400;
    EXPECT_EQ(NewYorkOffsetSeconds(november1 + 6 * 3600 - 1), -4 * 3600);
    EXPECT_EQ(NewYorkOffsetSeconds(november1 + 6 * 3600), -5 * 3600);
    // 2027 moves with the calendar: 14 March and 7 November.
    EXPECT_EQ(NewYorkOffsetSeconds(DaysFromCivil(2027, 3, 13) * 86400 + 12 * 3600), -5 * 3600);
    EXPECT_EQ(NewYorkOffsetSeconds(DaysFromCivil(2027, 3, 15) * 86400), -4 * 3600);
    EXPECT_EQ(NewYorkOffsetSeconds(DaysFromCivil(2027, 11, 6) * 86400 + 12 * 3600), -4 * 3600);
    EXPECT_EQ(NewYorkOffsetSeconds(DaysFromCivil(2027, 11, 8) * 86400), -5 * 3600);

    // A New York wall-clock time back to UTC, on either side of each switch.
    const std::int64_t julyNoon = DaysFromCivil(2026, 7, 15) * 86400 + 12 * 3600;
    EXPECT_EQ(UnixSecondsOfMarketTime(MarketClock::NewYork, julyNoon), julyNoon + 4 * 3600);
    const std::int64_t decemberNoon = DaysFromCivil(2026, 12, 9) * 86400 + 12 * 3600;
    EXPECT_EQ(UnixSecondsOfMarketTime(MarketClock::NewYork, decemberNoon), decemberNoon + 5 * 3600);
}

TEST(MarketHours, UsEveningSessionRunsAcrossMidnightInBothRegimes) {
    const MarketInfo& us = Market(kMarketUnitedStates);
    // Summer (EDT): 21:30-04:00 Beijing time. Wednesday 15 July 2026.
    EXPECT_FALSE(IsMarketInSession(us, Beijing(2026, 7, 15, 21, 29, 59)));
    EXPECT_TRUE(IsMarketInSession(us, Beijing(2026, 7, 15, 21, 30)));
    EXPECT_TRUE(IsMarketInSession(us, Beijing(2026, 7, 16, 0, 10)));
    EXPECT_TRUE(IsMarketInSession(us, Beijing(2026, 7, 16, 3, 59, 59)));
    EXPECT_FALSE(IsMarketInSession(us, Beijing(2026, 7, 16, 4, 0)));
    EXPECT_EQ(LatestSessionEnd(us, Beijing(2026, 7, 16, 4, 0, 30)), Beijing(2026, 7, 16, 4, 0));
    EXPECT_EQ(LatestSessionEnd(us, Beijing(2026, 7, 16, 3, 0)), std::nullopt);
    // Winter (EST): 22:30-05:00. Wednesday 9 December 2026.
    EXPECT_FALSE(IsMarketInSession(us, Beijing(2026, 12, 9, 21, 45)));
    EXPECT_TRUE(IsMarketInSession(us, Beijing(2026, 12, 9, 22, 30)));
    EXPECT_TRUE(IsMarketInSession(us, Beijing(2026, 12, 10, 4, 59)));
    EXPECT_FALSE(IsMarketInSession(us, Beijing(2026, 12, 10, 5, 0)));
    // The week is New York's: Saturday 03:00 Beijing is Friday afternoon there, Monday
    // 03:00 Beijing still Sunday.
    EXPECT_TRUE(IsMarketInSession(us, Beijing(2026, 7, 18, 3, 0)));
    EXPECT_FALSE(IsMarketInSession(us, Beijing(2026, 7, 20, 3, 0)));
    EXPECT_TRUE(IsMarketInSession(us, Beijing(2026, 7, 20, 22, 0)));
}

TEST(MarketHours, HongKongLunchAShareHoursAndTheFundEvening) {
    const MarketInfo& hk = Market(kMarketHongKong);
    const MarketInfo& shanghai = Market(kMarketShanghai);
    const MarketInfo& beijing = Market(kMarketBeijing);
    EXPECT_FALSE(IsMarketInSession(hk, Beijing(2026, 12, 9, 9, 29)));
    EXPECT_TRUE(IsMarketInSession(hk, Beijing(2026, 12, 9, 9, 30)));
    EXPECT_TRUE(IsMarketInSession(hk, Beijing(2026, 12, 9, 11, 59)));
    EXPECT_FALSE(IsMarketInSession(hk, Beijing(2026, 12, 9, 12, 0))); // lunch
    EXPECT_FALSE(IsMarketInSession(hk, Beijing(2026, 12, 9, 12, 59)));
    EXPECT_TRUE(IsMarketInSession(hk, Beijing(2026, 12, 9, 13, 0)));
    EXPECT_TRUE(IsMarketInSession(hk, Beijing(2026, 12, 9, 16, 9))); // closing auction
    EXPECT_FALSE(IsMarketInSession(hk, Beijing(2026, 12, 9, 16, 10)));
    EXPECT_EQ(LatestSessionEnd(hk, Beijing(2026, 12, 9, 12, 30)), Beijing(2026, 12, 9, 12, 0));
    // Shanghai is at lunch from 11:30, Hong Kong still trades; after 15:00 only Hong Kong.
    EXPECT_FALSE(IsMarketInSession(shanghai, Beijing(2026, 12, 9, 11, 45)));
    EXPECT_TRUE(IsMarketInSession(hk, Beijing(2026, 12, 9, 11, 45)));
    EXPECT_FALSE(IsMarketInSession(beijing, Beijing(2026, 12, 9, 15, 30)));
    EXPECT_TRUE(IsMarketInSession(beijing, Beijing(2026, 12, 9, 9, 15)));
    EXPECT_FALSE(IsMarketInSession(hk, Beijing(2026, 12, 12, 10, 0))); // Saturday

    // Funds: estimates while the A-share exchanges trade, the net value from 20:00.
    const MarketInfo& fund = Market(kMarketFund);
    EXPECT_TRUE(IsMarketInSession(fund, Beijing(2026, 12, 9, 14, 35)));
    EXPECT_FALSE(IsMarketInSession(fund, Beijing(2026, 12, 9, 20, 30)));
    EXPECT_FALSE(IsFundNetValueTime(Beijing(2026, 12, 9, 19, 59, 59)));
    EXPECT_TRUE(IsFundNetValueTime(Beijing(2026, 12, 9, 20, 0)));
    EXPECT_TRUE(IsFundNetValueTime(Beijing(2026, 12, 9, 23, 59)));
    EXPECT_FALSE(IsFundNetValueTime(Beijing(2026, 12, 12, 21, 0))); // Saturday
}

TEST(MarketHours, TheStatusLineNamesClosedMarketsOnlyWhenTheyMatterForTheRows) {
    StockEntry shanghai;
    shanghai.market = kMarketShanghai;
    StockEntry hongKong;
    hongKong.market = kMarketHongKong;
    StockEntry us;
    us.market = kMarketUnitedStates;
    const WatchList mixed{shanghai, hongKong, us};
    // 10:00 in winter: Shanghai and Hong Kong trade, New York sleeps.
    EXPECT_EQ(MarketsInSession(mixed, Beijing(2026, 12, 9, 10, 0)),
              (std::vector<int>{kMarketShanghai, kMarketHongKong}));
    EXPECT_EQ(ClosedMarketsText(mixed, Beijing(2026, 12, 9, 10, 0)), "美股休市");
    // Lunch in Shanghai (11:45): Hong Kong trades on.
    EXPECT_EQ(ClosedMarketsText(mixed, Beijing(2026, 12, 9, 11, 45)), "美股休市");
    // Hong Kong's lunch (12:30): nothing trades, the status line says so as for A shares.
    EXPECT_EQ(ClosedMarketsText(mixed, Beijing(2026, 12, 9, 12, 30)), "");
    // 23:00: only New York trades.
    EXPECT_EQ(ClosedMarketsText(mixed, Beijing(2026, 12, 9, 23, 0)), "港股休市");
    // Without a US row New York's hours do not matter.
    EXPECT_EQ(ClosedMarketsText({shanghai, hongKong}, Beijing(2026, 12, 9, 15, 30)), "");
    EXPECT_EQ(ClosedMarketsText({shanghai}, Beijing(2026, 12, 9, 23, 0)), "");
    EXPECT_EQ(MarketsInSession({}, Beijing(2026, 12, 9, 10, 0)), std::vector<int>{});

    // Holidays found from the quotes count as closed all day. Hong Kong's while Shanghai
    // trades (10:00 and 14:00):
    const std::vector<int> hongKongHoliday{kMarketHongKong};
    EXPECT_EQ(ClosedMarketsText({shanghai, hongKong}, Beijing(2026, 12, 9, 10, 0), hongKongHoliday),
              "港股休市");
    EXPECT_EQ(ClosedMarketsText(mixed, Beijing(2026, 12, 9, 14, 0), hongKongHoliday), "港股休市，美股休市");
    // ... and after 15:00 nothing else trades: the A-share closing text stands alone.
    EXPECT_EQ(ClosedMarketsText({shanghai, hongKong}, Beijing(2026, 12, 9, 15, 30), hongKongHoliday), "");
    // An A-share holiday while Hong Kong trades: the US row is still named.
    const std::vector<int> aShareHoliday{kMarketShanghai, kMarketShenzhen, kMarketBeijing, kMarketFund};
    EXPECT_EQ(ClosedMarketsText(mixed, Beijing(2026, 12, 9, 10, 0), aShareHoliday), "美股休市");
    EXPECT_EQ(ClosedMarketsText({shanghai, us}, Beijing(2026, 12, 9, 10, 0), aShareHoliday), "");
    // A US holiday at 23:00: nothing trades.
    EXPECT_EQ(ClosedMarketsText(mixed, Beijing(2026, 12, 9, 23, 0), {kMarketUnitedStates}), "");
}

} // namespace
} // namespace marlune
