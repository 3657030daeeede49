#include "net/FetchManager.h"

#include "platform/os/Process.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <iterator>
#include <mutex>
#include <system_error>

namespace marlune {

struct FetchManager::Pending {
    QuoteFetchJob job;
    std::shared_ptr<FetchCancelToken> cancel;
};

// What the manager shares with its workers. The gate (closed) is shut first thing
// in the destructor: a report that has not reached the sink by then never does.
struct FetchManager::Shared {
    FetchStatusSink* sink = nullptr;
    FetchLimits limits;
    std::atomic<bool> closed{false};
    std::atomic<std::int32_t> bytesReceived{0};
    // Host names and TLS sessions of every worker's transfers.
    TransferShare lookups;

    // Guards the queues and every worker's ended and idle flags and current job.
    std::mutex mutex;
    std::deque<Pending> quoteQueue;
    std::deque<Pending> sideQueue;
    // A job was queued, or the manager is closing: wakes the idle workers.
    std::condition_variable wake;

    std::deque<Pending>& queue(Lane lane) { return lane == Lane::kQuotes ? quoteQueue : sideQueue; }

    void deliver(const FetchReport& report) {
        if (sink != nullptr && !closed.load()) {
            sink->OnFetchStatus(report);
        }
    }
};

struct FetchManager::Worker {
    std::thread thread;
    Lane lane = Lane::kSide;
    bool ended = false;                        // under Shared::mutex
    bool idle = false;                         // under Shared::mutex: waiting for a job
    std::shared_ptr<FetchCancelToken> current; // under Shared::mutex: the job it runs
};

namespace {

// A worker whose queue is empty waits this long for the next job before it ends: the next
// refresh of a ticker comes within seconds, and finds the thread and its transfer handles ready.
constexpr auto kIdleWorkerWait = std::chrono::seconds(60);

bool IsQuoteJob(const QuoteFetchJob& job) {
    return job.jobKind == kJobQuoteText || job.jobKind == kJobGoogleFile;
}

// Quote jobs have a worker of their own, so that quotes never wait for chart images
// from a slow host; side downloads share the others.
std::size_t LaneWorkers(const FetchLimits& limits, FetchManager::Lane lane) {
    const int total = std::max(2, limits.maxWorkers);
    return lane == FetchManager::Lane::kQuotes ? 1u : static_cast<std::size_t>(total - 1);
}

} // namespace

FetchManager::FetchManager(FetchStatusSink* owner, FetchLimits limits)
    : m_shared(std::make_shared<Shared>()) {
    m_shared->sink = owner;
    m_shared->limits = limits;
}

FetchManager::~FetchManager() {
    {
        std::lock_guard<std::mutex> lock(m_shared->mutex);
        m_shared->closed.store(true);
        // Nothing will be reported any more: waiting jobs never run.
        m_shared->quoteQueue.clear();
        m_shared->sideQueue.clear();
    }
    m_shared->wake.notify_all(); // idle workers end
    CancelAll();
    if (m_shared->sink != nullptr) {
        m_shared->sink->ReleaseWaitingReports();
    }
    for (const auto& worker : m_workers) {
        worker->thread.join();
    }
}

bool FetchManager::StartJob(const QuoteFetchJob& job) {
    reapEndedWorkers();
    const Lane lane = IsQuoteJob(job) ? Lane::kQuotes : Lane::kSide;
    auto cancel = std::make_shared<FetchCancelToken>();
    std::size_t running = 0;
    std::size_t idle = 0;
    std::size_t queued = 0;
    {
        std::lock_guard<std::mutex> lock(m_shared->mutex);
        m_shared->queue(lane).push_back(Pending{job, cancel});
        queued = m_shared->queue(lane).size();
        for (const auto& worker : m_workers) {
            running += !worker->ended && worker->lane == lane ? 1 : 0;
            idle += !worker->ended && worker->idle && worker->lane == lane ? 1 : 0;
        }
    }
    m_shared->wake.notify_all();
    // An idle worker of the lane takes it; else a new one while the lane has one to spare.
    if (queued <= idle || running >= LaneWorkers(m_shared->limits, lane) || startWorker(lane)) {
        return true;
    }
    // No new thread: a running worker of the lane takes the job in turn; without one it
    // would wait for ever, so it is taken back.
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    for (const auto& worker : m_workers) {
        if (!worker->ended && worker->lane == lane) {
            return true;
        }
    }
    auto& queue = m_shared->queue(lane);
    queue.erase(std::remove_if(queue.begin(), queue.end(),
                               [&cancel](const Pending& pending) { return pending.cancel == cancel; }),
                queue.end());
    return false;
}

bool FetchManager::startWorker(Lane lane) {
    auto worker = std::make_unique<Worker>();
    worker->lane = lane;
    Worker* self = worker.get();
    try {
        worker->thread = std::thread([self, shared = m_shared] {
            FetchSession session(&shared->lookups);
            for (;;) {
                Pending next;
                {
                    std::unique_lock<std::mutex> lock(shared->mutex);
                    auto& queue = shared->queue(self->lane);
                    self->current.reset();
                    self->idle = true;
                    shared->wake.wait_for(lock, kIdleWorkerWait,
                                          [&] { return !queue.empty() || shared->closed.load(); });
                    self->idle = false;
                    if (queue.empty() || shared->closed.load()) {
                        self->ended = true;
                        return;
                    }
                    next = std::move(queue.front());
                    queue.pop_front();
                    self->current = next.cancel;
                }
                runJob(*shared, session, next.job, *next.cancel);
            }
        });
    } catch (const std::system_error&) {
        return false;
    }
    m_workers.push_back(std::move(worker));
    return true;
}

namespace {

// The further URLs of an in-memory job, one after the other, joined to the first one's
// reply; the parts together are held to one reply's limit, each taking what is left.
void FetchMoreUrls(const QuoteFetchJob& job, std::uint32_t joinedLimit, FetchOutcome& outcome,
                   const std::function<FetchOutcome(const QuoteFetchJob&)>& fetch) {
    for (const std::string& url : job.moreUrls) {
        if (!outcome.succeeded)
            break;
        if (outcome.reply.size() >= joinedLimit) {
            // Nothing is left for this part: it fails without being asked.
            outcome.errorText = "reply too large";
            outcome.succeeded = false;
            break;
        }
        QuoteFetchJob part = job;
        part.url = url;
        part.moreUrls.clear();
        part.sizeLimit = joinedLimit - static_cast<std::uint32_t>(outcome.reply.size());
        FetchOutcome more = fetch(part);
        outcome.succeeded = more.succeeded;
        outcome.reply += more.reply;
        outcome.errorText = std::move(more.errorText);
    }
    if (!outcome.succeeded)
        outcome.reply.clear();
}

// A job whose URLs stand alone: every URL asked at once, each reply kept apart; the job
// succeeds when any of them came.
FetchOutcome FetchEachUrl(const QuoteFetchJob& job, std::uint32_t joinedLimit,
                          std::vector<std::optional<std::string>>& urlReplies,
                          const std::function<std::vector<FetchOutcome>(const std::vector<QuoteFetchJob>&,
                                                                        std::uint32_t)>& fetchTogether) {
    std::vector<QuoteFetchJob> parts;
    parts.reserve(job.moreUrls.size() + 1);
    for (std::size_t i = 0; i <= job.moreUrls.size(); ++i) {
        QuoteFetchJob& part = parts.emplace_back(job);
        if (i > 0)
            part.url = job.moreUrls[i - 1];
        part.moreUrls.clear();
        part.eachUrlAlone = false;
    }
    FetchOutcome outcome;
    for (FetchOutcome& one : fetchTogether(parts, joinedLimit)) {
        if (one.succeeded) {
            urlReplies.emplace_back(std::move(one.reply));
            outcome.succeeded = true;
        } else {
            urlReplies.emplace_back();
            outcome.errorText = std::move(one.errorText);
        }
    }
    if (!outcome.succeeded)
        urlReplies.clear();
    return outcome;
}

} // namespace

void FetchManager::runJob(Shared& shared, FetchSession& session, const QuoteFetchJob& job,
                          FetchCancelToken& cancel) {
    os::LowerThisThreadPriority(job.threadPriority);
    const auto progress = [&](std::uint32_t expectedTotal, std::int32_t bytesReceived) {
        shared.bytesReceived.store(bytesReceived);
        FetchReport report;
        report.jobKind = job.jobKind;
        report.quoteSource = job.quoteSource;
        report.status = kFetchProgress;
        report.replyFile = job.replyFile;
        report.url = job.url;
        report.expectedTotal = expectedTotal;
        report.bytesReceived = bytesReceived;
        shared.deliver(report);
    };
    const auto fetch = [&](const QuoteFetchJob& part) {
        return RunFetchJob(part, cancel, shared.limits, progress, &session);
    };
    const auto fetchTogether = [&](const std::vector<QuoteFetchJob>& parts, std::uint32_t jointLimit) {
        return RunFetchJobsTogether(parts, cancel, shared.limits, progress, &session, jointLimit);
    };
    const std::uint32_t joinedLimit =
        job.sizeLimit > 0 ? std::min(job.sizeLimit, shared.limits.memoryLimit) : shared.limits.memoryLimit;
    const bool memoryJob = job.replyFile.empty();
    std::vector<std::optional<std::string>> urlReplies;
    FetchOutcome outcome = memoryJob && job.eachUrlAlone
                               ? FetchEachUrl(job, joinedLimit, urlReplies, fetchTogether)
                               : fetch(job);
    if (memoryJob) {
        if (!job.eachUrlAlone)
            FetchMoreUrls(job, joinedLimit, outcome, fetch);
        if (cancel.IsCancelled()) {
            // A job cancelled half-way ends as a failed one, whatever its first URLs gave.
            outcome.succeeded = false;
            outcome.reply.clear();
            urlReplies.clear();
            outcome.errorText = "cancelled";
        }
    }
    if (!job.replyFile.empty()) {
        shared.bytesReceived.store(outcome.bytesReceived);
    }
    FetchReport report;
    report.jobKind = job.jobKind;
    report.quoteSource = job.quoteSource;
    report.status = outcome.succeeded ? kFetchFinished : kFetchFailed;
    report.reply = std::move(outcome.reply);
    report.urlReplies = std::move(urlReplies);
    report.replyFile = job.replyFile;
    report.url = job.url;
    report.expectedTotal = outcome.expectedTotal;
    report.bytesReceived = outcome.bytesReceived;
    report.errorText = std::move(outcome.errorText);
    shared.deliver(report);
}

std::int32_t FetchManager::BytesReceived() const {
    return m_shared->bytesReceived.load();
}

void FetchManager::CancelAll() {
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    for (const auto* queue : {&m_shared->quoteQueue, &m_shared->sideQueue}) {
        for (const Pending& pending : *queue) {
            pending.cancel->Cancel();
        }
    }
    for (const auto& worker : m_workers) {
        if (worker->current) {
            worker->current->Cancel();
        }
    }
}

std::size_t FetchManager::QueuedJobCount() const {
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    return m_shared->quoteQueue.size() + m_shared->sideQueue.size();
}

void FetchManager::reapEndedWorkers() {
    std::vector<std::unique_ptr<Worker>> ended;
    {
        std::lock_guard<std::mutex> lock(m_shared->mutex);
        auto firstEnded = std::stable_partition(m_workers.begin(), m_workers.end(),
                                                [](const auto& worker) { return !worker->ended; });
        std::move(firstEnded, m_workers.end(), std::back_inserter(ended));
        m_workers.erase(firstEnded, m_workers.end());
    }
    for (const auto& worker : ended) {
        worker->thread.join(); // ended: its last step is done, the join is immediate
    }
}

} // namespace marlune
