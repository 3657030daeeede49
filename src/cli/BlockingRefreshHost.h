#pragma once
// The terminal ticker's host of the refresh cycle: the jobs of a refresh (one per service it
// asks) run to their end together while the program waits, and a quote timer the program
// sleeps out. Chart images are not the
// terminal's: their timer is never run and no chart job is started.

#include "cycle/RefreshCycle.h"
#include "net/FetchManager.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

namespace marlune {

class BlockingRefreshHost final : public RefreshHost {
public:
    using WallClock = std::function<std::int64_t()>;
    // True when the program is to end (a signal arrived).
    using StopCheck = std::function<bool()>;

    BlockingRefreshHost(WallClock clock, StopCheck stop);

    // Runs the jobs the cycle started, if any, and gives the cycle their final reports, until
    // no job is left (one the cycle starts in answer runs too). False when the stop check
    // ended them first (the transfers are cancelled).
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
    // Keeps the final reports of the jobs in flight.
    class FinalReports final : public FetchStatusSink {
    public:
        void OnFetchStatus(const FetchReport& report) override;
        // The final reports that came within the time (none when none came).
        std::vector<FetchReport> WaitFor(std::chrono::milliseconds time);

    private:
        std::mutex m_mutex;
        std::condition_variable m_done;
        std::vector<FetchReport> m_reports;
    };

    WallClock m_clock;
    StopCheck m_stop;
    std::vector<QuoteFetchJob> m_jobs;
    std::optional<std::int64_t> m_quoteTimerDueMs;
};

} // namespace marlune
