#pragma once
// Carries the reports of download jobs from their worker threads into the GUI thread.
// A worker waits until the GUI thread has handled its report, as a blocking queued call
// would, but teardown can let every waiting worker go: the window's FetchManager calls
// ReleaseWaitingReports() before it joins its workers, so destroying the window while a
// worker waits never deadlocks, and reports not handled by then are dropped.

#include "net/BlockingHandoff.h"
#include "net/FetchManager.h"

#include <QObject>
#include <functional>

namespace marlune {

class FetchBridge final : public QObject, public FetchStatusSink {
    Q_OBJECT
public:
    using Handler = std::function<void(const FetchReport&)>;

    // The handler runs on the thread this object lives in (the GUI thread).
    explicit FetchBridge(Handler handler, QObject* parent = nullptr);

    void OnFetchStatus(const FetchReport& report) override; // worker threads
    void ReleaseWaitingReports() override;                  // GUI thread

private:
    Handler m_handler;
    BlockingHandoff m_handoff;
};

} // namespace marlune
