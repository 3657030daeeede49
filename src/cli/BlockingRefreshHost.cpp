#include "cli/BlockingRefreshHost.h"

#include "net/QuoteRequest.h"

#include <thread>

namespace marlune {

namespace {

constexpr std::chrono::milliseconds kStopCheckPeriod{50};

} // namespace

void BlockingRefreshHost::FinalReport::OnFetchStatus(const FetchReport& report) {
    if (report.status != kFetchFinished && report.status != kFetchFailed)
        return;
    std::lock_guard<std::mutex> lock(m_mutex);
    m_report = report;
    m_done.notify_all();
}

std::optional<FetchReport> BlockingRefreshHost::FinalReport::WaitFor(std::chrono::milliseconds time) {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_done.wait_for(lock, time, [this] { return m_report.has_value(); });
    return m_report;
}

BlockingRefreshHost::BlockingRefreshHost(WallClock clock, StopCheck stop)
    : m_clock(std::move(clock)), m_stop(std::move(stop)) {}

bool BlockingRefreshHost::RunStartedJob(RefreshCycle& cycle) {
    if (!m_job)
        return true;
    const QuoteFetchJob job = std::move(*m_job);
    m_job.reset();
    FinalReport sink;
    std::optional<FetchReport> report;
    {
        // Leaving this scope cancels a transfer still running and joins its thread.
        FetchManager manager(&sink);
        if (manager.StartJob(job)) {
            while (!(report = sink.WaitFor(kStopCheckPeriod))) {
                if (m_stop && m_stop())
                    return false;
            }
        }
    }
    if (!report) {
        // No thread could run it: a failed download.
        report.emplace();
        report->jobKind = job.jobKind;
        report->quoteSource = job.quoteSource;
        report->url = job.url;
        report->replyFile = job.replyFile;
        report->status = kFetchFailed;
    }
    cycle.OnFetchStatus(*report);
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
    if (job.jobKind == kJobSideDownload || m_job)
        return false;
    m_job = job;
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
