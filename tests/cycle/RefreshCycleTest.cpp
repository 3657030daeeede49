// The refresh cycle against a fake host: timers, throttle, fallback, trading hours, the reply
// path and the status texts, with the clocks in the test's hand.
#include "cycle/RefreshCycle.h"
#include "quote/QuoteService.h"
#include "quote/WatchListFile.h"
#include "text/BeijingTime.h"
#include "text/FileBytes.h"
#include "text/Gbk.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace marlune {
namespace {

class FakeHost final : public RefreshHost {
public:
    bool StartJob(const QuoteFetchJob& job) override {
        jobs.push_back(job);
        return acceptJobs;
    }
    void StartTimer(CycleTimer timer, int milliseconds) override { timers[timer] = milliseconds; }
    void StopTimer(CycleTimer timer) override { timers.erase(timer); }
    std::int64_t WallSeconds() const override { return wall; }
    std::int64_t SteadyMs() const override { return steadyMs; }
    void QuotesApplied() override { ++applied; }
    void StatusChanged(const std::string& text) override { statuses.push_back(text); }
    void ChartFileArrived(const std::string& path) override { arrived.push_back(path); }
    void ChartFileGone(const std::string& path) override { gone.push_back(path); }

    std::optional<int> Timer(CycleTimer timer) const {
        auto found = timers.find(timer);
        return found != timers.end() ? std::optional<int>(found->second) : std::nullopt;
    }
    // Both clocks move on.
    void Pass(std::int64_t milliseconds) {
        steadyMs += milliseconds;
        wallMs += milliseconds;
        wall = wallMs / 1000;
    }
    int QuoteJobs() const {
        int n = 0;
        for (const QuoteFetchJob& job : jobs)
            n += job.jobKind == kJobQuoteText || job.jobKind == kJobGoogleFile ? 1 : 0;
        return n;
    }
    const QuoteFetchJob& LastQuoteJob() const {
        for (auto it = jobs.rbegin(); it != jobs.rend(); ++it) {
            if (it->jobKind != kJobSideDownload)
                return *it;
        }
        return jobs.front();
    }

    std::vector<QuoteFetchJob> jobs;
    bool acceptJobs = true;
    std::map<CycleTimer, int> timers;
    std::int64_t wallMs = UnixSecondsOfBeijing(2026, 4, 24, 10, 0, 0) * 1000;
    std::int64_t wall = wallMs / 1000;
    std::int64_t steadyMs = 50'000'000;
    int applied = 0;
    std::vector<std::string> statuses;
    std::vector<std::string> arrived;
    std::vector<std::string> gone;
};

// One Sina statement with 33 fields after the key.
std::string SinaStatement(const std::string& key, const std::string& name, const char* price,
                          const char* date = "2026-04-24", const char* time = "10:00:00") {
    std::string value = name + ",3000.00,3000.00," + price + ",3050.00,2950.00,0,0,12345600,98765432100";
    for (int i = 0; i < 20; ++i)
        value += ",0";
    value += std::string(",") + date + "," + time + ",00";
    return "var hq_str_" + key + "=\"" + value + "\";\n";
}

std::string IndexReply(const char* price = "3010.50", const char* date = "2026-04-24",
                       const char* time = "10:00:00") {
    return Utf8ToGbk(SinaStatement("sh000001", "上证指数", price, date, time) +
                     SinaStatement("sz399001", "深证成指", "2990.25", date, time));
}

// Tencent's line for the same two indices (its parser reads the same prices).
std::string TencentReply() {
    std::string reply;
    for (const char* key : {"sh000001", "sz399001"}) {
        std::string fields = std::string("1~指数~") + (key + 2) + "~3010.50~3000.00~3000.00~123456";
        for (int i = 7; i < 30; ++i)
            fields += "~0";
        fields += "~20260424100000";
        for (int i = 31; i < 50; ++i)
            fields += "~0";
        reply += std::string("v_") + key + "=\"" + fields + "\";\n";
    }
    return Utf8ToGbk(reply);
}

class RefreshCycleTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto unique = std::chrono::steady_clock::now().time_since_epoch().count();
        m_folder = std::filesystem::temp_directory_path() / ("marlune-cycle-" + std::to_string(unique));
        std::filesystem::create_directories(m_folder / "data");
    }
    void TearDown() override {
        m_cycle.reset();
        std::error_code error;
        std::filesystem::remove_all(m_folder, error);
    }

    std::string Folder() const { return m_folder.generic_u8string() + "/"; }

    // Both main indices, the Shanghai one with its alert above 3000.00.
    static WatchList IndexList() {
        return ParseListFile("dac000001|000001|上证指数|1|1|3000.00|3.00|0|0\r\n"
                             "dac399001|399001|深证成指|2|0|0|0|0|0\r\n",
                             MarketReading::Number)
            .entries;
    }

    RefreshCycle& Make(RefreshSettings settings = {1, false, false, 10}, bool withAlertMemory = false) {
        m_cycle.reset();
        m_cycle.emplace(host, Folder(), withAlertMemory ? Folder() + "data/alerts.txt" : std::string());
        m_cycle->Configure(settings);
        m_cycle->SetWatchList(IndexList());
        m_cycle->Start();
        return *m_cycle;
    }

    // The final report of the last quote job, as the download layer sends it.
    FetchReport QuoteReport(int status, std::string reply = {}) const {
        const QuoteFetchJob& job = host.LastQuoteJob();
        FetchReport report;
        report.jobKind = job.jobKind;
        report.quoteSource = job.quoteSource;
        report.url = job.url;
        report.replyFile = job.replyFile;
        report.status = status;
        report.reply = std::move(reply);
        return report;
    }
    void Answer(RefreshCycle& cycle, std::string reply) {
        cycle.OnFetchStatus(QuoteReport(kFetchFinished, reply));
    }
    void Fail(RefreshCycle& cycle) { cycle.OnFetchStatus(QuoteReport(kFetchFailed)); }

    // A tick a period later, answered by the service the job asked (Sina's or Tencent's reply,
    // or a failure for the services in `dead`).
    QuoteTick TickAnswered(RefreshCycle& cycle, const std::vector<int>& dead, std::int64_t afterMs = 10'000) {
        host.Pass(afterMs);
        const int before = host.QuoteJobs();
        const QuoteTick tick = cycle.OnQuoteTimer();
        if (host.QuoteJobs() == before)
            return tick;
        const int source = host.LastQuoteJob().quoteSource;
        if (std::find(dead.begin(), dead.end(), source) != dead.end())
            Fail(cycle);
        else
            Answer(cycle, source == kSourceTencent ? TencentReply() : IndexReply());
        return tick;
    }

    FakeHost host;
    std::filesystem::path m_folder;
    std::optional<RefreshCycle> m_cycle;
};

TEST_F(RefreshCycleTest, TimersThrottleAndJobsInFlight) {
    RefreshCycle& cycle = Make();
    ASSERT_EQ(host.jobs.size(), 1u);
    EXPECT_NE(host.jobs[0].url.find("rn=" + std::to_string(host.wall) + "&list=sh000001,sz399001"),
              std::string::npos);
    EXPECT_EQ(host.Timer(CycleTimer::kQuotes), 10000);
    EXPECT_EQ(host.Timer(CycleTimer::kCharts), 3000);

    // A tick while the quote job runs starts nothing; the timer goes on.
    host.Pass(10'000);
    EXPECT_EQ(cycle.OnQuoteTimer(), QuoteTick::kDropped);
    EXPECT_EQ(host.QuoteJobs(), 1);
    EXPECT_EQ(host.Timer(CycleTimer::kQuotes), 10000);
    cycle.OnFetchStatus(QuoteReport(kFetchProgress)); // progress is no end
    cycle.Refresh();
    EXPECT_EQ(host.QuoteJobs(), 1);
    Fail(cycle);
    host.Pass(10'000);
    EXPECT_EQ(cycle.OnQuoteTimer(), QuoteTick::kAsked);
    EXPECT_EQ(host.QuoteJobs(), 2);
    Fail(cycle);

    // The throttle counts milliseconds on the steady clock: the button 3.999 s after the
    // last request is dropped, 4 s after it is not, whatever the wall clock does meanwhile.
    host.Pass(3'999);
    host.wall -= 3600;
    cycle.Refresh();
    EXPECT_EQ(host.QuoteJobs(), 2);
    host.Pass(1);
    cycle.Refresh();
    EXPECT_EQ(host.QuoteJobs(), 3);
    Fail(cycle);

    // Charts: one job per stock, a second tick only for the stock whose job ended.
    cycle.OnChartTimer();
    EXPECT_EQ(host.Timer(CycleTimer::kCharts), 28000);
    ASSERT_EQ(host.jobs.size(), 5u);
    EXPECT_NE(host.jobs.back().replyFile.find("data/sz399001.dat"), std::string::npos);
    cycle.OnChartTimer();
    EXPECT_EQ(host.jobs.size(), 5u);
    FetchReport chart;
    chart.jobKind = kJobSideDownload;
    chart.status = kFetchFinished;
    chart.replyFile = host.jobs.back().replyFile;
    chart.url = host.jobs.back().url;
    cycle.OnFetchStatus(chart);
    EXPECT_EQ(host.arrived, std::vector<std::string>{chart.replyFile});
    cycle.OnChartTimer();
    EXPECT_EQ(host.jobs.size(), 6u);
    chart.status = kFetchFailed;
    cycle.OnFetchStatus(chart);
    EXPECT_EQ(host.gone, std::vector<std::string>{chart.replyFile});
    EXPECT_EQ(cycle.RunningJobs().Count(), 1u);

    // A job the host cannot start leaves nothing running.
    host.acceptJobs = false;
    host.Pass(10'000);
    cycle.OnQuoteTimer();
    EXPECT_FALSE(cycle.RunningJobs().IsRunning(JobsInFlight::QuotesKey()));

    // Restarts: the period, ten times it, stopped.
    cycle.RestartQuoteTimer(QuoteTimerRestart::kTenfoldPeriod);
    EXPECT_EQ(host.Timer(CycleTimer::kQuotes), 100000);
    cycle.RestartQuoteTimer(QuoteTimerRestart::kStopped);
    EXPECT_FALSE(host.Timer(CycleTimer::kQuotes));
    cycle.RestartQuoteTimer(QuoteTimerRestart::kPeriod);
    EXPECT_EQ(host.Timer(CycleTimer::kQuotes), 10000);
}

TEST_F(RefreshCycleTest, PausedItAsksForNothingUntilResumed) {
    RefreshCycle& cycle = Make();
    Answer(cycle, IndexReply());
    ASSERT_EQ(host.jobs.size(), 1u);

    cycle.SetPaused(true);
    EXPECT_TRUE(cycle.Paused());
    EXPECT_FALSE(host.Timer(CycleTimer::kQuotes));
    EXPECT_FALSE(host.Timer(CycleTimer::kCharts));
    // Nothing asks: a tick already on its way, the button, the chart timer, the settings
    // dialog's restart and apply, the fallback's retry; no timer is armed by any of them.
    host.Pass(60'000);
    EXPECT_EQ(cycle.OnQuoteTimer(), QuoteTick::kDropped);
    cycle.Refresh();
    cycle.OnChartTimer();
    cycle.RestartQuoteTimer(QuoteTimerRestart::kPeriod);
    cycle.SetWatchList(IndexList());
    cycle.SettingsApplied();
    EXPECT_FALSE(cycle.AskNextServiceNow());
    EXPECT_EQ(host.jobs.size(), 1u);
    EXPECT_FALSE(host.Timer(CycleTimer::kQuotes));
    EXPECT_FALSE(host.Timer(CycleTimer::kCharts));

    // Resumed: the list applied meanwhile is asked for at once, and the timers run again.
    cycle.SetPaused(false);
    EXPECT_FALSE(cycle.Paused());
    EXPECT_EQ(host.QuoteJobs(), 2);
    EXPECT_EQ(host.Timer(CycleTimer::kQuotes), 10000);
    EXPECT_EQ(host.Timer(CycleTimer::kCharts), 3000);
    Answer(cycle, IndexReply());

    // A job that runs when the pause starts ends as usual; resuming within the throttle's
    // 4 seconds of it asks nothing more, the next tick does.
    host.Pass(10'000);
    ASSERT_EQ(cycle.OnQuoteTimer(), QuoteTick::kAsked);
    cycle.SetPaused(true);
    const int applied = host.applied;
    Answer(cycle, IndexReply());
    EXPECT_EQ(host.applied, applied + 1);
    host.Pass(1'000);
    cycle.SetPaused(false);
    EXPECT_EQ(host.QuoteJobs(), 3);
    EXPECT_EQ(TickAnswered(cycle, {}), QuoteTick::kAsked);
    EXPECT_EQ(host.QuoteJobs(), 4);
}

TEST_F(RefreshCycleTest, FreshSecZeroArmsNothingAndAPeriodOfFourAsksEveryFourSeconds) {
    RefreshCycle& manual = Make({1, false, false, 0});
    EXPECT_EQ(host.QuoteJobs(), 1);
    EXPECT_FALSE(host.Timer(CycleTimer::kQuotes));
    EXPECT_FALSE(host.Timer(CycleTimer::kCharts));
    manual.OnQuoteTimer(); // a timer that fires anyway does not re-arm itself
    EXPECT_FALSE(host.Timer(CycleTimer::kQuotes));
    manual.SettingsApplied();
    EXPECT_FALSE(host.Timer(CycleTimer::kCharts));

    // A 4-second period: every tick exactly a period after the last asks, for two minutes.
    RefreshCycle& cycle = Make({1, false, false, 4});
    const int first = host.QuoteJobs();
    Answer(cycle, IndexReply());
    for (int tick = 0; tick < 30; ++tick)
        EXPECT_EQ(TickAnswered(cycle, {}, 4'000), QuoteTick::kAsked) << tick;
    EXPECT_EQ(host.QuoteJobs(), first + 30);
}

TEST_F(RefreshCycleTest, ANewPeriodRestartsTheRunningQuoteTimerAndKeepsTheFallback) {
    RefreshCycle& cycle = Make({kSourceSina, true, false, 60});
    EXPECT_EQ(host.Timer(CycleTimer::kQuotes), 60'000);
    Fail(cycle);
    TickAnswered(cycle, {kSourceSina}, 60'000);
    ASSERT_TRUE(cycle.Fallback().OnOtherSource());
    cycle.SetRefreshPeriod(4);
    EXPECT_EQ(host.Timer(CycleTimer::kQuotes), 4'000);
    EXPECT_TRUE(cycle.Fallback().OnOtherSource()); // what the fallback learnt stays
    EXPECT_EQ(TickAnswered(cycle, {kSourceSina}, 4'000), QuoteTick::kAsked);
    EXPECT_EQ(host.LastQuoteJob().quoteSource, kSourceTencent);
    EXPECT_EQ(host.Timer(CycleTimer::kQuotes), 4'000);
    // No period: the timer stops; a stopped timer is not started by a new period.
    cycle.SetRefreshPeriod(0);
    EXPECT_FALSE(host.Timer(CycleTimer::kQuotes));
    cycle.RestartQuoteTimer(QuoteTimerRestart::kStopped);
    cycle.SetRefreshPeriod(10);
    EXPECT_FALSE(host.Timer(CycleTimer::kQuotes));
}

TEST_F(RefreshCycleTest, RepliesFillTheBookAndFailuresKeepIt) {
    RefreshCycle& cycle = Make({1, false, false, 10}, true);
    EXPECT_EQ(cycle.StatusText(), kStatusReadingQuotes);
    Answer(cycle, IndexReply());
    EXPECT_EQ(host.applied, 1);
    EXPECT_EQ(cycle.Book().watchList[0].quote.price, "3010.50");
    EXPECT_EQ(cycle.StatusText(), kStatusQuotesShown);
    // The alert above 3000.00 is collected once, and remembered across a new cycle.
    EXPECT_EQ(cycle.Book().alertText, "上证指数(000001) 现价3010.50，已涨到预警上限3000.00\n");
    const_cast<QuoteBook&>(cycle.Book()).takeAlertText();

    // A failed download, an empty reply and a page without quotes fail the refresh and keep
    // the values; a reply of 4 bytes or less is not even parsed.
    for (const std::string& reply : {std::string("\x01"), std::string("<html>Please sign in</html>")}) {
        host.Pass(10'000);
        cycle.OnQuoteTimer();
        if (reply == "\x01")
            Fail(cycle);
        else
            Answer(cycle, reply);
        EXPECT_EQ(cycle.StatusText(), kStatusFailed);
        EXPECT_EQ(cycle.Book().watchList[0].quote.price, "3010.50");
    }
    EXPECT_EQ(host.applied, 1);

    RefreshCycle& again = Make({1, false, false, 10}, true);
    Answer(again, IndexReply());
    EXPECT_EQ(again.Book().alertText, "") << "shown before this start";

    // An unknown DataSour asks Sina and reads Sina's reply.
    RefreshCycle& unknown = Make({9, false, false, 10});
    EXPECT_EQ(host.LastQuoteJob().quoteSource, kSourceSina);
    Answer(unknown, IndexReply("3020.00"));
    EXPECT_EQ(unknown.Book().watchList[0].quote.price, "3020.00");

    // Google: the reply file is read, parsed and deleted.
    RefreshCycle& google = Make({kSourceGoogle, false, false, 10});
    ASSERT_EQ(host.LastQuoteJob().jobKind, kJobGoogleFile);
    const std::string path = host.LastQuoteJob().replyFile;
    EXPECT_EQ(path, Folder() + "data/gData.dat");
    std::string file = "{\n";
    for (const char* v : {"1", "000001", "SHA", "3100.00", "", "Apr 24, 10:00AM GMT+8", "", "+90.00", "3.00"})
        file += std::string(",\"k\" : \"") + v + "\"\n";
    for (int i = 0; i < 18; ++i)
        file += ",\"k\" : \"0\"\n";
    file += "}\n";
    ASSERT_TRUE(WriteFileAtomically(path, file));
    google.OnFetchStatus(QuoteReport(kFetchFinished));
    EXPECT_EQ(google.Book().watchList[0].quote.price, "3100.00");
    EXPECT_FALSE(ReadFileBytes(path).has_value());
}

TEST_F(RefreshCycleTest, AThrottledRequestUsesUpNoTurnOfTheSelectedService) {
    // Sina does not answer: after two failed refreshes the others are asked.
    RefreshCycle& cycle = Make({kSourceSina, true, false, 10});
    Fail(cycle);
    TickAnswered(cycle, {kSourceSina});
    ASSERT_TRUE(cycle.Fallback().OnOtherSource());

    // The refresh button a second after every tick is dropped by the throttle, and must not
    // count as a refresh: Sina's turn is the tenth refresh sent after the switch.
    std::vector<int> asked;
    for (int refresh = 0; refresh < 12; ++refresh) {
        TickAnswered(cycle, {kSourceSina});
        asked.push_back(host.LastQuoteJob().quoteSource);
        host.Pass(1'000);
        const int jobs = host.QuoteJobs();
        cycle.Refresh();
        EXPECT_EQ(host.QuoteJobs(), jobs) << "dropped";
    }
    EXPECT_EQ(asked[0], kSourceTencent);
    EXPECT_EQ(asked[9], kSourceSina);
    EXPECT_EQ(std::count(asked.begin(), asked.end(), kSourceSina), 1);

    // Its failed turn left the fallback's text: Tencent keeps the quotes coming.
    EXPECT_EQ(cycle.StatusText(), "行情来源：腾讯（新浪无响应）");
    EXPECT_EQ(std::count(host.statuses.begin(), host.statuses.end(), std::string(kStatusFailed)), 1)
        << "only for the failures before the switch";
}

TEST_F(RefreshCycleTest, EveryServiceSilentSaysSoWithTheRetryAndSettingsAskTheFallbacksService) {
    RefreshCycle& cycle = Make({kSourceSina, true, false, 10});
    Fail(cycle);
    TickAnswered(cycle, {kSourceSina});
    EXPECT_EQ(cycle.StatusText(), kStatusFailed);
    TickAnswered(cycle, {kSourceSina});
    ASSERT_EQ(host.LastQuoteJob().quoteSource, kSourceTencent);
    ASSERT_EQ(cycle.StatusText(), "行情来源：腾讯（新浪无响应）");

    // Applied settings during the fallback ask Tencent for the new list, not the silent Sina,
    // once the running request has ended.
    host.Pass(10'000);
    cycle.OnQuoteTimer();
    const int jobs = host.QuoteJobs();
    cycle.SettingsApplied();
    EXPECT_EQ(host.QuoteJobs(), jobs);
    Answer(cycle, TencentReply());
    ASSERT_EQ(host.QuoteJobs(), jobs + 1);
    EXPECT_EQ(host.LastQuoteJob().quoteSource, kSourceTencent);
    Answer(cycle, TencentReply());

    // Tencent and East Money fall silent too: once each has failed, the line says so and
    // when the next try comes (the next tick, in Beijing time).
    TickAnswered(cycle, {kSourceSina, kSourceTencent, kSourceEastMoney});
    EXPECT_EQ(cycle.StatusText(), kStatusFailed);
    TickAnswered(cycle, {kSourceSina, kSourceTencent, kSourceEastMoney});
    const std::string retry = BeijingTimeAt(host.wall + 10).DateTime().substr(11);
    EXPECT_EQ(cycle.StatusText(), "所有行情来源均无响应，" + retry + " 再试。");
    // An answer ends it.
    TickAnswered(cycle, {kSourceSina});
    EXPECT_EQ(cycle.StatusText(), "行情来源：腾讯（新浪无响应）");

    // Without an automatic refresh there is no next try to name.
    RefreshCycle& manual = Make({kSourceSina, true, false, 0});
    for (int i = 0; i < 4; ++i) {
        Fail(manual);
        host.Pass(5'000);
        manual.Refresh();
    }
    EXPECT_EQ(manual.StatusText(), "所有行情来源均无响应。请检查网络或者点击刷新按钮。");
}

TEST_F(RefreshCycleTest, ASingleRefreshAsksTheNextServicesAtOnce) {
    RefreshCycle& cycle = Make({kSourceSina, true, false, 0});
    Fail(cycle);
    ASSERT_TRUE(cycle.AskNextServiceNow());
    EXPECT_EQ(host.LastQuoteJob().quoteSource, kSourceTencent);
    Fail(cycle);
    ASSERT_TRUE(cycle.AskNextServiceNow());
    EXPECT_EQ(host.LastQuoteJob().quoteSource, kSourceEastMoney);
    EXPECT_FALSE(cycle.AskNextServiceNow()) << "one job at a time";

    RefreshCycle& only = Make({kSourceSina, false, false, 0});
    Fail(only);
    EXPECT_FALSE(only.AskNextServiceNow());
    EXPECT_EQ(only.StatusText(), kStatusFailed);
}

TEST_F(RefreshCycleTest, TradingHoursDecideTicksAndTheClosedTexts) {
    RefreshCycle& cycle = Make({kSourceSina, false, true, 10});
    Answer(cycle, IndexReply("3010.50", "2026-04-24", "11:29:58"));
    EXPECT_EQ(cycle.StatusText(), kStatusQuotesShown);
    // Both clocks on to a Beijing time of Friday 2026-04-24 or later.
    auto at = [this](int day, int hour, int minute, int second) {
        host.Pass(UnixSecondsOfBeijing(2026, 4, day, hour, minute, second) * 1000 - host.wallMs);
    };

    // The lunch break: ticks ask nothing except the catch-up after 11:30.
    at(24, 11, 30, 40);
    EXPECT_EQ(cycle.OnQuoteTimer(), QuoteTick::kAsked);
    Answer(cycle, IndexReply("3011.00", "2026-04-24", "11:30:03"));
    EXPECT_EQ(cycle.StatusText(), "午间休市（最后行情：2026-04-24 11:30:03）");
    at(24, 12, 0, 0);
    EXPECT_EQ(cycle.OnQuoteTimer(), QuoteTick::kClosed);
    EXPECT_EQ(host.QuoteJobs(), 2);

    // After the close.
    at(24, 15, 0, 40);
    EXPECT_EQ(cycle.OnQuoteTimer(), QuoteTick::kAsked);
    Answer(cycle, IndexReply("3012.00", "2026-04-24", "15:00:02"));
    EXPECT_EQ(cycle.StatusText(), "已收盘（最后行情：2026-04-24 15:00:02）");
    at(25, 10, 0, 0); // Saturday
    EXPECT_EQ(cycle.OnQuoteTimer(), QuoteTick::kClosed);
    EXPECT_EQ(cycle.StatusText(), "休市（最后行情：2026-04-24 15:00:02）");

    // The refresh button asks whatever the hour.
    cycle.Refresh();
    EXPECT_EQ(host.QuoteJobs(), 4);
}

TEST(RefreshTimers, PeriodsFromFreshSec) {
    EXPECT_EQ(QuoteTimerMs(10), 10000);
    EXPECT_EQ(ChartTimerMs(10), 28000);
    EXPECT_EQ(ChartTimerMs(1), 1000);
    EXPECT_FALSE(QuoteTimerMs(0));
    EXPECT_FALSE(ChartTimerMs(0));
    EXPECT_FALSE(QuoteTimerMs(-5));
    EXPECT_EQ(RestartedQuoteTimerMs(10, QuoteTimerRestart::kPeriod), 10000);
    EXPECT_EQ(RestartedQuoteTimerMs(10, QuoteTimerRestart::kTenfoldPeriod), 100000);
    EXPECT_FALSE(RestartedQuoteTimerMs(10, QuoteTimerRestart::kStopped));
    EXPECT_FALSE(RestartedQuoteTimerMs(0, QuoteTimerRestart::kTenfoldPeriod));
    // A period too long for a timer is held at the longest one instead of overflowing.
    EXPECT_EQ(ChartTimerMs(INT_MAX), INT_MAX);
    EXPECT_EQ(RestartedQuoteTimerMs(3'000'000, QuoteTimerRestart::kTenfoldPeriod), INT_MAX);
}

} // namespace
} // namespace marlune
