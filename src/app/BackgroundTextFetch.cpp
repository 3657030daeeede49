#include "app/BackgroundTextFetch.h"

#include <QMetaObject>

namespace marlune {

// What a running download shares with its thread.
struct BackgroundTextFetch::Run {
    std::atomic<bool> cancelled{false};
    std::atomic<bool> finished{false};
};

BackgroundTextFetch::BackgroundTextFetch(QObject* context, Fetcher fetcher)
    : m_context(context), m_fetcher(std::move(fetcher)) {
    if (!m_fetcher) {
        m_fetcher = [](const std::string& url, std::function<bool()> cancelled) {
            return TextFetch(url, CurrentDownloadProxy(), std::move(cancelled));
        };
    }
}

BackgroundTextFetch::~BackgroundTextFetch() {
    Cancel();
}

bool BackgroundTextFetch::Busy() const {
    return m_run && !m_run->finished.load();
}

bool BackgroundTextFetch::Start(std::string url, std::function<void(const TextFetchResult&)> done) {
    if (Busy())
        return false;
    if (m_thread.joinable())
        m_thread.join(); // the last one has finished
    auto run = std::make_shared<Run>();
    m_run = run;
    // The context outlives the thread: its owner cancels (and so joins) before it ends.
    QObject* context = m_context;
    m_thread = std::thread([run, context, fetcher = m_fetcher, url = std::move(url), done = std::move(done)] {
        TextFetchResult result = fetcher(url, [run] { return run->cancelled.load(); });
        run->finished.store(true);
        if (run->cancelled.load())
            return;
        // Queued to the context's thread; the cancel flag is checked again on arrival,
        // and a call still queued when the context ends is dropped with it.
        QMetaObject::invokeMethod(
            context,
            [run, done, result = std::move(result)] {
                if (!run->cancelled.load())
                    done(result);
            },
            Qt::QueuedConnection);
    });
    return true;
}

void BackgroundTextFetch::Cancel() {
    if (m_run)
        m_run->cancelled.store(true);
    if (m_thread.joinable())
        m_thread.join();
    m_run.reset();
}

} // namespace marlune
