#pragma once
// What the refresh cycle needs from the program around it: somewhere to run download jobs,
// two one-shot timers, the clocks, and places to show what a refresh brought. The desktop
// program's host is a Qt object (ticker/RefreshDriver.h), the terminal ticker's a blocking
// loop (cli/BlockingRefreshHost.h), the tests' a fake.

#include "net/FetchJob.h"

#include <cstdint>
#include <string>

namespace marlune {

enum class CycleTimer { kQuotes, kCharts };

class RefreshHost {
public:
    virtual ~RefreshHost() = default;

    // Starts a download job; its reports come back through RefreshCycle::OnFetchStatus.
    // False when it could not be started (no report will come).
    virtual bool StartJob(const QuoteFetchJob& job) = 0;

    // One-shot timers: when one runs out the host calls OnQuoteTimer or OnChartTimer.
    // Starting a running timer starts it afresh.
    virtual void StartTimer(CycleTimer timer, int milliseconds) = 0;
    virtual void StopTimer(CycleTimer timer) = 0;

    // Wall-clock seconds since 1970 (they decide the trading sessions and go into requests).
    virtual std::int64_t WallSeconds() const = 0;
    // A steady clock in milliseconds (it measures the waits: the throttle, the retries).
    virtual std::int64_t SteadyMs() const = 0;

    // The book holds the quotes of a new reply (and any alerts they raised).
    virtual void QuotesApplied() = 0;
    // The status line's new text (UTF-8); sent only when it changes.
    virtual void StatusChanged(const std::string& text) = 0;
    // A chart file was downloaded anew, or its download failed and left none.
    virtual void ChartFileArrived(const std::string& path) = 0;
    virtual void ChartFileGone(const std::string& path) = 0;
};

} // namespace marlune
