// Ending download jobs early: teardown with a hung server, cancel, stalls, refused
// connections, oversized replies, and a report blocked on the owner's thread.

#include "FetchTestServer.h"
#include "FetchTestSink.h"
#include "ScratchFolder.h"

#include "net/BlockingHandoff.h"
#include "net/FetchManager.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <future>

namespace marlune {
namespace {

using test::RecordingSink;
using test::ScriptedConnection;
using test::ScriptedHttpServer;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

QuoteFetchJob Job(const std::string& url, const std::string& replyFile = {}) {
    QuoteFetchJob job;
    job.url = url;
    job.replyFile = replyFile;
    job.headerBlock = "Accept: */*\r\n";
    job.jobKind = replyFile.empty() ? kJobQuoteText : kJobSideDownload;
    return job;
}

TEST(FetchTeardownTest, DestroyingTheManagerWithHungJobsReturnsPromptlyAndReportsNothing) {
    ScriptedHttpServer server([](ScriptedConnection& c) { c.hang(); });
    RecordingSink sink;
    test::ScratchFolder folder;
    const std::string replyFile = folder.file("hung-chart.dat");
    auto manager = std::make_unique<FetchManager>(&sink);
    // Two quote jobs (the second waits for the first) and a chart download.
    manager->StartJob(Job(server.url("/never")));
    manager->StartJob(Job(server.url("/never")));
    manager->StartJob(Job(server.url("/never"), replyFile));
    ASSERT_TRUE(server.waitForRequests(2));
    ASSERT_EQ(manager->QueuedJobCount(), 1u);

    const auto start = Clock::now();
    manager.reset();
    // A hang check, not a benchmark: the transfers wake at once when cancelled.
    EXPECT_LT(SecondsSince(start), 5.0);
    EXPECT_TRUE(sink.reports().empty());
    EXPECT_TRUE(folder.names().empty()) << "neither reply nor temporary file";
}

TEST(FetchTeardownTest, CancelAllFailsRunningJobsAndLaterJobsStillRun) {
    ScriptedHttpServer server([](ScriptedConnection& c) {
        if (c.request().find("/never") != std::string::npos) {
            c.hang();
        } else {
            c.send(ScriptedHttpServer::reply("200 OK", "after"));
        }
    });
    RecordingSink sink;
    FetchManager manager(&sink);
    manager.StartJob(Job(server.url("/never")));
    ASSERT_TRUE(server.waitForRequests(1));
    manager.CancelAll();
    ASSERT_TRUE(sink.waitForFinal(1, 5000));
    EXPECT_EQ(sink.final().status, kFetchFailed);

    manager.StartJob(Job(server.url("/ok")));
    ASSERT_TRUE(sink.waitForFinal(2));
    EXPECT_EQ(sink.reports().back().status, kFetchFinished);
    EXPECT_EQ(sink.reports().back().reply, "after");
}

TEST(FetchTeardownTest, AStalledServerFailsTheJobAfterTheStallTime) {
    ScriptedHttpServer server([](ScriptedConnection& c) {
        c.send("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nhalf");
        c.hang();
    });
    FetchLimits limits;
    limits.stallTimeoutSeconds = 1;
    RecordingSink sink;
    FetchManager manager(&sink, limits);
    manager.StartJob(Job(server.url("/stall")));
    ASSERT_TRUE(sink.waitForFinal(1, 15000));
    EXPECT_EQ(sink.final().status, kFetchFailed);
}

TEST(FetchTeardownTest, RefusedConnectionIsRetriedOnceThenFails) {
    int port = 0;
    { // a port nobody listens on once the server is gone
        ScriptedHttpServer gone([](ScriptedConnection&) {});
        port = gone.port();
    }
    FetchLimits limits;
    limits.connectBackoffMs = 300;
    RecordingSink sink;
    FetchManager manager(&sink, limits);
    const auto start = Clock::now();
    manager.StartJob(Job("http://127.0.0.1:" + std::to_string(port) + "/q"));
    ASSERT_TRUE(sink.waitForFinal(1, 10000));
    EXPECT_EQ(sink.final().status, kFetchFailed);
    EXPECT_GE(SecondsSince(start), 0.3) << "the retry waits for the back-off";

    // Only http and https are fetched.
    manager.StartJob(Job("file:///etc/hostname"));
    ASSERT_TRUE(sink.waitForFinal(2));
    EXPECT_EQ(sink.reports().back().status, kFetchFailed);
    EXPECT_TRUE(sink.reports().back().reply.empty());
}

TEST(FetchTeardownTest, RepliesOverTheLimitsFailWithoutFilesOrUnboundedMemory) {
    ScriptedHttpServer server([](ScriptedConnection& c) {
        if (c.request().find("/claims") != std::string::npos) {
            c.send("HTTP/1.1 200 OK\r\nContent-Length: 1048576\r\n\r\n");
            c.hang(); // the claim alone fails the job
            return;
        }
        c.send("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n");
        const std::string piece(4096, 'z');
        while (c.send(piece)) { // endless body until the client gives up
        }
    });
    FetchLimits limits;
    limits.fileLimit = 64 * 1024;
    limits.memoryLimit = 16 * 1024;
    test::ScratchFolder folder;
    const std::string replyFile = folder.file("endless.dat");
    RecordingSink sink;
    FetchManager manager(&sink, limits);
    manager.StartJob(Job(server.url("/endless"), replyFile));
    manager.StartJob(Job(server.url("/endless")));
    manager.StartJob(Job(server.url("/claims")));
    ASSERT_TRUE(sink.waitForFinal(3, 10000));
    for (const FetchReport& report : sink.reports()) {
        if (report.status == kFetchProgress) {
            EXPECT_LE(report.bytesReceived, 64 * 1024);
            continue;
        }
        EXPECT_EQ(report.status, kFetchFailed) << report.url;
        EXPECT_TRUE(report.reply.empty());
    }
    EXPECT_TRUE(folder.names().empty()) << "neither reply nor temporary file";
}

// A stand-in for the GUI thread: runs posted tasks in order on its own thread.
class OwnerLoop {
public:
    OwnerLoop() : m_thread([this] { run(); }) {}
    ~OwnerLoop() {
        post({});
        m_thread.join();
    }
    void post(std::function<void()> task) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_tasks.push_back(std::move(task));
        m_changed.notify_all();
    }
    std::thread::id id() const { return m_thread.get_id(); }

private:
    void run() {
        for (;;) {
            std::function<void()> task;
            {
                std::unique_lock<std::mutex> lock(m_mutex);
                m_changed.wait(lock, [&] { return !m_tasks.empty(); });
                task = std::move(m_tasks.front());
                m_tasks.pop_front();
            }
            if (!task) {
                return;
            }
            task();
        }
    }
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::function<void()>> m_tasks;
    std::thread m_thread;
};

// The sink the GUI side is meant to write: reports are handled on the owner's
// thread, and the worker waits for that through a BlockingHandoff.
class OwnerThreadSink : public FetchStatusSink {
public:
    explicit OwnerThreadSink(OwnerLoop& loop) : m_loop(loop) {}
    void OnFetchStatus(const FetchReport& report) override {
        m_handoff.Run(
            [this](BlockingHandoff::Task task) {
                m_loop.post(std::move(task));
                posted.store(true);
            },
            [this, report] {
                handledOn = std::this_thread::get_id();
                handled.push_back(report);
            });
    }
    void ReleaseWaitingReports() override { m_handoff.Release(); }

    std::atomic<bool> posted{false};
    std::thread::id handledOn;
    std::vector<FetchReport> handled; // owner thread only

private:
    OwnerLoop& m_loop;
    BlockingHandoff m_handoff;
};

TEST(FetchTeardownTest, ReportsAreHandledOnTheOwnerThread) {
    ScriptedHttpServer server(
        [](ScriptedConnection& c) { c.send(ScriptedHttpServer::reply("200 OK", "quotes")); });
    OwnerLoop loop;
    OwnerThreadSink sink(loop);
    std::unique_ptr<FetchManager> manager;
    loop.post([&] {
        manager = std::make_unique<FetchManager>(&sink);
        manager->StartJob(Job(server.url("/q")));
    });
    for (int i = 0; i < 500 && !sink.posted.load(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::promise<std::vector<FetchReport>> done;
    loop.post([&] {
        manager.reset();
        done.set_value(sink.handled);
    });
    auto future = done.get_future();
    ASSERT_EQ(future.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    const auto handled = future.get();
    ASSERT_EQ(handled.size(), 1u);
    EXPECT_EQ(handled[0].reply, "quotes");
    EXPECT_EQ(sink.handledOn, loop.id());
}

TEST(FetchTeardownTest, OwnerThreadDestroyingTheManagerReleasesAReportWaitingForIt) {
    ScriptedHttpServer server(
        [](ScriptedConnection& c) { c.send(ScriptedHttpServer::reply("200 OK", "late")); });
    OwnerLoop loop;
    OwnerThreadSink sink(loop);
    std::promise<double> destroyed;
    loop.post([&] {
        auto manager = std::make_unique<FetchManager>(&sink);
        manager->StartJob(Job(server.url("/q")));
        // The owner thread is busy here while the worker blocks in its report,
        // exactly the moment a window is torn down.
        while (!sink.posted.load()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        const auto start = Clock::now();
        manager.reset();
        destroyed.set_value(SecondsSince(start));
    });
    auto future = destroyed.get_future();
    ASSERT_EQ(future.wait_for(std::chrono::seconds(10)), std::future_status::ready) << "teardown deadlocked";
    EXPECT_LT(future.get(), 5.0);
    std::promise<std::size_t> handledCount;
    loop.post([&] { handledCount.set_value(sink.handled.size()); });
    EXPECT_EQ(handledCount.get_future().get(), 0u) << "a released report is not handled later";
}

TEST(FetchTeardownTest, HandoffLetsTheWorkerGoWhenThePostedTaskIsDropped) {
    BlockingHandoff handoff;
    const auto start = Clock::now();
    bool ran = false;
    EXPECT_FALSE(
        handoff.Run([](BlockingHandoff::Task) { /* receiver gone: dropped */ }, [&] { ran = true; }));
    EXPECT_FALSE(ran);
    EXPECT_LT(SecondsSince(start), 5.0);

    handoff.Release();
    EXPECT_TRUE(handoff.IsReleased());
    bool posted = false;
    EXPECT_FALSE(handoff.Run([&](BlockingHandoff::Task) { posted = true; }, [] {}));
    EXPECT_FALSE(posted);
}

} // namespace
} // namespace marlune
