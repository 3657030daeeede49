#pragma once
// Hands a task from a worker thread to an owner thread (the GUI thread) and waits
// until the owner has run it, like a blocking queued call, but with a way out:
// Release() lets every waiting worker go at once and skips tasks not yet run.
//
// A FetchStatusSink uses it to pass reports to the GUI thread. When the GUI thread
// tears a FetchManager down, the manager calls the sink's ReleaseWaitingReports(),
// which calls Release(), so a worker blocked in a report cannot block the join.

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

namespace marlune {

class BlockingHandoff {
public:
    using Task = std::function<void()>;
    // Schedules a function on the owner thread, e.g. with
    // QMetaObject::invokeMethod(receiver, std::move(fn), Qt::QueuedConnection).
    // The function may also be dropped without running (its receiver destroyed):
    // the waiting worker is then let go as if released.
    using Post = std::function<void(Task)>;

    BlockingHandoff();
    BlockingHandoff(const BlockingHandoff&) = delete;
    BlockingHandoff& operator=(const BlockingHandoff&) = delete;

    // Worker side: posts the task and waits until the owner thread has run it
    // (true) or Release() was called (false; the task will not run). Must not be
    // called on the owner thread itself.
    // The task should own what it uses (capture by value): when a running task
    // itself releases the handoff (the owner tears down while handling a report),
    // the worker returns, and its stack goes, before the task has ended.
    bool Run(const Post& post, Task task);

    // Owner side: from now on Run returns false at once, waiting Runs return, and
    // posted tasks that have not started are skipped. Cannot be undone.
    void Release();

    bool IsReleased() const;

private:
    struct State {
        std::mutex mutex;
        std::condition_variable changed;
        bool released = false;
    };
    std::shared_ptr<State> m_state;
};

} // namespace marlune
