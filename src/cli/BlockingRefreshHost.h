#pragma once
// The terminal ticker's host of the refresh cycle: one job at a time, run to its end while
// the program waits, and a quote timer the program sleeps out. Chart images are not the
// terminal's: their timer is never run and no chart job is started.

#include "cycle/RefreshCycle.h"
#include "net/FetchManager.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>

namespace marlune {

class BlockingRefreshHost final : public RefreshHost {
public:
    using WallClock = std::function<std::int64_t()>;
    // True when the program is to end (a signal arrived).
    using StopCheck = std::function<bool()>;

    BlockingRefreshHost(WallClock clock, StopCheck stop);

    // Runs the job the cycle started, if any, and gives the cycle its final report. False
    // when the stop check ended it first (the transfer is cancelled).
    bool RunStartedJob(RefreshCycle& cycle);
    // Sleeps until the quote timer runs out. False when it is not running or the stop check
    // ended the wait.
    bool SleepOutQuoteTimer();

    // RefreshHost
    bool StartJob(const QuoteFetchJob& job) override;
    void StartTimer(CycleTimer timer, int milliseconds) override;
    void StopTimer(CycleTimer timer) override;
    std::int64_t WallSeconds() const override;
    std::int64_t SteadyMs() const override;
    void QuotesApplied() override {}
    void StatusChanged(const std::string&) override {}
    void ChartFileArrived(const std::string&) override {}
    void ChartFileGone(const std::string&) override {}

private:
    // Keeps the final report of the one job in flight.
    class FinalReport final : public FetchStatusSink {
    public:
        void OnFetchStatus(const FetchReport& report) override;
        // The final report, or nothing when it has not come within the time.
        std::optional<FetchReport> WaitFor(std::chrono::milliseconds time);

    private:
        std::mutex m_mutex;
        std::condition_variable m_done;
        std::optional<FetchReport> m_report;
    };

    WallClock m_clock;
    StopCheck m_stop;
    std::optional<QuoteFetchJob> m_job;
    std::optional<std::int64_t> m_quoteTimerDueMs;
};

} // namespace marlune
