// Wall time of one quote refresh over loopback for a 20-stock watch list: the request
// built, the transfer through a download job (worker thread, libcurl), the service's
// parser and the derived values. The simulated market serves the replies.
//
//   bench_refresh_loopback --benchmark_filter=Refresh

#include "net/FetchManager.h"
#include "net/QuoteRequest.h"
#include "net/ServiceEndpoints.h"
#include "quote/QuoteParsers.h"
#include "quote/QuoteService.h"
#include "sim/SimServer.h"

#include <benchmark/benchmark.h>

#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <optional>
#include <vector>

namespace marlune {
namespace {

// Hands the final report of each job to the benchmark thread.
class FinalReportSink : public FetchStatusSink {
public:
    void OnFetchStatus(const FetchReport& report) override {
        if (report.status == kFetchProgress) {
            return;
        }
        std::lock_guard<std::mutex> lock(m_mutex);
        m_report = report;
        m_arrived.notify_all();
    }

    FetchReport take() {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_arrived.wait(lock, [&] { return m_report.has_value(); });
        FetchReport report = std::move(*m_report);
        m_report.reset();
        return report;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_arrived;
    std::optional<FetchReport> m_report;
};

// The two first-run indices and eighteen shares of the market's table, each held.
WatchList TwentyStockWatchList() {
    std::vector<const sim::StockInfo*> stocks{sim::FindStock(1, "000001"), sim::FindStock(2, "399001")};
    for (const sim::StockInfo& stock : sim::AllStocks()) {
        if (!stock.IsIndex() && stocks.size() < 20) {
            stocks.push_back(&stock);
        }
    }
    WatchList list;
    for (const sim::StockInfo* stock : stocks) {
        StockEntry entry;
        entry.code = stock->code;
        entry.market = stock->market;
        entry.name = stock->name;
        entry.quantity = 1000;
        entry.cost = static_cast<float>(stock->baseClose);
        list.push_back(entry);
    }
    return list;
}

void BM_RefreshOverLoopback(benchmark::State& state) {
    const int source = static_cast<int>(state.range(0));
    sim::SimServer market;
    if (market.Start() <= 0 || !PointAllServicesAt(market.BaseUrl())) {
        state.SkipWithError("the simulated market cannot start");
        return;
    }
    const std::string folder =
        (std::filesystem::temp_directory_path() / "marlune-bench-refresh").string() + "/";

    std::uint32_t now = SystemClockSeconds();
    std::int64_t steadyMs = 0;
    QuoteRequester requester([&] { return now; }, [&] { return steadyMs; });
    FinalReportSink sink;
    FetchManager manager(&sink);
    QuoteBook book;
    book.setWatchList(TwentyStockWatchList());
    std::size_t bytes = 0;

    for (auto _ : state) {
        // Every refresh passes the throttle.
        now += QuoteRequester::kThrottleMs / 1000;
        steadyMs += QuoteRequester::kThrottleMs;
        const std::optional<QuoteFetchJob> job = requester.RequestQuotes(book.watchList, source, folder);
        manager.StartJob(*job);
        const FetchReport report = sink.take();
        if (report.status != kFetchFinished) {
            state.SkipWithError(("refresh failed: " + report.errorText).c_str());
            break;
        }
        // The service table's reader and parser, as the ticker uses them.
        const QuoteService& service = QuoteServiceOf(source);
        const std::string reply = service.readReplyFile != nullptr
                                      ? service.readReplyFile(requester.GoogleReplyFile())
                                      : report.reply;
        bytes += reply.size();
        service.parse(book, reply);
        benchmark::DoNotOptimize(book.totalPlAmount);
    }
    if (book.quoteList.size() != 20) {
        state.SkipWithError("the reply did not hold the 20 quotes");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
    state.SetLabel(QuoteServiceOf(source).englishName);
    RestoreDefaultServices();
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}
BENCHMARK(BM_RefreshOverLoopback)
    ->Arg(kSourceSina)
    ->Arg(kSourceNetEase)
    ->Arg(kSourceGoogle)
    ->Arg(kSourceTencent)
    ->Arg(kSourceEastMoney)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

} // namespace
} // namespace marlune
