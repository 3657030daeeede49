#pragma once
// Runs the refresh cycle inside the desktop program: its two timers are QTimers (the quote
// timer a precise one, so that a period of N seconds gives ticks N seconds apart), its jobs
// go to a FetchManager whose reports reach the GUI thread through a FetchBridge, and what a
// refresh brings is sent out as signals for the window.

#include "cycle/RefreshCycle.h"
#include "net/FetchManager.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <memory>

namespace marlune {

class FetchBridge;

class RefreshDriver final : public QObject, private RefreshHost {
    Q_OBJECT
public:
    // Where download jobs go and what time it is; tests replace them.
    struct JobsAndClocks {
        std::function<void(const QuoteFetchJob&)> startJob; // empty: the driver's FetchManager
        std::function<std::int64_t()> clock;                // wall seconds; empty: the system clock
        // Steady milliseconds; empty: the machine's steady clock, or, when a clock is given,
        // that clock in milliseconds (a test's clock drives both).
        std::function<std::int64_t()> steadyMs;
    };

    RefreshDriver(JobsAndClocks jobsAndClocks, std::string programFolder, std::string alertStatePath,
                  QObject* parent = nullptr);
    ~RefreshDriver() override;

    RefreshCycle& Cycle() { return m_cycle; }
    const RefreshCycle& Cycle() const { return m_cycle; }
    std::int64_t Now() const { return WallSeconds(); }

    // A download job's report, on the GUI thread.
    void HandleFetchStatus(const FetchReport& report);

    const QTimer& QuoteTimer() const { return m_quoteTimer; }
    const QTimer& ChartTimer() const { return m_chartTimer; }
    // The interval of a running timer, -1 for a stopped one.
    int QuoteTimerInterval() const;
    int ChartTimerInterval() const;
    // Runs a timer out now (tests drive the cycle with these).
    void FireQuoteTimer();
    void FireChartTimer();

signals:
    // The book holds new quotes; the grid is to show them. Alerts they raised follow.
    void quotesApplied();
    // Alert messages of the last reply, each followed by "\n"; never empty.
    void alertsRaised(const QString& text);
    void statusChanged(const QString& text);
    void chartFileArrived(const QString& path);
    void chartFileGone(const QString& path);

private:
    // RefreshHost
    bool StartJob(const QuoteFetchJob& job) override;
    void StartTimer(CycleTimer timer, int milliseconds) override;
    void StopTimer(CycleTimer timer) override;
    std::int64_t WallSeconds() const override;
    std::int64_t SteadyMs() const override;
    void QuotesApplied() override;
    void StatusChanged(const std::string& text) override;
    void ChartFileArrived(const std::string& path) override;
    void ChartFileGone(const std::string& path) override;

    QTimer& timer(CycleTimer timer) { return timer == CycleTimer::kQuotes ? m_quoteTimer : m_chartTimer; }

    JobsAndClocks m_jobsAndClocks;
    QTimer m_quoteTimer;
    QTimer m_chartTimer;
    RefreshCycle m_cycle;
    // The bridge outlives the FetchManager, which releases it before joining its workers.
    std::unique_ptr<FetchBridge> m_bridge;
    std::unique_ptr<FetchManager> m_fetchManager;
};

} // namespace marlune
