#pragma once
// A FetchStatusSink that records every report, for the download tests.

#include "net/FetchManager.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

namespace marlune::test {

class RecordingSink : public FetchStatusSink {
public:
    void OnFetchStatus(const FetchReport& report) override {
        if (onReport) {
            onReport(report);
        }
        std::lock_guard<std::mutex> lock(m_mutex);
        m_reports.push_back(report);
        m_changed.notify_all();
    }

    // Waits until the given number of jobs has ended (finished or failed).
    bool waitForFinal(std::size_t count = 1, int milliseconds = 10000) {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::milliseconds(milliseconds),
                                  [&] { return finalCountLocked() >= count; });
    }

    std::vector<FetchReport> reports() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_reports;
    }

    // The single final report of a one-job test.
    FetchReport final() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (const FetchReport& report : m_reports) {
            if (report.status != kFetchProgress) {
                return report;
            }
        }
        return {};
    }

    std::size_t progressCount() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        std::size_t count = 0;
        for (const FetchReport& report : m_reports) {
            count += report.status == kFetchProgress ? 1 : 0;
        }
        return count;
    }

    std::function<void(const FetchReport&)> onReport; // runs on the worker thread

private:
    std::size_t finalCountLocked() const {
        std::size_t count = 0;
        for (const FetchReport& report : m_reports) {
            count += report.status != kFetchProgress ? 1 : 0;
        }
        return count;
    }

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<FetchReport> m_reports;
};

} // namespace marlune::test
