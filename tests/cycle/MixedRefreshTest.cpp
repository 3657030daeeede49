// A refresh of a list that mixes markets: which services one refresh asks, the exchange rates
// at most every ten minutes, and the book taking the replies only once all of them are in.
#include "cycle/RefreshCycle.h"
#include "quote/Markets.h"
#include "quote/QuoteService.h"
#include "quote/WatchListFile.h"
#include "text/BeijingTime.h"
#include "text/Gbk.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace marlune {
namespace {

class RecordingHost final : public RefreshHost {
public:
    bool StartJob(const QuoteFetchJob& job) override {
        jobs.push_back(job);
        return true;
    }
    void StartTimer(CycleTimer, int) override {}
    void StopTimer(CycleTimer) override {}
    std::int64_t WallSeconds() const override { return steadyMs / 1000 - kSteadyStart / 1000 + wallStart; }
    std::int64_t SteadyMs() const override { return steadyMs; }
    void QuotesApplied() override { ++applied; }
    void StatusChanged(const std::string& text) override { status = text; }
    void ChartFileArrived(const std::string&) override {}
    void ChartFileGone(const std::string&) override {}

    static constexpr std::int64_t kSteadyStart = 90'000'000;
    std::int64_t wallStart = UnixSecondsOfBeijing(2026, 8, 7, 10, 30, 0);
    std::int64_t steadyMs = kSteadyStart;
    std::vector<QuoteFetchJob> jobs;
    int applied = 0;
    std::string status;
};

// Real reply lines (recorded from the services), with the dates of the moments asked.
const std::string kSinaShanghai =
    "var hq_str_sh600519=\"贵州茅台,1308.000,1308.550,1309.220,1315.280,1301.000,24976,3274560000,12060,"
    "1309.220,12916,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,2026-08-07,15:00:00,00\";\n";
const std::string kSinaHongKong =
    "var hq_str_rt_hk00700=\"TENCENT,腾讯控股,479.000,479.200,483.200,475.400,478.800,-0.400,-0.083,478.600,"
    "478.800,7803757295.250,16319939,17.403,0.000,675.134,411.000,2026/08/07,16:08:22,1\";\n";
const std::string kSinaUs =
    "var hq_str_gb_aapl=\"苹果,319.7000,1.63,2026-08-29 08:14:52,5.1200,316.8450,322.3700,315.4504,344.5700,"
    "225.1600,38649398,38515168,4665759510006,8.30,38.520000,0.00,0.00,0.00,0.00,14594180513,63,319.9000,0."
    "06,0.20,Aug 28 07:59PM EDT,Aug 28 04:00PM "
    "EDT,314.5800,2782520,1,2026,12348919893.0000,320.2500,303.9100,"
    "889590318.6141,319.6400,314.5800\";\n";
const std::string kSinaHkdRate =
    "var hq_str_fx_shkdcny=\"03:21:44,0.8646255739,0.8646255739,0.8657633869,15.5660370000,0.8657633869,"
    "0.8658608388,0.8643042351,0.8646255739,港元兑人民币,-0.1314,-0.0011,0.0016,此行情由新浪财经计算得出,"
    "0.0000,0.0000,,2026-08-07\";\n";
const std::string kFund =
    "jsonpgz({\"fundcode\":\"161725\",\"name\":\"招商中证白酒指数(LOF)\",\"jzrq\":\"2026-08-06\",\"dwjz\":"
    "\"1.0229\",\"gsz\":\"1.0389\",\"gszzl\":\"1.57\",\"gztime\":\"2026-08-07 10:29\"});";
// NetEase 163's reply for the Shanghai row (its form: "key;name;previous close;open;volume;
// amount;0;change;high;low;price;...;date time").
std::string NetEaseShanghai() {
    std::string value = "0600519;贵州茅台;1308.55;1308.00;2497600;3274560000;0;0.67;1315.28;1301.00;1309.22";
    for (int i = 11; i < 32; ++i)
        value += ";0";
    value += ";2026/08/07 15:00:00";
    return Utf8ToGbk("_ntes_quote['0600519']='" + value + "';\n");
}

WatchList MixedList() {
    return ParseListFile("dac600519|600519|贵州茅台|1|0|0|0|100|1200.00\r\n"
                         "dac00700|00700|腾讯控股|4|0|0|0|200|400.00\r\n"
                         "dac161725|161725|招商白酒|6|0|0|0|1000|1.00\r\n",
                         MarketReading::Number)
        .entries;
}

class MixedRefreshTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto unique = std::chrono::steady_clock::now().time_since_epoch().count();
        m_folder = std::filesystem::temp_directory_path() / ("marlune-mixed-" + std::to_string(unique));
        std::filesystem::create_directories(m_folder / "data");
    }
    void TearDown() override {
        m_cycle.reset();
        std::error_code error;
        std::filesystem::remove_all(m_folder, error);
    }

    RefreshCycle& Make(int source, WatchList list = MixedList(), bool tradeHoursOnly = false) {
        m_cycle.emplace(host, m_folder.generic_u8string() + "/", std::string());
        m_cycle->Configure({source, true, tradeHoursOnly, 10});
        m_cycle->SetWatchList(std::move(list));
        m_cycle->Start();
        return *m_cycle;
    }

    // The jobs of the latest refresh.
    std::vector<QuoteFetchJob> LastRefreshJobs() const {
        std::vector<QuoteFetchJob> jobs;
        for (const RefreshPart& part : m_cycle->LastPlan().parts)
            jobs.push_back(part.job);
        return jobs;
    }

    static FetchReport Report(const QuoteFetchJob& job, int status, std::string reply = {}) {
        FetchReport report;
        report.jobKind = job.jobKind;
        report.quoteSource = job.quoteSource;
        report.url = job.url;
        report.status = status;
        report.reply = std::move(reply);
        return report;
    }

    // The recorded lines dated at the host's moment, as a service answers then.
    std::string DatedNow(std::string reply) const {
        const std::string now = BeijingTimeAt(host.WallSeconds()).DateTime();
        std::string slashed = now.substr(0, 10);
        std::replace(slashed.begin(), slashed.end(), '-', '/');
        for (const auto& [recorded, today] :
             {std::pair<std::string, std::string>{"2026-08-07,15:00:00",
                                                  now.substr(0, 10) + "," + now.substr(11)},
              {"2026/08/07,16:08:22", slashed + "," + now.substr(11)},
              {"2026-08-29 08:14:52", now},
              {"2026-08-07 10:29", now.substr(0, 16)}}) {
            for (std::size_t at = reply.find(recorded); at != std::string::npos;
                 at = reply.find(recorded, at))
                reply.replace(at, recorded.size(), today);
        }
        return reply;
    }

    // Answers every job of the latest refresh by its host: Sina's, NetEase's, the fund service's;
    // Sina's lines of asRecorded keep the dates they were recorded with.
    void AnswerAll(const std::vector<std::string>& failHosts = {},
                   const std::vector<std::string>& asRecorded = {}) {
        const auto line = [this, &asRecorded](const std::string& recorded) {
            return std::find(asRecorded.begin(), asRecorded.end(), recorded) != asRecorded.end()
                       ? recorded
                       : DatedNow(recorded);
        };
        for (const QuoteFetchJob& job : LastRefreshJobs()) {
            const bool fail = std::any_of(failHosts.begin(), failHosts.end(), [&job](const std::string& h) {
                return job.url.find(h) != std::string::npos;
            });
            std::string reply;
            if (job.url.find("fundgz") != std::string::npos)
                reply = DatedNow(kFund);
            else if (job.url.find("126.net") != std::string::npos)
                reply = NetEaseShanghai();
            else if (job.url.find("sinajs") != std::string::npos) {
                std::string sina;
                if (job.url.find("sh600519") != std::string::npos)
                    sina += line(kSinaShanghai);
                if (job.url.find("rt_hk00700") != std::string::npos)
                    sina += line(kSinaHongKong);
                if (job.url.find("gb_aapl") != std::string::npos)
                    sina += line(kSinaUs);
                if (job.url.find("fx_shkdcny") != std::string::npos)
                    sina += line(kSinaHkdRate);
                reply = Utf8ToGbk(sina);
            }
            m_cycle->OnFetchStatus(Report(job, fail ? kFetchFailed : kFetchFinished, reply));
        }
    }

    const StockEntry& Row(std::size_t i) const { return m_cycle->Book().watchList[i]; }

    RecordingHost host;
    std::filesystem::path m_folder;
    std::optional<RefreshCycle> m_cycle;
};

TEST_F(MixedRefreshTest, EachServiceOncePerRefreshAndTheRatesInsideSinasRequest) {
    RefreshCycle& cycle = Make(kSourceSina);
    // Sina for the Shanghai and Hong Kong rows and the Hong Kong dollar's rate, in one
    // request; the fund service for the fund.
    ASSERT_EQ(host.jobs.size(), 2u);
    EXPECT_NE(host.jobs[0].url.find("list=sh600519,rt_hk00700,fx_shkdcny"), std::string::npos)
        << host.jobs[0].url;
    EXPECT_NE(host.jobs[1].url.find("/js/161725.js?rt="), std::string::npos) << host.jobs[1].url;
    EXPECT_TRUE(host.jobs[1].moreUrls.empty());

    // Nothing shows until the last reply is in; then every row at once.
    const std::vector<QuoteFetchJob> jobs = LastRefreshJobs();
    cycle.OnFetchStatus(Report(jobs[1], kFetchFinished, kFund));
    EXPECT_EQ(host.applied, 0);
    EXPECT_TRUE(Row(2).quote.price.empty());
    // A tick meanwhile starts nothing: the refresh is still running.
    host.steadyMs += 10'000;
    EXPECT_EQ(cycle.OnQuoteTimer(), QuoteTick::kDropped);
    EXPECT_EQ(host.jobs.size(), 2u);
    cycle.OnFetchStatus(
        Report(jobs[0], kFetchFinished, Utf8ToGbk(kSinaShanghai + kSinaHongKong + kSinaHkdRate)));
    EXPECT_EQ(host.applied, 1);
    EXPECT_EQ(Row(0).quote.price, "1309.220");
    EXPECT_EQ(Row(1).quote.price, "478.800");
    EXPECT_EQ(Row(2).quote.price, "1.0389");
    // 100 x 109.22 + 200 x 78.8 HKD at 0.8646255739 + 1000 x 0.0389.
    EXPECT_EQ(cycle.Book().totalPlAmount, "24587.40");
    EXPECT_TRUE(cycle.Book().totalLeavesOut.empty());
    ASSERT_EQ(cycle.Book().exchangeRates.size(), 1u);
    EXPECT_EQ(cycle.Book().exchangeRates[0].time, "2026-08-07 03:21:44");

    // The next refresh asks no rates; ten minutes after the last request for them it does.
    host.steadyMs += 10'000;
    EXPECT_EQ(cycle.OnQuoteTimer(), QuoteTick::kAsked);
    EXPECT_EQ(LastRefreshJobs()[0].url.find("fx_"), std::string::npos);
    AnswerAll();
    EXPECT_EQ(host.applied, 2);
    host.steadyMs += 600'000;
    cycle.OnQuoteTimer();
    EXPECT_NE(LastRefreshJobs()[0].url.find("fx_shkdcny"), std::string::npos);
}

TEST_F(MixedRefreshTest, MarketsTheSelectedServiceLacksGoToTheNextThatAnswers) {
    RefreshCycle& cycle = Make(kSourceNetEase);
    // NetEase 163 for the Shanghai row, Sina for Hong Kong (with the rate), the fund service.
    std::vector<QuoteFetchJob> jobs = LastRefreshJobs();
    ASSERT_EQ(jobs.size(), 3u);
    EXPECT_NE(jobs[0].url.find("126.net"), std::string::npos);
    EXPECT_EQ(jobs[0].url.find("00700"), std::string::npos);
    EXPECT_NE(jobs[1].url.find("list=rt_hk00700,fx_shkdcny"), std::string::npos) << jobs[1].url;
    EXPECT_EQ(jobs[1].quoteSource, kSourceSina);
    AnswerAll();
    EXPECT_EQ(host.applied, 1);
    EXPECT_EQ(Row(0).quote.price, "1309.22");
    EXPECT_EQ(Row(1).quote.price, "478.800");
    EXPECT_EQ(Row(2).quote.price, "1.0389");

    // Sina fails: the Hong Kong row keeps its value, the others move on, and the next
    // refresh asks Tencent for Hong Kong.
    host.steadyMs += 10'000;
    cycle.OnQuoteTimer();
    AnswerAll({"sinajs"});
    EXPECT_EQ(host.applied, 2);
    EXPECT_EQ(Row(1).quote.price, "478.800");
    EXPECT_EQ(Row(2).quote.price, "1.0389");
    host.steadyMs += 10'000;
    cycle.OnQuoteTimer();
    jobs = LastRefreshJobs();
    ASSERT_EQ(jobs.size(), 3u);
    EXPECT_EQ(jobs[1].quoteSource, kSourceTencent);
    EXPECT_NE(jobs[1].url.find("r_hk00700"), std::string::npos) << jobs[1].url;
    // Sina is still asked for the rate alone until it is due again; here it is not.
    EXPECT_FALSE(cycle.LastPlan().AsksRates());
}

TEST_F(MixedRefreshTest, EveryPartFailingChangesNothingAndAFundListAsksNoQuoteService) {
    RefreshCycle& cycle = Make(kSourceSina);
    AnswerAll({"sinajs", "fundgz"});
    EXPECT_EQ(host.applied, 0);
    EXPECT_EQ(cycle.StatusText(), kStatusFailed);
    EXPECT_TRUE(cycle.Rates().Rates().empty());

    // Funds alone: the fund service only, and the fallback keeps the selected service's turns.
    WatchList funds = ParseListFile("dac161725|161725|招商白酒|6|0|0|0|0|0\r\n"
                                    "dac161725|161725|招商白酒|6|0|0|0|0|0\r\n",
                                    MarketReading::Number)
                          .entries;
    RefreshCycle& fundCycle = Make(kSourceSina, funds);
    const std::vector<QuoteFetchJob> jobs = LastRefreshJobs();
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_NE(jobs[0].url.find("fundgz"), std::string::npos);
    EXPECT_TRUE(jobs[0].moreUrls.empty()); // the same fund twice is asked once
    // A reply for another fund gives the row nothing.
    const std::string other =
        "jsonpgz({\"fundcode\":\"110011\",\"name\":\"易方达\",\"jzrq\":\"2026-08-06\",\"dwjz\":"
        "\"3.7080\",\"gsz\":\"3.7500\",\"gszzl\":\"1.13\",\"gztime\":\"2026-08-07 10:29\"});";
    fundCycle.OnFetchStatus(Report(jobs[0], kFetchFinished, other));
    EXPECT_TRUE(Row(0).quote.price.empty());
    EXPECT_EQ(fundCycle.Fallback().Current(), kSourceSina);
    host.steadyMs += 10'000;
    fundCycle.Refresh();
    AnswerAll();
    EXPECT_EQ(Row(0).quote.price, "1.0389");
    EXPECT_EQ(Row(1).quote.price, "1.0389");
    EXPECT_EQ(fundCycle.StatusText(), kStatusQuotesShown);
}

// A reply of the fund service in the form of kFund.
std::string FundReply(const std::string& code, const std::string& netValue, const std::string& estimate,
                      const std::string& rate) {
    return "jsonpgz({\"fundcode\":\"" + code + "\",\"name\":\"基金" + code +
           "\",\"jzrq\":\"2026-08-06\",\"dwjz\":\"" + netValue + "\",\"gsz\":\"" + estimate +
           "\",\"gszzl\":\"" + rate + "\",\"gztime\":\"2026-08-07 10:29\"});";
}

TEST_F(MixedRefreshTest, EachFundStandsAlone) {
    WatchList funds = ParseListFile("dac161725|161725|招商白酒|6|0|0|0|1000|1.00\r\n"
                                    "dac110011|110011|易方达|6|0|0|0|0|0\r\n"
                                    "dac000001|000001|华夏成长|6|0|0|0|0|0\r\n"
                                    "dac519674|519674|银河创新|6|0|0|0|0|0\r\n"
                                    "dac600519|600519|贵州茅台|1|0|0|0|0|0\r\n",
                                    MarketReading::Number)
                          .entries;
    RefreshCycle& cycle = Make(kSourceSina, funds);
    const auto answer = [&](std::vector<std::optional<std::string>> replies, bool sinaAnswers = true) {
        for (const QuoteFetchJob& job : LastRefreshJobs()) {
            if (job.url.find("fundgz") == std::string::npos) {
                cycle.OnFetchStatus(Report(job, sinaAnswers ? kFetchFinished : kFetchFailed,
                                           Utf8ToGbk(DatedNow(kSinaShanghai))));
                continue;
            }
            EXPECT_TRUE(job.eachUrlAlone);
            const bool any = std::any_of(replies.begin(), replies.end(), [](const auto& r) { return r; });
            FetchReport report = Report(job, any ? kFetchFinished : kFetchFailed);
            for (auto& reply : replies)
                report.urlReplies.push_back(reply ? std::optional<std::string>(DatedNow(*reply))
                                                  : std::nullopt);
            cycle.OnFetchStatus(report);
        }
    };
    ASSERT_EQ(LastRefreshJobs().size(), 2u);
    ASSERT_EQ(LastRefreshJobs()[1].moreUrls.size(), 3u);
    answer({FundReply("161725", "1.0229", "1.0389", "1.56"), FundReply("110011", "3.7080", "3.7500", "1.13"),
            FundReply("000001", "1.2000", "1.1880", "-1.00"),
            FundReply("519674", "5.0000", "5.0500", "1.00")});
    EXPECT_EQ(Row(0).quote.price, "1.0389");
    EXPECT_EQ(Row(1).quote.price, "3.7500");
    EXPECT_EQ(Row(2).quote.price, "1.1880");
    EXPECT_EQ(Row(3).quote.price, "5.0500");
    const StockEntry before = Row(1);

    // The second fund's request fails, the third says it has no estimate, the fourth answers
    // for another fund: the first still updates, the second and fourth keep what they
    // showed, the third shows its last net value without a change.
    host.steadyMs += 10'000;
    cycle.Refresh();
    answer({FundReply("161725", "1.0229", "1.0400", "1.67"), std::nullopt, std::string("jsonpgz();"),
            FundReply("161725", "1.0229", "1.0400", "1.67")});
    EXPECT_EQ(host.applied, 2);
    EXPECT_EQ(Row(0).quote.price, "1.0400");
    EXPECT_EQ(Row(0).quote.plAmount, "40.00"); // 1000 x (1.0400 - 1.00)
    EXPECT_EQ(Row(1).quote.price, before.quote.price);
    EXPECT_EQ(Row(1).quote.changeRate, before.quote.changeRate);
    EXPECT_EQ(Row(2).quote.price, "1.2000");
    EXPECT_EQ(Row(2).quote.change, "-");
    EXPECT_EQ(Row(2).quote.changeRate, "-");
    EXPECT_EQ(Row(3).quote.price, "5.0500");
    EXPECT_EQ(Row(4).quote.price, "1309.220");
    EXPECT_EQ(cycle.StatusText(), kStatusQuotesShown);

    // Garbage from each: the fund part brings nothing, its rows stay; the A share updates.
    host.steadyMs += 10'000;
    cycle.Refresh();
    answer({std::string("<html>"), std::string("jsonpgz({\"fundcode\":"), std::nullopt, std::nullopt});
    EXPECT_EQ(host.applied, 3);
    EXPECT_EQ(Row(0).quote.price, "1.0400");
    EXPECT_EQ(Row(2).quote.price, "1.2000");
    EXPECT_EQ(cycle.StatusText(), kStatusQuotesShown);
    // Nothing from any service: a failed refresh, every row as it was.
    host.steadyMs += 10'000;
    cycle.Refresh();
    answer({std::nullopt, std::nullopt, std::nullopt, std::nullopt}, false);
    EXPECT_EQ(host.applied, 3);
    EXPECT_EQ(Row(0).quote.price, "1.0400");
    EXPECT_NE(cycle.StatusText(), kStatusQuotesShown);
}

// The markets of the latest refresh, or nothing when it asked every market of the list.
std::vector<int> AskedMarkets(const RefreshCycle& cycle) {
    return cycle.LastPlan().allMarkets ? std::vector<int>() : cycle.LastPlan().Markets();
}

TEST_F(MixedRefreshTest, TradeHoursOnlyAsksEachMarketInItsOwnHours) {
    WatchList list = ParseListFile("dac600519|600519|贵州茅台|1|0|0|0|0|0\r\n"
                                   "dac00700|00700|腾讯控股|4|0|0|0|0|0\r\n"
                                   "dacAAPL|AAPL|苹果|5|0|0|0|0|0\r\n",
                                   MarketReading::Number)
                         .entries;
    // A Wednesday in New York's summer time: the US trades 21:30-04:00 Beijing time.
    host.wallStart = UnixSecondsOfBeijing(2026, 7, 8, 10, 30, 0);
    RefreshCycle& cycle = Make(kSourceSina, list, true);
    AnswerAll();
    EXPECT_EQ(Row(2).quote.price, "319.70") << Row(2).quote.dateTime << "/" << Row(2).code;
    EXPECT_EQ(cycle.StatusText(), "美股休市");
    // The morning: Shanghai and Hong Kong, not the US.
    host.steadyMs += 10'000;
    EXPECT_EQ(cycle.OnQuoteTimer(), QuoteTick::kAsked);
    EXPECT_EQ(AskedMarkets(cycle), (std::vector<int>{kMarketShanghai, kMarketHongKong}));
    EXPECT_EQ(LastRefreshJobs()[0].url.find("gb_aapl"), std::string::npos) << LastRefreshJobs()[0].url;
    AnswerAll();
    EXPECT_EQ(Row(2).quote.price, "319.70"); // kept from the first refresh

    // Hong Kong's lunch (12:00-13:00) after the A shares' (11:30): nothing to ask until 13:00.
    host.steadyMs = RecordingHost::kSteadyStart + (2 * 3600 + 15 * 60) * 1000; // 12:45
    EXPECT_EQ(cycle.OnQuoteTimer(), QuoteTick::kAsked); // the catch-up after both mornings
    AnswerAll();
    host.steadyMs += 10'000;
    EXPECT_EQ(cycle.OnQuoteTimer(), QuoteTick::kClosed);
    host.steadyMs = RecordingHost::kSteadyStart + (2 * 3600 + 30 * 60 + 5) * 1000; // 13:00:05
    EXPECT_EQ(cycle.OnQuoteTimer(), QuoteTick::kAsked);
    EXPECT_EQ(AskedMarkets(cycle), (std::vector<int>{kMarketShanghai, kMarketHongKong}));
    AnswerAll();

    // 22:00 Beijing time, across to New York's morning: after the closing catch-up the US alone.
    host.steadyMs = RecordingHost::kSteadyStart + (11 * 3600 + 30 * 60) * 1000;
    EXPECT_EQ(cycle.OnQuoteTimer(), QuoteTick::kAsked);
    AnswerAll();
    host.steadyMs += 10'000;
    EXPECT_EQ(cycle.OnQuoteTimer(), QuoteTick::kAsked);
    EXPECT_EQ(AskedMarkets(cycle), std::vector<int>{kMarketUnitedStates});
    EXPECT_NE(LastRefreshJobs()[0].url.find("list=gb_aapl"), std::string::npos) << LastRefreshJobs()[0].url;
    AnswerAll();
    EXPECT_EQ(Row(0).quote.price, "1309.220");
    EXPECT_EQ(Row(1).quote.price, "478.800");
    // The A shares are closed, the US trades: no closing text.
    EXPECT_EQ(cycle.StatusText(), "港股休市");
    // 03:59 next morning the US still trades; at 04:00:30 its catch-up, then nothing.
    host.steadyMs = RecordingHost::kSteadyStart + (17 * 3600 + 29 * 60) * 1000;
    EXPECT_EQ(cycle.OnQuoteTimer(), QuoteTick::kAsked);
    EXPECT_EQ(AskedMarkets(cycle), std::vector<int>{kMarketUnitedStates});
    AnswerAll();
    host.steadyMs = RecordingHost::kSteadyStart + (17 * 3600 + 30 * 60 + 30) * 1000;
    EXPECT_EQ(cycle.OnQuoteTimer(), QuoteTick::kAsked);
    AnswerAll();
    host.steadyMs += 10'000;
    EXPECT_EQ(cycle.OnQuoteTimer(), QuoteTick::kClosed);
}

TEST_F(MixedRefreshTest, AHongKongHolidayIsFoundFromItsOwnRowsWhileTheAsharesTrade) {
    WatchList list = ParseListFile("dac600519|600519|贵州茅台|1|0|0|0|0|0\r\n"
                                   "dac00700|00700|腾讯控股|4|0|0|0|0|0\r\n",
                                   MarketReading::Number)
                         .entries;
    // Monday 10 August 2026, 10:30: Shanghai's quote is today's, Hong Kong's still Friday's.
    host.wallStart = UnixSecondsOfBeijing(2026, 8, 10, 10, 30, 0);
    RefreshCycle& cycle = Make(kSourceSina, list, true);
    AnswerAll({}, {kSinaHongKong});
    EXPECT_EQ(Row(1).quote.dateTime, "2026-08-07 16:08:22");
    EXPECT_EQ(cycle.StatusText(), "港股休市");
    // The ticks ask the A shares alone...
    for (int tick = 0; tick < 5; ++tick) {
        host.steadyMs += 10'000;
        EXPECT_EQ(cycle.OnQuoteTimer(), QuoteTick::kAsked);
        EXPECT_EQ(AskedMarkets(cycle), std::vector<int>{kMarketShanghai});
        EXPECT_EQ(LastRefreshJobs()[0].url.find("rt_hk00700"), std::string::npos);
        AnswerAll({}, {kSinaHongKong});
        EXPECT_EQ(cycle.StatusText(), "港股休市");
    }
    // ... and Hong Kong once more after ten minutes, to find out whether it opened after all:
    // it did, and the status line says nothing about it any more.
    host.steadyMs = RecordingHost::kSteadyStart + 600'000;
    EXPECT_EQ(cycle.OnQuoteTimer(), QuoteTick::kAsked);
    EXPECT_NE(LastRefreshJobs()[0].url.find("rt_hk00700"), std::string::npos);
    AnswerAll();
    EXPECT_EQ(cycle.StatusText(), kStatusQuotesShown);
    host.steadyMs += 10'000;
    EXPECT_EQ(cycle.OnQuoteTimer(), QuoteTick::kAsked);
    EXPECT_NE(LastRefreshJobs()[0].url.find("rt_hk00700"), std::string::npos);
}

TEST_F(MixedRefreshTest, AUsHolidayIsTheDateOfNewYork) {
    WatchList list = ParseListFile("dac600519|600519|贵州茅台|1|0|0|0|0|0\r\n"
                                   "dacAAPL|AAPL|苹果|5|0|0|0|0|0\r\n",
                                   MarketReading::Number)
                         .entries;
    const auto answerUs = [this](const std::string& beijingTime) {
        std::string us = kSinaUs;
        us.replace(us.find("2026-08-29 08:14:52"), 19, beijingTime);
        for (const QuoteFetchJob& job : LastRefreshJobs())
            m_cycle->OnFetchStatus(Report(job, kFetchFinished, Utf8ToGbk(DatedNow(kSinaShanghai) + us)));
    };
    // Friday 3 July 2026, 00:30 Beijing time is Thursday 12:30 in New York: a quote of 23:59
    // Beijing time the day before is of New York's today, so the US trades.
    host.wallStart = UnixSecondsOfBeijing(2026, 7, 3, 0, 30, 0);
    RefreshCycle& thursday = Make(kSourceSina, list, true);
    answerUs("2026-07-02 23:59:00");
    host.steadyMs += 10'000;
    EXPECT_EQ(thursday.OnQuoteTimer(), QuoteTick::kAsked);
    EXPECT_EQ(AskedMarkets(thursday), std::vector<int>{kMarketUnitedStates});
    answerUs("2026-07-03 00:30:05");

    // Friday 22:00 Beijing time, 10:00 in New York on Independence Day (observed): the quote of
    // 04:00 Beijing time today closed Thursday in New York. Nothing is asked but the check every
    // ten minutes.
    host.wallStart = UnixSecondsOfBeijing(2026, 7, 3, 22, 0, 0);
    host.steadyMs = RecordingHost::kSteadyStart;
    RefreshCycle& friday = Make(kSourceSina, list, true);
    answerUs("2026-07-03 04:00:00");
    for (int tick = 0; tick < 5; ++tick) {
        host.steadyMs += 10'000;
        EXPECT_EQ(friday.OnQuoteTimer(), QuoteTick::kClosed);
    }
    EXPECT_EQ(friday.StatusText().substr(0, 9), "已收盘") << friday.StatusText();
    host.steadyMs = RecordingHost::kSteadyStart + 600'000;
    EXPECT_EQ(friday.OnQuoteTimer(), QuoteTick::kAsked);
    EXPECT_EQ(AskedMarkets(friday), std::vector<int>{kMarketUnitedStates});
}

TEST_F(MixedRefreshTest, FundsAskOnceMoreForTheEveningsNetValue) {
    WatchList list = ParseListFile("dac600519|600519|贵州茅台|1|0|0|0|0|0\r\n"
                                   "dac161725|161725|招商白酒|6|0|0|0|0|0\r\n",
                                   MarketReading::Number)
                         .entries;
    host.wallStart = UnixSecondsOfBeijing(2026, 12, 9, 19, 59, 50); // a Wednesday
    RefreshCycle& cycle = Make(kSourceSina, list, true);
    AnswerAll();
    host.steadyMs += 10'000;
    EXPECT_EQ(cycle.OnQuoteTimer(), QuoteTick::kAsked);
    EXPECT_EQ(AskedMarkets(cycle), std::vector<int>{kMarketFund});
    ASSERT_EQ(LastRefreshJobs().size(), 1u);
    EXPECT_NE(LastRefreshJobs()[0].url.find("fundgz"), std::string::npos);
    AnswerAll();
    EXPECT_EQ(Row(0).quote.price, "1309.220");
    host.steadyMs += 10'000;
    EXPECT_EQ(cycle.OnQuoteTimer(), QuoteTick::kClosed);
}

TEST(FundReplies, JoinedRepliesEachGiveTheirOwnFund) {
    const std::string qdii =
        "jsonpgz({\"fundcode\":\"040046\",\"name\":\"华安纳斯达克100\",\"jzrq\":\"2026-08-06\","
        "\"dwjz\":\"5.4321\",\"gsz\":\"\",\"gszzl\":\"\",\"gztime\":\"\"});";
    const std::vector<FundResult> joined =
        FundResultsOfReplies({kFund + "\n" + "jsonpgz();" + qdii}, {"161725", "999999", "040046"});
    ASSERT_EQ(joined.size(), 3u);
    ASSERT_TRUE(joined[0].record && joined[2].record);
    EXPECT_FALSE(joined[1].record);
    EXPECT_EQ(joined[0].record->code, "161725");
    EXPECT_EQ(joined[2].record->code, "040046");
    EXPECT_EQ(joined[2].record->price, "5.4321");
    EXPECT_EQ(joined[2].record->changeRate, "-");
    // Each URL's own reply: only for the fund it asked; a reply for another fund gives nothing.
    const std::vector<FundResult> apart = FundResultsOfReplies(
        {qdii, std::string(" jsonpgz();\n"), kFund, std::nullopt}, {"161725", "999999", "040046", "110011"});
    ASSERT_EQ(apart.size(), 4u);
    EXPECT_FALSE(apart[0].record || apart[0].saysNoEstimate);
    EXPECT_TRUE(!apart[1].record && apart[1].saysNoEstimate);
    EXPECT_FALSE(apart[2].record || apart[2].saysNoEstimate);
    EXPECT_FALSE(apart[3].record || apart[3].saysNoEstimate);
}

} // namespace
} // namespace marlune
