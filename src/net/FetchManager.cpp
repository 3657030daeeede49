#include "net/FetchManager.h"

#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <system_error>

namespace marlune {

// What the manager shares with its workers. The gate (closed) is shut first thing
// in the destructor: a report that has not reached the sink by then never does.
struct FetchManager::Shared {
    FetchStatusSink* sink = nullptr;
    std::atomic<bool> closed{false};
    std::atomic<std::uint32_t> expectedTotal{0};
    std::atomic<std::int32_t> bytesReceived{0};

    void deliver(const FetchReport& report) {
        if (sink != nullptr && !closed.load()) {
            sink->OnFetchStatus(report);
        }
    }
};

struct FetchManager::Worker {
    FetchCancelToken cancel;
    std::atomic<bool> ended{false};
    std::thread thread;
};

namespace {

// Lowers the calling thread's priority. On Linux the nice value belongs to the
// thread, so this touches the worker alone. Raising a priority needs privileges
// the program does not have, so only the lowering priorities are applied:
// idle becomes nice 19, "lowest" and "below normal" less. Best effort.
void LowerThisThreadPriority(int priority) {
    int nice = 0;
    if (priority <= kThreadPriorityIdle) {
        nice = 19;
    } else if (priority <= -2) {
        nice = 10;
    } else if (priority == -1) {
        nice = 5;
    }
    if (nice > 0) {
        setpriority(PRIO_PROCESS, 0, nice);
    }
}

} // namespace

FetchManager::FetchManager(FetchStatusSink* owner, FetchLimits limits)
    : m_shared(std::make_shared<Shared>()), m_limits(limits) {
    m_shared->sink = owner;
}

FetchManager::~FetchManager() {
    m_shared->closed.store(true);
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
    auto worker = std::make_unique<Worker>();
    Worker* self = worker.get();
    try {
        worker->thread = std::thread([self, job, shared = m_shared, limits = m_limits] {
            LowerThisThreadPriority(job.threadPriority);
            const auto progress = [&](std::uint32_t expectedTotal, std::int32_t bytesReceived) {
                shared->expectedTotal.store(expectedTotal);
                shared->bytesReceived.store(bytesReceived);
                FetchReport report;
                report.jobKind = job.jobKind;
                report.status = kFetchProgress;
                report.replyFile = job.replyFile;
                report.url = job.url;
                report.expectedTotal = expectedTotal;
                report.bytesReceived = bytesReceived;
                shared->deliver(report);
            };
            FetchOutcome outcome = RunFetchJob(job, self->cancel, limits, progress);
            if (!job.replyFile.empty()) {
                shared->bytesReceived.store(outcome.bytesReceived);
            }
            FetchReport report;
            report.jobKind = job.jobKind;
            report.status = outcome.succeeded ? kFetchFinished : kFetchFailed;
            report.reply = std::move(outcome.reply);
            report.replyFile = job.replyFile;
            report.url = job.url;
            report.expectedTotal = outcome.expectedTotal;
            report.bytesReceived = outcome.bytesReceived;
            report.errorText = std::move(outcome.errorText);
            shared->deliver(report);
            self->ended.store(true);
        });
    } catch (const std::system_error&) {
        return false;
    }
    m_workers.push_back(std::move(worker));
    return true;
}

std::uint32_t FetchManager::ExpectedTotal() const {
    return m_shared->expectedTotal.load();
}

std::int32_t FetchManager::BytesReceived() const {
    return m_shared->bytesReceived.load();
}

void FetchManager::CancelAll() {
    for (const auto& worker : m_workers) {
        worker->cancel.Cancel();
    }
}

void FetchManager::reapEndedWorkers() {
    auto ended = std::stable_partition(m_workers.begin(), m_workers.end(),
                                       [](const auto& worker) { return !worker->ended.load(); });
    for (auto it = ended; it != m_workers.end(); ++it) {
        (*it)->thread.join(); // ended: its last step is done, the join is immediate
    }
    m_workers.erase(ended, m_workers.end());
}

} // namespace marlune
