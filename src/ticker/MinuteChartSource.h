#pragma once
// Fetches the minute data the drawn intraday chart shows: one download job per stock off
// the GUI thread, each day kept for a minute (MinuteDataCache), and a signal when a
// stock's data has changed.

#include "net/FetchManager.h"
#include "net/MinuteRequest.h"

#include <QObject>
#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <string>

namespace marlune {

class FetchBridge;

class MinuteChartSource final : public QObject {
    Q_OBJECT
public:
    using Clock = std::function<MinuteDataCache::TimePoint()>;

    explicit MinuteChartSource(QObject* parent = nullptr);
    ~MinuteChartSource() override;

    // Starts fetching the symbol's day unless a fresh one is kept, a fetch for it runs or
    // it failed a moment ago. Returns at once; updated() follows when the fetch ends.
    void Request(const std::string& symbol);

    // What is known about the symbol now; null when nothing.
    const MinuteDataCache::Entry* Find(const std::string& symbol) const { return m_cache.Find(symbol); }

    // Replaces the steady clock, e.g. in tests.
    void setClock(Clock clock) { m_clock = std::move(clock); }
    // Replaces the own FetchManager as the way jobs are started (false: not started), e.g.
    // in tests, which then hand the outcome to HandleReport.
    using StartJobFn = std::function<bool(const QuoteFetchJob&)>;
    void setStartJob(StartJobFn startJob) { m_startJob = std::move(startJob); }

    // The final report of a job started by this source (GUI thread).
    void HandleReport(const FetchReport& report);

signals:
    // A fetch for the symbol ended, with data or without.
    void updated(const QString& symbol);

private:
    Clock m_clock;
    StartJobFn m_startJob;
    MinuteDataCache m_cache;
    std::map<std::string, std::string> m_symbolByUrl; // running fetches
    // The bridge outlives the FetchManager, which releases it before joining its workers.
    std::unique_ptr<FetchBridge> m_bridge;
    std::unique_ptr<FetchManager> m_fetchManager;
};

} // namespace marlune
