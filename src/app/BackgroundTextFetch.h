#pragma once
// One small download (TextFetch) on a thread of its own, with the outcome handed to the
// GUI thread. The download can be stopped: the destructor and Cancel stop a running one
// and wait for its thread, which takes about a second at most.

#include "net/TextFetch.h"

#include <QObject>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>

namespace marlune {

class BackgroundTextFetch {
public:
    // How the download is made; tests replace it.
    using Fetcher = std::function<TextFetchResult(const std::string& url, std::function<bool()> cancelled)>;

    // context: the GUI-thread object whose event loop receives the outcome. It must
    // outlive this object (usually it owns it).
    explicit BackgroundTextFetch(QObject* context, Fetcher fetcher = {});
    ~BackgroundTextFetch();
    BackgroundTextFetch(const BackgroundTextFetch&) = delete;
    BackgroundTextFetch& operator=(const BackgroundTextFetch&) = delete;

    // Starts the download through the process-wide proxy; done runs on the GUI thread
    // with the outcome, unless the download was cancelled first. False when one is
    // running already.
    bool Start(std::string url, std::function<void(const TextFetchResult&)> done);

    bool Busy() const;

    // Stops a running download and waits for its thread; done is not called for it.
    void Cancel();

private:
    struct Run;
    QObject* m_context;
    Fetcher m_fetcher;
    std::shared_ptr<Run> m_run;
    std::thread m_thread;
};

} // namespace marlune
