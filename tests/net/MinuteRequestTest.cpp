// Minute data for the drawn chart: the request, how long a day is kept, and whole fetches
// from the simulated market, whose rows must agree with its quotes, faults included.
#include "FetchTestSink.h"

#include "net/FetchManager.h"
#include "net/MinuteRequest.h"
#include "net/ServiceEndpoints.h"
#include "sim/SimServer.h"

#include <gtest/gtest.h>

#include <cmath>

namespace marlune {
namespace {

using test::RecordingSink;
using namespace std::chrono_literals;

constexpr std::int64_t kMorningSession = 1765161000; // 10:30 Beijing time on a Monday

TEST(MinuteRequest, BuildsTheRequestOfAStock) {
    EXPECT_EQ(MinuteSymbol(1, "600000"), "sh600000");
    EXPECT_EQ(MinuteSymbol(2, "000001"), "sz000001");
    EXPECT_EQ(MinuteSymbol(3, "600000"), "");
    EXPECT_EQ(MinuteSymbol(1, "60000"), "");
    EXPECT_EQ(MinuteSymbol(1, "60000&"), "");

    const QuoteFetchJob job = BuildMinuteJob("sh600519");
    EXPECT_EQ(job.url, "http://web.ifzq.gtimg.cn/appstock/app/minute/query?code=sh600519");
    EXPECT_TRUE(job.replyFile.empty());
    EXPECT_EQ(job.jobKind, kJobSideDownload);
    EXPECT_EQ(job.threadPriority, kThreadPriorityIdle);
    ASSERT_TRUE(PointAllServicesAt("http://127.0.0.1:8123"));
    EXPECT_EQ(MinuteRequestUrl("sz000001"), "http://127.0.0.1:8123/appstock/app/minute/query?code=sz000001");
    RestoreDefaultServices();
}

TEST(MinuteRequest, KeepsADayForAMinuteAndRetriesFailuresAfterAPause) {
    MinuteDataCache cache;
    const auto t0 = MinuteDataCache::TimePoint{} + 1000s;
    EXPECT_EQ(cache.Find("sh600000"), nullptr);
    ASSERT_TRUE(cache.BeginFetch("sh600000", t0));
    EXPECT_FALSE(cache.BeginFetch("sh600000", t0 + 1s)) << "one fetch at a time per stock";
    ASSERT_NE(cache.Find("sh600000"), nullptr);
    EXPECT_TRUE(cache.Find("sh600000")->inFlight);
    EXPECT_FALSE(cache.Find("sh600000")->day);

    MinuteDay day;
    day.points.push_back({930, 10.0, 1, 1000});
    cache.FinishFetch("sh600000", day, t0 + 2s);
    EXPECT_FALSE(cache.BeginFetch("sh600000", t0 + 61s)) << "kept for 60 seconds";
    EXPECT_TRUE(cache.BeginFetch("sh600000", t0 + 62s));
    // A failed refetch keeps the day of a few minutes ago, then drops it.
    cache.FinishFetch("sh600000", std::nullopt, t0 + 63s);
    ASSERT_TRUE(cache.Find("sh600000")->day);
    EXPECT_TRUE(cache.Find("sh600000")->failed);
    EXPECT_FALSE(cache.BeginFetch("sh600000", t0 + 70s)) << "no retry right after a failure";
    ASSERT_TRUE(cache.BeginFetch("sh600000", t0 + 400s));
    cache.FinishFetch("sh600000", std::nullopt, t0 + 401s);
    EXPECT_FALSE(cache.Find("sh600000")->day);

    // Stocks of other fetches do not mix.
    ASSERT_TRUE(cache.BeginFetch("sz000001", t0));
    cache.FinishFetch("sz000002", day, t0); // no such fetch: ignored
    EXPECT_EQ(cache.Find("sz000002"), nullptr);
    EXPECT_FALSE(cache.Find("sz000001")->day);

    // Memory stays bounded however many stocks are shown.
    for (int i = 0; i < 200; ++i) {
        const std::string symbol = "sh" + std::to_string(600000 + i);
        if (cache.BeginFetch(symbol, t0 + std::chrono::seconds(i)))
            cache.FinishFetch(symbol, day, t0 + std::chrono::seconds(i));
    }
    EXPECT_LE(cache.Size(), MinuteDataCache::kMaxStocks);
    EXPECT_NE(cache.Find("sz000001"), nullptr) << "a running fetch is never dropped";
}

class MinuteSimTest : public ::testing::Test {
protected:
    void SetUp() override {
        sim::SimOptions options;
        options.clock = [] { return kMorningSession; };
        m_sim = std::make_unique<sim::SimServer>(options);
        ASSERT_GT(m_sim->Start(), 0);
        ASSERT_TRUE(PointAllServicesAt(m_sim->BaseUrl()));
    }
    void TearDown() override {
        RestoreDefaultServices();
        m_sim.reset();
    }

    FetchReport Fetch(const std::string& symbol) {
        RecordingSink sink;
        FetchManager manager(&sink);
        manager.StartJob(BuildMinuteJob(symbol));
        EXPECT_TRUE(sink.waitForFinal());
        return sink.final();
    }

    std::unique_ptr<sim::SimServer> m_sim;
};

TEST_F(MinuteSimTest, TheDayAgreesWithTheMarketsQuote) {
    for (const char* symbol : {"sh600519", "sz000002", "sh000001"}) {
        const FetchReport report = Fetch(symbol);
        ASSERT_EQ(report.status, kFetchFinished) << report.errorText;
        const auto day = ParseMinuteReply(report.reply, symbol);
        ASSERT_TRUE(day) << symbol;
        const sim::SimQuote quote =
            m_sim->market().QuoteAt(*sim::FindStockByPrefixedCode(symbol), kMorningSession);
        // 10:30 Beijing time is 10:30 on the exchange's clock: the auction row and one row
        // per minute begun, named by the minute it ends in.
        ASSERT_EQ(day->points.size(), 61u) << symbol;
        EXPECT_EQ(day->points.front().time, 930);
        EXPECT_EQ(day->points.back().time, 1030);
        EXPECT_EQ(day->date, quote.time.Date().substr(0, 4) + quote.time.Date().substr(5, 2) +
                                 quote.time.Date().substr(8, 2));
        EXPECT_NEAR(day->points.front().price, quote.open, 0.006) << symbol;
        EXPECT_NEAR(day->points.back().price, quote.price, 0.006) << symbol;
        EXPECT_NEAR(day->points.back().volume, std::floor(quote.volume / 100), 0.5) << symbol;
        EXPECT_NEAR(day->points.back().amount, quote.amount, 0.01 + quote.amount * 1e-12) << symbol;
    }
    EXPECT_EQ(m_sim->Requests().back().target, "/appstock/app/minute/query?code=sh000001");

    // An unknown stock has no day.
    const FetchReport unknown = Fetch("sh699999");
    ASSERT_EQ(unknown.status, kFetchFinished);
    EXPECT_FALSE(ParseMinuteReply(unknown.reply, "sh699999"));
}

TEST_F(MinuteSimTest, FaultsOnTheMinutePathFailTheFetchOrTheParse) {
    sim::Fault status;
    status.status = 503;
    m_sim->SetFault("/appstock/app/minute/", status);
    EXPECT_EQ(Fetch("sh600000").status, kFetchFailed);

    sim::Fault truncated;
    truncated.truncateAt = 40;
    m_sim->SetFault("/appstock/app/minute/", truncated);
    EXPECT_EQ(Fetch("sh600000").status, kFetchFailed);

    sim::Fault garbage;
    garbage.garbage = true;
    m_sim->SetFault("/appstock/app/minute/", garbage);
    const FetchReport report = Fetch("sh600000");
    if (report.status == kFetchFinished) {
        EXPECT_FALSE(ParseMinuteReply(report.reply, "sh600000"));
    }

    m_sim->ClearFaults();
    const FetchReport good = Fetch("sh600000");
    ASSERT_EQ(good.status, kFetchFinished);
    EXPECT_TRUE(ParseMinuteReply(good.reply, "sh600000"));
}

} // namespace
} // namespace marlune
