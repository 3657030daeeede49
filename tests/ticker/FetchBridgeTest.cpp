// Reports from worker threads reach the GUI thread, and teardown never waits for them.
#include "ticker/FetchBridge.h"

#include <QCoreApplication>
#include <QTest>
#include <QThread>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace marlune {
namespace {

TEST(FetchBridge, WorkersWaitUntilTheGuiThreadHasHandledTheReport) {
    std::atomic<int> handled{0};
    QThread* handlerThread = nullptr;
    FetchBridge bridge([&](const FetchReport& report) {
        handlerThread = QThread::currentThread();
        EXPECT_EQ(report.reply, "reply");
        handled = report.status;
    });
    std::atomic<bool> returned{false};
    std::thread worker([&] {
        FetchReport report;
        report.status = kFetchFinished;
        report.reply = "reply";
        bridge.OnFetchStatus(report);
        returned = true;
    });
    // The worker blocks until the GUI thread runs the handler.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(returned.load());
    QTRY_VERIFY_WITH_TIMEOUT(returned.load(), 5000);
    worker.join();
    EXPECT_EQ(handled.load(), kFetchFinished);
    EXPECT_EQ(handlerThread, QThread::currentThread());
}

TEST(FetchBridge, ReleaseLetsWaitingWorkersGoWithoutHandling) {
    std::atomic<int> handled{0};
    FetchBridge bridge([&](const FetchReport&) { ++handled; });
    std::atomic<bool> returned{false};
    std::thread worker([&] {
        bridge.OnFetchStatus(FetchReport{});
        returned = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    // The GUI thread tears down without running its event loop.
    bridge.ReleaseWaitingReports();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!returned && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_TRUE(returned.load());
    worker.join();
    QCoreApplication::processEvents();
    EXPECT_EQ(handled.load(), 0);
    // Later reports return at once.
    bridge.OnFetchStatus(FetchReport{});
    EXPECT_EQ(handled.load(), 0);
}

} // namespace
} // namespace marlune
