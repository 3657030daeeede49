#pragma once
// Runs download jobs on worker threads and passes their reports to the owner.
//
// One FetchManager per owning window. Its methods are called on the owner's thread
// (the GUI thread); jobs run on worker threads, at most FetchLimits::maxWorkers at a
// time, each at its job's priority, and report through the owner's FetchStatusSink.
// One of those workers is kept for quote jobs, so that quotes never wait for the side
// downloads (chart images, suggestions) of a slow server; the others run side
// downloads. Jobs beyond that wait in their queue, in order; a worker takes the next
// waiting job when its own has ended, waits a while for one when none is left (the next
// refresh reuses the thread, its transfer handles and its open connections), then ends.

#include "net/FetchJob.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace marlune {

// Receives the reports of a FetchManager's jobs.
//
// OnFetchStatus is called on the worker thread, one report at a time per job: any
// number of progress reports (file jobs), then exactly one finished or failed
// report. It may block until the owner's thread has handled the report; the
// worker (and its transfer) waits meanwhile, which keeps the reports of one job in
// order and lets the owner read the reply file while nothing writes it.
//
// What an implementation must do: it must never wait unconditionally for the
// owner's thread. When the owner's thread destroys the FetchManager, a worker may
// be inside OnFetchStatus waiting for that very thread; the destructor therefore
// first stops further reports, then calls ReleaseWaitingReports() on the owner's
// thread, and only then joins the workers. From that call on, every OnFetchStatus
// that waits must return promptly, and a report handed to the owner's thread but
// not handled yet must not be handled any more. BlockingHandoff does exactly this:
// OnFetchStatus runs its task through BlockingHandoff::Run (the post function
// queues it to the GUI thread) and ReleaseWaitingReports calls Release(). A plain
// Qt::BlockingQueuedConnection does not: it would deadlock that join.
class FetchStatusSink {
public:
    virtual ~FetchStatusSink() = default;
    virtual void OnFetchStatus(const FetchReport& report) = 0;
    virtual void ReleaseWaitingReports() {}
};

class FetchManager {
public:
    // owner may be null: the jobs run and nothing is reported.
    explicit FetchManager(FetchStatusSink* owner, FetchLimits limits = {});
    // Stops reports, cancels every running transfer, releases the sink's waiting
    // reports and joins every worker. Never kills a thread; returns within about a
    // second even when a server never answers.
    ~FetchManager();
    FetchManager(const FetchManager&) = delete;
    FetchManager& operator=(const FetchManager&) = delete;

    // Hands the job, as its own copy of the record, to a worker and returns at once:
    // a new worker while its kind has one to spare, otherwise its queue. Workers that
    // have ended are joined first, so threads do not pile up over a day of refreshes.
    // False when the job cannot run because no thread could be started (nothing will
    // be reported for it).
    bool StartJob(const QuoteFetchJob& job);

    // The current file job's bytes written, as of its last progress report. Readable
    // from any thread.
    std::int32_t BytesReceived() const;

    // Cancels every running and waiting job; each ends with a failed report. Jobs
    // started afterwards run normally.
    void CancelAll();

    // Worker threads started and not yet joined.
    std::size_t ThreadCount() const { return m_workers.size(); }
    // Jobs waiting for a worker.
    std::size_t QueuedJobCount() const;

    // Quote jobs (text and Google file) and side downloads run on workers of their own.
    enum class Lane { kQuotes, kSide };

private:
    struct Shared;
    struct Worker;
    struct Pending;

    // Runs one job on the calling worker thread and delivers its reports.
    static void runJob(Shared& shared, FetchSession& session, const QuoteFetchJob& job,
                       FetchCancelToken& cancel);
    void reapEndedWorkers();
    bool startWorker(Lane lane);

    std::shared_ptr<Shared> m_shared;
    std::vector<std::unique_ptr<Worker>> m_workers;
};

} // namespace marlune
