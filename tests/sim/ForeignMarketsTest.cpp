// The simulated market's Beijing, Hong Kong, US and fund replies, read by the program's
// parsers: the same texts from Sina and Tencent, each market's own sessions on the
// exchanges' calendar, fund estimates and net values, exchange rates.

#include "sim/ForeignMarkets.h"
#include "quote/EastMoneyQuotes.h"
#include "quote/ExchangeRates.h"
#include "quote/FundEstimate.h"
#include "quote/QuoteParsers.h"
#include "quote/TencentQuotes.h"
#include "sim/Market.h"
#include "sim/ServiceRouter.h"
#include "text/BeijingTime.h"
#include "text/CNumber.h"
#include "text/Gbk.h"

#include <gtest/gtest.h>

using namespace marlune;

namespace {

QuoteBook BookOf(std::initializer_list<std::pair<const char*, int>> codes) {
    WatchList list;
    for (const auto& [code, market] : codes) {
        StockEntry entry;
        entry.code = code;
        entry.market = market;
        list.push_back(entry);
    }
    QuoteBook book;
    book.setWatchList(list);
    return book;
}

QuoteBook Watched() {
    return BookOf({{"920118", kMarketBeijing},
                   {"00700", kMarketHongKong},
                   {"00980", kMarketHongKong},
                   {"AAPL", kMarketUnitedStates},
                   {"BRK.B", kMarketUnitedStates}});
}

std::int64_t Beijing(int year, int month, int day, int hour, int minute) {
    return UnixSecondsOfBeijing(year, month, day, hour, minute, 0);
}

void ExpectSameTexts(const QuoteBook& a, const QuoteBook& b, const std::string& moment) {
    for (std::size_t row = 0; row < a.watchList.size(); ++row) {
        const QuoteRecord& x = a.watchList[row].quote;
        const QuoteRecord& y = b.watchList[row].quote;
        EXPECT_FALSE(x.price.empty()) << moment << " row " << row;
        for (auto field : {&QuoteRecord::code, &QuoteRecord::name, &QuoteRecord::volume, &QuoteRecord::amount,
                           &QuoteRecord::change, &QuoteRecord::changeRate, &QuoteRecord::amplitude,
                           &QuoteRecord::dateTime})
            EXPECT_EQ(x.*field, y.*field) << moment << " row " << row;
        // Hong Kong and US prices in the market's decimals from every service; Beijing's, as
        // the A shares', with the decimals each service sends (Sina three, the others two).
        const bool aShareRules = a.watchList[row].market == kMarketBeijing;
        for (auto field : {&QuoteRecord::price, &QuoteRecord::low, &QuoteRecord::high, &QuoteRecord::open,
                           &QuoteRecord::previousClose}) {
            if (aShareRules)
                EXPECT_DOUBLE_EQ(AtoF(x.*field), AtoF(y.*field)) << moment << " row " << row;
            else
                EXPECT_EQ(x.*field, y.*field) << moment << " row " << row;
        }
    }
}

TEST(ForeignMarketsSim, SinaAndTencentGiveTheSameTextsAroundTheClockAndOnTheCalendar) {
    std::int64_t now = Beijing(2026, 12, 9, 10, 21);
    sim::Market market(7, [&now] { return now; });
    for (bool calendar : {false, true}) {
        market.SetCalendar(sim::ExchangeCalendar{calendar, {}});
        for (int step = 0; step < 30; ++step, now += 2377) {
            QuoteBook sina = Watched();
            QuoteBook tencent = Watched();
            ParseSinaReply(sina, market.SinaReply({"bj920118", "rt_hk00700", "rt_hk00980", "gb_aapl",
                                                   "gb_brk.b", "rt_hk99999", "gb_nosuch"}));
            ParseTencentReply(tencent, market.TencentReply({"bj920118", "r_hk00700", "r_hk00980", "usAAPL",
                                                            "usBRK.B", "r_hk99999"}));
            QuoteBook eastMoney = Watched();
            ParseEastMoneyReply(
                eastMoney,
                market.EastMoneyReply({"0.920118", "116.00700", "116.00980", "105.AAPL", "106.AAPL",
                                       "107.AAPL", "105.BRK.B", "106.BRK.B", "107.BRK.B", "116.99999"}));
            ASSERT_EQ(sina.quoteList.size(), 5u) << step;
            ASSERT_EQ(tencent.quoteList.size(), 5u) << step;
            ASSERT_EQ(eastMoney.quoteList.size(), 5u) << step;
            ExpectSameTexts(sina, tencent, BeijingTimeAt(now).DateTime());
            ExpectSameTexts(sina, eastMoney, BeijingTimeAt(now).DateTime());
            // Around the clock a US quote is of the same moment as the A-share ones, not of a
            // New York clock that reads Beijing's hours.
            if (!calendar) {
                EXPECT_EQ(sina.watchList[3].quote.dateTime, sina.watchList[0].quote.dateTime) << step;
            }
            // Low-priced Hong Kong stocks with three decimals, volume in shares.
            EXPECT_EQ(sina.watchList[2].quote.price.size() - sina.watchList[2].quote.price.find('.'), 4u);
        }
    }
}

TEST(ForeignMarketsSim, EachMarketFollowsItsOwnSessions) {
    std::int64_t now = 0;
    sim::Market market(7, [&now] { return now; });
    market.SetCalendar(sim::ExchangeCalendar{true, {}});
    auto quoteAt = [&](std::int64_t moment, int row) {
        now = moment;
        QuoteBook book = Watched();
        ParseSinaReply(book,
                       market.SinaReply({"bj920118", "rt_hk00700", "rt_hk00980", "gb_aapl", "gb_brk.b"}));
        return book.watchList[static_cast<std::size_t>(row)].quote;
    };
    // Hong Kong at lunch: the 12:00 trade stands until 13:00.
    const QuoteRecord lunch = quoteAt(Beijing(2026, 12, 9, 12, 30), 1);
    EXPECT_EQ(lunch.dateTime, "2026-12-09 12:00:00");
    EXPECT_EQ(quoteAt(Beijing(2026, 12, 9, 12, 50), 1).price, lunch.price);
    EXPECT_EQ(quoteAt(Beijing(2026, 12, 9, 15, 30), 1).dateTime,
              "2026-12-09 15:30:00"); // after Shanghai's close
    EXPECT_EQ(quoteAt(Beijing(2026, 12, 9, 16, 30), 1).dateTime, "2026-12-09 16:10:00");

    // US in winter: before New York's open the last close (16:00 EST = 05:00 Beijing) stands.
    EXPECT_EQ(quoteAt(Beijing(2026, 12, 9, 20, 0), 3).dateTime, "2026-12-09 05:00:00");
    const QuoteRecord evening = quoteAt(Beijing(2026, 12, 9, 23, 0), 3);
    EXPECT_EQ(evening.dateTime, "2026-12-09 23:00:00");
    EXPECT_EQ(quoteAt(Beijing(2026, 12, 10, 1, 15), 3).dateTime, "2026-12-10 01:15:00"); // across midnight
    // In summer the session is an hour earlier: 16:00 EDT is 04:00 Beijing.
    EXPECT_EQ(quoteAt(Beijing(2026, 7, 15, 21, 0), 3).dateTime, "2026-07-15 04:00:00");
    EXPECT_EQ(quoteAt(Beijing(2026, 7, 15, 21, 40), 3).dateTime, "2026-07-15 21:40:00");
    // Saturday morning in Beijing is Friday afternoon in New York.
    EXPECT_EQ(quoteAt(Beijing(2026, 7, 18, 2, 0), 3).dateTime, "2026-07-18 02:00:00");
    EXPECT_EQ(quoteAt(Beijing(2026, 7, 19, 12, 0), 3).dateTime, "2026-07-18 04:00:00");

    // Beijing stocks keep the A-share hours.
    EXPECT_EQ(quoteAt(Beijing(2026, 12, 9, 16, 0), 0).dateTime.substr(0, 10), "2026-12-09");
}

TEST(ForeignMarketsSim, FundEstimatesNetValuesAndTheQdiiFund) {
    std::int64_t now = Beijing(2026, 12, 9, 10, 21);
    sim::Market market(7, [&now] { return now; });
    market.SetCalendar(sim::ExchangeCalendar{true, {}});
    std::optional<QuoteRecord> estimate =
        ParseFundEstimate(sim::FundEstimateReply(market, "161725", now), "161725");
    ASSERT_TRUE(estimate.has_value());
    EXPECT_NE(estimate->changeRate, "-");
    EXPECT_EQ(estimate->dateTime.substr(0, 16), "2026-12-09 10:21");
    EXPECT_EQ(estimate->price.size() - estimate->price.find('.'), 5u); // four decimals

    // After 20:00 the day's net value is out: it is shown, never the afternoon's estimate.
    now = Beijing(2026, 12, 9, 20, 30);
    std::optional<QuoteRecord> evening =
        ParseFundEstimate(sim::FundEstimateReply(market, "161725", now), "161725");
    ASSERT_TRUE(evening.has_value());
    EXPECT_EQ(evening->changeRate, "-");
    EXPECT_EQ(evening->dateTime, "2026-12-09");
    now = Beijing(2026, 12, 9, 19, 0);
    EXPECT_NE(ParseFundEstimate(sim::FundEstimateReply(market, "161725", now), "161725")->changeRate, "-");

    std::optional<QuoteRecord> qdii =
        ParseFundEstimate(sim::FundEstimateReply(market, "040046", now), "040046");
    ASSERT_TRUE(qdii.has_value());
    EXPECT_EQ(qdii->changeRate, "-");
    EXPECT_EQ(qdii->price, qdii->previousClose);
    EXPECT_EQ(sim::FundEstimateReply(market, "999999", now), "jsonpgz();");

    // Around the clock every session of the day has an estimate over an earlier day's net value,
    // the sessions after the day's first too.
    market.SetCalendar(sim::ExchangeCalendar{false, {}});
    for (int hour : {2, 10, 19, 23}) {
        now = Beijing(2026, 12, 10, hour, 0);
        const std::optional<QuoteRecord> played =
            ParseFundEstimate(sim::FundEstimateReply(market, "161725", now), "161725");
        ASSERT_TRUE(played.has_value()) << hour;
        EXPECT_NE(played->changeRate, "-") << hour;
    }

    // Over HTTP: the service's path, UTF-8.
    const sim::HttpReply reply = sim::RouteServiceRequest(market, {}, "/js/110011.js?rt=1796693400");
    EXPECT_EQ(reply.status, 200);
    EXPECT_TRUE(ParseFundEstimate(reply.body, "110011").has_value());
}

TEST(ForeignMarketsSim, ExchangeRatesOfBothCurrencies) {
    std::int64_t now = Beijing(2026, 12, 9, 10, 21);
    sim::Market market(7, [&now] { return now; });
    const std::vector<ExchangeRate> rates =
        ParseSinaExchangeRates(market.SinaReply({"fx_shkdcny", "fx_susdcny"}));
    ASSERT_EQ(rates.size(), 2u);
    EXPECT_EQ(rates[0].currency, "HKD");
    EXPECT_NEAR(rates[0].yuan, 0.92, 0.01);
    EXPECT_EQ(rates[1].currency, "USD");
    EXPECT_NEAR(rates[1].yuan, 7.17, 0.05);
    EXPECT_EQ(rates[1].time, "2026-12-09 10:21:00");
}

} // namespace
