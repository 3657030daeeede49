// The Tencent and East Money replies of the simulated market, read by the program's parsers,
// and the market's clock on the exchanges' calendar.

#include "quote/EastMoneyQuotes.h"
#include "quote/QuoteParsers.h"
#include "quote/TencentQuotes.h"
#include "sim/Market.h"
#include "sim/ServiceRouter.h"
#include "text/BeijingTime.h"
#include "text/CNumber.h"

#include <gtest/gtest.h>

using namespace marlune;

namespace {

WatchList Watch(std::initializer_list<std::pair<const char*, int>> codes) {
    WatchList list;
    for (const auto& [code, market] : codes) {
        StockEntry entry;
        entry.code = code;
        entry.market = market;
        entry.quantity = 100;
        entry.cost = 5.0f;
        list.push_back(entry);
    }
    return list;
}

QuoteBook BookOf(const WatchList& list) {
    QuoteBook book;
    book.setWatchList(list);
    return book;
}

TEST(NewSourcesSim, EverySourceGivesTheTextsOfSinaAtManyMoments) {
    const WatchList list =
        Watch({{"000001", 1}, {"399001", 2}, {"600000", 1}, {"000001", 2}, {"300750", 2}, {"688981", 1}});
    std::int64_t now = 1796693400;
    sim::Market market(7, [&now] { return now; });
    for (int step = 0; step < 40; ++step, now += 977) {
        QuoteBook sina = BookOf(list);
        QuoteBook tencent = BookOf(list);
        QuoteBook eastMoney = BookOf(list);
        ParseSinaReply(
            sina, market.SinaReply({"sh000001", "sz399001", "sh600000", "sz000001", "sz300750", "sh688981"}));
        ParseTencentReply(tencent, market.TencentReply({"sh000001", "sz399001", "sh600000", "sz000001",
                                                        "sz300750", "sh688981", "sh999999"}));
        ParseEastMoneyReply(eastMoney, market.EastMoneyReply({"1.000001", "0.399001", "1.600000", "0.000001",
                                                              "0.300750", "1.688981", "1.999999"}));
        ASSERT_EQ(sina.quoteList.size(), 6u);
        ASSERT_EQ(tencent.quoteList.size(), 6u);
        ASSERT_EQ(eastMoney.quoteList.size(), 6u);
        for (std::size_t row = 0; row < list.size(); ++row) {
            for (const QuoteBook* other : {&tencent, &eastMoney}) {
                const QuoteRecord& a = sina.watchList[row].quote;
                const QuoteRecord& b = other->watchList[row].quote;
                // Each service writes prices with its own decimals (Sina "7.170", Tencent
                // "7.17"): the same values; every other text is the same.
                for (auto price : {&QuoteRecord::price, &QuoteRecord::low, &QuoteRecord::high,
                                   &QuoteRecord::open, &QuoteRecord::previousClose})
                    EXPECT_EQ(AtoF(a.*price), AtoF(b.*price)) << "row " << row << " step " << step;
                for (auto field :
                     {&QuoteRecord::code, &QuoteRecord::name, &QuoteRecord::volume, &QuoteRecord::amount,
                      &QuoteRecord::changeRate, &QuoteRecord::change, &QuoteRecord::amplitude,
                      &QuoteRecord::plRate, &QuoteRecord::plAmount, &QuoteRecord::dateTime})
                    EXPECT_EQ(a.*field, b.*field) << "row " << row << " step " << step;
            }
        }
    }
    // Unknown codes: Tencent's own statement, East Money leaves them out (null data when none).
    EXPECT_EQ(market.TencentReply({"sh999999"}), "v_pv_none_match=\"1\";\n");
    EXPECT_NE(market.EastMoneyReply({"1.999999"}).find("\"data\":null"), std::string::npos);
}

TEST(NewSourcesSim, TheRouterServesTheNewPaths) {
    sim::Market market(7, [] { return std::int64_t{1796693400}; });
    const sim::SiteSettings site{"http://127.0.0.1:1", "1.1.0.0"};
    const auto tencent = sim::RouteServiceRequest(market, site, "/q=sh600000,sz000001");
    EXPECT_EQ(tencent.status, 200);
    EXPECT_EQ(tencent.body.rfind("v_sh600000=\"1~", 0), 0u);
    const auto eastMoney = sim::RouteServiceRequest(
        market, site, "/api/qt/ulist.np/get?fltt=2&invt=2&secids=1.600000%2C0.000001&fields=f2,f12");
    EXPECT_EQ(eastMoney.status, 200);
    EXPECT_NE(eastMoney.body.find("\"total\":2"), std::string::npos);
}

TEST(NewSourcesSim, TheExchangeCalendarKeepsRealHoursAndHolidays) {
    // Friday 2026-04-24, Saturday the 25th; Friday 2026-05-01 a holiday.
    sim::ExchangeCalendar calendar;
    calendar.enabled = true;
    calendar.holidays.insert(DaysFromCivil(2026, 5, 1));
    auto at = [&](int month, int day, int hour, int minute) {
        return sim::SessionAt(UnixSecondsOfBeijing(2026, month, day, hour, minute, 0), calendar);
    };
    const sim::SessionTime morning = at(4, 24, 10, 21);
    EXPECT_EQ(morning.Date(), "2026-04-24");
    EXPECT_EQ(morning.Time(), "10:21:00");
    EXPECT_EQ(at(4, 24, 12, 0).Time(), "11:30:00"); // lunch: the morning's last trade stands
    EXPECT_EQ(at(4, 24, 12, 0).second, 2 * 3600 - 1);
    EXPECT_EQ(at(4, 24, 14, 0).Time(), "14:00:00");
    const sim::SessionTime evening = at(4, 24, 20, 0);
    EXPECT_EQ(evening.Time(), "15:00:00");
    // The weekend and the next Monday's early morning show Friday's close.
    EXPECT_EQ(at(4, 25, 10, 0).Date(), "2026-04-24");
    EXPECT_EQ(at(4, 25, 10, 0).session, evening.session);
    EXPECT_EQ(at(4, 27, 9, 0).Date(), "2026-04-24");
    // Monday's session is the next trading day: its previous close is Friday's close.
    EXPECT_EQ(at(4, 27, 10, 0).session, evening.session + 1);
    // The holiday shows the day before; the Monday after it follows Thursday.
    EXPECT_EQ(at(5, 1, 10, 0).Date(), "2026-04-30");
    EXPECT_EQ(at(5, 4, 10, 0).session, at(4, 30, 10, 0).session + 1);

    // A market on the calendar closes with the same price as the next day's previous close.
    std::int64_t now = UnixSecondsOfBeijing(2026, 4, 24, 16, 0, 0);
    sim::Market market(7, [&now] { return now; });
    market.SetCalendar(calendar);
    const sim::SimQuote friday = market.Quote(*sim::FindStock(1, "600000"));
    now = UnixSecondsOfBeijing(2026, 4, 27, 9, 45, 0);
    const sim::SimQuote monday = market.Quote(*sim::FindStock(1, "600000"));
    EXPECT_DOUBLE_EQ(friday.price, monday.previousClose);
    EXPECT_EQ(monday.time.Date(), "2026-04-27");
}

TEST(NewSourcesSim, BeijingDateTimesAreReadStrictly) {
    EXPECT_EQ(sim::ParseBeijingDateTime("2026-04-24 10:21:18"),
              UnixSecondsOfBeijing(2026, 4, 24, 10, 21, 18));
    EXPECT_EQ(sim::ParseBeijingDateTime("2026-04-24T10:21"), UnixSecondsOfBeijing(2026, 4, 24, 10, 21, 0));
    EXPECT_EQ(sim::ParseBeijingDateTime("2026-04-24"), UnixSecondsOfBeijing(2026, 4, 24, 0, 0, 0));
    for (const char* bad : {"", "2026-4-24", "2026-04-24 25:00", "2026-04-24 10:2", "2026-13-01", "x"})
        EXPECT_FALSE(sim::ParseBeijingDateTime(bad)) << bad;
    // Beijing time whatever the zone: 1970-01-01 was a Thursday, 08:00 in Beijing.
    EXPECT_EQ(BeijingTimeAt(0).DateTime(), "1970-01-01 08:00:00");
    EXPECT_EQ(BeijingTimeAt(0).weekday, 4);
    EXPECT_EQ(BeijingTimeAt(-1).DateTime(), "1970-01-01 07:59:59");
    EXPECT_EQ(BeijingTimeAt(UnixSecondsOfBeijing(2026, 4, 25, 23, 59, 59)).weekday, 6);
}

} // namespace
