// CPU time of one whole refresh of the refresh cycle over loopback, a 20-row list of A shares
// against a 20-row list that mixes all six markets (the selected service's request, the fund
// service's requests, the exchange rates every tenth minute): planning, the transfers through
// download jobs, the parsers, the gathering and the derived values.
//
// The simulated market stands in for the quote services, whose work is done on their servers,
// not on the user's machine. The "Program" cases run it in a child process, so the process CPU
// time is the ticker's alone; the other cases run it in this process and count its CPU too.
//
//   bench_mixed_refresh --benchmark_filter=Refresh

#include "cycle/RefreshCycle.h"
#include "net/FetchManager.h"
#include "net/QuoteRequest.h"
#include "net/ServiceEndpoints.h"
#include "quote/Markets.h"
#include "sim/ForeignMarkets.h"
#include "sim/SimServer.h"
#include "sim/StockTable.h"

#include <benchmark/benchmark.h>

#include <condition_variable>
#include <csignal>
#include <filesystem>
#include <memory>
#include <mutex>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace marlune {
namespace {

// Runs the cycle's jobs on a FetchManager and hands their final reports back on the
// benchmark thread; the clocks move on by hand.
class LoopbackHost final : public RefreshHost, public FetchStatusSink {
public:
    LoopbackHost() : m_manager(this) {}

    bool StartJob(const QuoteFetchJob& job) override {
        ++running;
        ++jobs;
        return m_manager.StartJob(job);
    }
    void StartTimer(CycleTimer, int) override {}
    void StopTimer(CycleTimer) override {}
    std::int64_t WallSeconds() const override { return wall; }
    std::int64_t SteadyMs() const override { return steadyMs; }
    void QuotesApplied() override { ++applied; }
    void StatusChanged(const std::string&) override {}
    void ChartFileArrived(const std::string&) override {}
    void ChartFileGone(const std::string&) override {}

    void OnFetchStatus(const FetchReport& report) override {
        if (report.status == kFetchProgress)
            return;
        std::lock_guard<std::mutex> lock(m_mutex);
        m_reports.push_back(report);
        m_arrived.notify_all();
    }

    // Gives the cycle every final report until no job of the refresh runs.
    void RunRefresh(RefreshCycle& cycle) {
        while (running > 0) {
            std::vector<FetchReport> reports;
            {
                std::unique_lock<std::mutex> lock(m_mutex);
                m_arrived.wait(lock, [&] { return !m_reports.empty(); });
                reports.swap(m_reports);
            }
            for (const FetchReport& report : reports) {
                --running;
                cycle.OnFetchStatus(report);
            }
        }
    }

    std::int64_t wall = 0;
    std::int64_t steadyMs = 1'000'000;
    int running = 0;
    int jobs = 0;
    int applied = 0;

private:
    std::mutex m_mutex;
    std::condition_variable m_arrived;
    std::vector<FetchReport> m_reports;
    FetchManager m_manager;
};

// The simulated market in a child process of its own, for as long as the object lives.
// Forked before this process starts any thread of its own (the download workers come later).
class MarketProcess {
public:
    MarketProcess() {
        int fds[2];
        if (pipe(fds) != 0)
            return;
        m_child = fork();
        if (m_child == 0) {
            close(fds[0]);
            sim::SimServer market;
            const int port = market.Start();
            if (write(fds[1], &port, sizeof port) != static_cast<ssize_t>(sizeof port))
                _exit(1);
            close(fds[1]);
            pause(); // until the parent ends it
            _exit(0);
        }
        close(fds[1]);
        int port = 0;
        if (m_child > 0 && read(fds[0], &port, sizeof port) == static_cast<ssize_t>(sizeof port) && port > 0)
            m_baseUrl = "http://127.0.0.1:" + std::to_string(port);
        close(fds[0]);
    }
    ~MarketProcess() {
        if (m_child > 0) {
            kill(m_child, SIGTERM);
            waitpid(m_child, nullptr, 0);
        }
    }
    MarketProcess(const MarketProcess&) = delete;
    MarketProcess& operator=(const MarketProcess&) = delete;

    // Empty when the market did not start.
    const std::string& BaseUrl() const { return m_baseUrl; }

private:
    pid_t m_child = -1;
    std::string m_baseUrl;
};

StockEntry Held(const sim::StockInfo& stock) {
    StockEntry entry;
    entry.code = stock.code;
    entry.market = stock.market;
    entry.name = stock.name;
    entry.quantity = 1000;
    entry.cost = 1.0f;
    return entry;
}

// Twenty held A shares of the simulated market's table.
WatchList AShareList() {
    WatchList list;
    for (const sim::StockInfo& stock : sim::AllStocks()) {
        if (!stock.IsIndex() && list.size() < 20)
            list.push_back(Held(stock));
    }
    return list;
}

// Every security of the other markets (2 Beijing, 3 Hong Kong, 3 US, 3 funds), then A shares
// up to twenty rows.
WatchList MixedList() {
    WatchList list;
    for (const sim::StockInfo& stock : sim::ForeignStocks())
        list.push_back(Held(stock));
    for (const sim::StockInfo& stock : sim::AllStocks()) {
        if (!stock.IsIndex() && list.size() < 20)
            list.push_back(Held(stock));
    }
    return list;
}

void BM_Refresh(benchmark::State& state, bool mixed, int source, bool marketApart) {
    std::unique_ptr<sim::SimServer> marketHere;
    std::unique_ptr<MarketProcess> marketApartProcess;
    std::string baseUrl;
    if (marketApart) {
        marketApartProcess = std::make_unique<MarketProcess>();
        baseUrl = marketApartProcess->BaseUrl();
    } else {
        marketHere = std::make_unique<sim::SimServer>();
        if (marketHere->Start() > 0)
            baseUrl = marketHere->BaseUrl();
    }
    if (baseUrl.empty() || !PointAllServicesAt(baseUrl)) {
        state.SkipWithError("the simulated market cannot start");
        return;
    }
    const std::string folder =
        (std::filesystem::temp_directory_path() / "marlune-bench-mixed").string() + "/";
    LoopbackHost host;
    host.wall = SystemClockSeconds();
    RefreshCycle cycle(host, folder, std::string());
    cycle.Configure({source, false, false, 10});
    cycle.SetWatchList(mixed ? MixedList() : AShareList());

    for (auto _ : state) {
        // Every refresh passes the throttle; every 150th (ten minutes of 4-second refreshes)
        // asks the rates too.
        host.wall += QuoteRequester::kThrottleMs / 1000;
        host.steadyMs += QuoteRequester::kThrottleMs;
        cycle.Refresh();
        host.RunRefresh(cycle);
    }
    std::size_t quoted = 0;
    for (const StockEntry& entry : cycle.Book().watchList)
        quoted += entry.quote.price.empty() ? 0 : 1;
    if (quoted != cycle.Book().watchList.size() || host.applied != static_cast<int>(state.iterations()))
        state.SkipWithError("a refresh left rows without quotes");
    state.counters["jobs/refresh"] = static_cast<double>(host.jobs) / static_cast<double>(state.iterations());
    state.SetLabel(std::string(mixed ? "20 mixed rows, " : "20 A-share rows, ") +
                   QuoteServiceOf(source).englishName);
    RestoreDefaultServices();
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

BENCHMARK_CAPTURE(BM_Refresh, AShares_Sina, false, kSourceSina, false)
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Refresh, Mixed_Sina, true, kSourceSina, false)
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Refresh, AShares_Tencent, false, kSourceTencent, false)
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Refresh, Mixed_Tencent, true, kSourceTencent, false)
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Refresh, Program_AShares_Sina, false, kSourceSina, true)
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Refresh, Program_Mixed_Sina, true, kSourceSina, true)
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Refresh, Program_AShares_Tencent, false, kSourceTencent, true)
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Refresh, Program_Mixed_Tencent, true, kSourceTencent, true)
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond);

} // namespace
} // namespace marlune
