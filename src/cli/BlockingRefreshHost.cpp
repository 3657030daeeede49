#include "cli/BlockingRefreshHost.h"

#include "net/QuoteRequest.h"

#include <thread>
#include <utility>

namespace marlune {

namespace {

constexpr std::chrono::milliseconds kStopCheckPeriod{50};

} // namespace

void BlockingRefreshHost::FinalReports::OnFetchStatus(const FetchReport& report) {
    if (report.status != kFetchFinished && report.status != kFetchFailed)
        return;
    std::lock_guard<std::mutex> lock(m_mutex);
    m_reports.push_back(report);
    m_done.notify_all();
}

std::vector<FetchReport> BlockingRefreshHost::FinalReports::WaitFor(std::chrono::milliseconds time) {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_done.wait_for(lock, time, [this] { return !m_reports.empty(); });
    return std::exchange(m_reports, {});
}

BlockingRefreshHost::BlockingRefreshHost(WallClock clock, StopCheck stop)
    : m_clock(std::move(clock)), m_stop(std::move(stop)) {}

bool BlockingRefreshHost::RunStartedJob(RefreshCycle& cycle) {
    FinalReports sink;
    // Leaving this scope cancels transfers still running and joins their threads.
    FetchManager manager(&sink);
    std::size_t running = 0;
    while (!m_jobs.empty() || running > 0) {
        for (QuoteFetchJob& job : std::exchange(m_jobs, {})) {
            if (manager.StartJob(job)) {
                ++running;
                continue;
            }
            // No thread could run it: a failed download.
            FetchReport report;
            report.jobKind = job.jobKind;
            report.quoteSource = job.quoteSource;
            report.url = job.url;
            report.replyFile = job.replyFile;
            report.status = kFetchFailed;
            cycle.OnFetchStatus(report);
        }
        if (running == 0)
            continue;
        for (const FetchReport& report : sink.WaitFor(kStopCheckPeriod)) {
            --running;
            cycle.OnFetchStatus(report);
        }
        if (running > 0 && m_stop && m_stop())
            return false;
    }
    return true;
}

bool BlockingRefreshHost::SleepOutQuoteTimer() {
    while (m_quoteTimerDueMs && !(m_stop && m_stop())) {
        const std::int64_t left = *m_quoteTimerDueMs - SteadyMs();
        if (left <= 0) {
            m_quoteTimerDueMs.reset();
            return true;
        }
        std::this_thread::sleep_for(std::min(kStopCheckPeriod, std::chrono::milliseconds(left)));
    }
    return false;
}

bool BlockingRefreshHost::StartJob(const QuoteFetchJob& job) {
    if (job.jobKind == kJobSideDownload)
        return false;
    m_jobs.push_back(job);
    return true;
}

void BlockingRefreshHost::StartTimer(CycleTimer timer, int milliseconds) {
    if (timer == CycleTimer::kQuotes)
        m_quoteTimerDueMs = SteadyMs() + milliseconds;
}

void BlockingRefreshHost::StopTimer(CycleTimer timer) {
    if (timer == CycleTimer::kQuotes)
        m_quoteTimerDueMs.reset();
}

std::int64_t BlockingRefreshHost::WallSeconds() const {
    return m_clock();
}

std::int64_t BlockingRefreshHost::SteadyMs() const {
    return SteadyClockMs();
}

} // namespace marlune
