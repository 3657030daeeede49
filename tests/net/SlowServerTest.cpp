// Downloads against servers that trickle or stay silent: every job ends within its time
// limit, a fixed number of worker threads runs them (one kept for quotes), overlapping jobs for
// one file keep their own temporary files, and chart downloads stop at the size the
// popup accepts.

#include "FetchTestServer.h"
#include "FetchTestSink.h"
#include "ScratchFolder.h"

#include "net/ChartImage.h"
#include "net/ChartRequest.h"
#include "net/FetchManager.h"
#include "net/ServiceEndpoints.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <ctime>
#include <filesystem>

namespace marlune {
namespace {

using test::RecordingSink;
using test::ScratchFolder;
using test::ScriptedConnection;
using test::ScriptedHttpServer;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

QuoteFetchJob Job(const std::string& url, const std::string& replyFile = {}, int kind = kJobSideDownload) {
    QuoteFetchJob job;
    job.url = url;
    job.replyFile = replyFile;
    job.headerBlock = "Accept: */*\r\n";
    job.jobKind = kind;
    return job;
}

// Answers 200 without a length and then two bytes every 100 ms: never done, never stalled.
void Trickle(ScriptedConnection& c) {
    c.send("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n");
    c.trickle("ab", 100);
}

TEST(SlowServerTest, TricklingAndSilentServersEndAtTheTimeLimit) {
    ScriptedHttpServer server([](ScriptedConnection& c) {
        if (c.request().find("/silent") != std::string::npos) {
            c.hang();
        } else {
            Trickle(c);
        }
    });
    ScratchFolder folder;
    RecordingSink sink;
    FetchManager manager(&sink); // the program's stall check: 30 s without a byte
    QuoteFetchJob memory = Job(server.url("/trickle"), {}, kJobQuoteText);
    QuoteFetchJob file = Job(server.url("/trickle"), folder.file("sh600000.dat"));
    QuoteFetchJob silent = Job(server.url("/silent"), {}, kJobQuoteText);
    for (QuoteFetchJob* job : {&memory, &file, &silent}) {
        job->timeLimitMs = 800;
    }
    const auto start = Clock::now();
    manager.StartJob(memory);
    manager.StartJob(file);
    manager.StartJob(silent);
    ASSERT_TRUE(sink.waitForFinal(3, 15000)) << "a job outlived its time limit";
    EXPECT_GE(SecondsSince(start), 0.7);
    for (const FetchReport& report : sink.reports()) {
        if (report.status != kFetchProgress) {
            EXPECT_EQ(report.status, kFetchFailed) << report.url;
            EXPECT_TRUE(report.reply.empty());
        }
    }
    EXPECT_TRUE(folder.names().empty()) << "neither reply nor temporary file";

    // Jobs that name no limit get the manager's.
    FetchLimits limits;
    limits.timeLimitMs = 500;
    RecordingSink defaultSink;
    FetchManager limited(&defaultSink, limits);
    limited.StartJob(Job(server.url("/trickle")));
    ASSERT_TRUE(defaultSink.waitForFinal(1, 15000));
    EXPECT_EQ(defaultSink.final().status, kFetchFailed);

    // The program's jobs carry theirs.
    WatchList list(1);
    list[0].code = "600000";
    list[0].market = kMarketShanghai;
    EXPECT_EQ(BuildChartJobs(list, folder.path()).at(0).timeLimitMs, kChartTimeLimitMs);
    EXPECT_EQ(kChartTimeLimitMs, 30000);
    EXPECT_EQ(kQuoteTimeLimitMs, 15000);
}

TEST(SlowServerTest, AFixedNumberOfWorkersRunsTheJobsOneKeptForQuotes) {
    std::atomic<int> open{0};
    std::atomic<int> mostOpen{0};
    ScriptedHttpServer server([&](ScriptedConnection& c) {
        const int now = ++open;
        int seen = mostOpen.load();
        while (now > seen && !mostOpen.compare_exchange_weak(seen, now)) {
        }
        if (c.request().find("/silent") != std::string::npos) {
            c.hang();
            return;
        }
        c.pause(c.request().find("/side") != std::string::npos ? 200 : 0);
        --open; // before the reply: its job's worker may start the next one at once
        c.send(ScriptedHttpServer::reply("200 OK", "done"));
    });
    FetchLimits limits;
    limits.maxWorkers = 3;
    RecordingSink sink;
    FetchManager manager(&sink, limits);
    for (int i = 0; i < 6; ++i) {
        ASSERT_TRUE(manager.StartJob(Job(server.url("/side/" + std::to_string(i)))));
    }
    EXPECT_LE(manager.ThreadCount(), 2u);
    ASSERT_TRUE(manager.StartJob(Job(server.url("/quote"), {}, kJobQuoteText)));
    EXPECT_LE(manager.ThreadCount(), 3u);
    // The quote job does not wait for the side downloads: it is done before the first of them.
    ASSERT_TRUE(sink.waitForFinal(1, 15000));
    EXPECT_EQ(sink.reports().front().jobKind, kJobQuoteText);
    ASSERT_TRUE(sink.waitForFinal(7, 15000));
    for (const FetchReport& report : sink.reports()) {
        EXPECT_EQ(report.status, kFetchFinished) << report.url << ": " << report.errorText;
    }
    EXPECT_LE(mostOpen.load(), 3);
    EXPECT_GE(mostOpen.load(), 2);
    const auto requests = server.requests();

    // Cancelling ends the waiting jobs as well as the running ones, each with a report.
    for (int i = 0; i < 4; ++i) {
        manager.StartJob(Job(server.url("/silent")));
    }
    ASSERT_TRUE(server.waitForRequests(requests.size() + 2));
    manager.CancelAll();
    ASSERT_TRUE(sink.waitForFinal(11, 5000));
    for (std::size_t i = 7; i < sink.reports().size(); ++i) {
        EXPECT_EQ(sink.reports()[i].status, kFetchFailed);
    }
    EXPECT_EQ(manager.QueuedJobCount(), 0u);
}

TEST(SlowServerTest, OverlappingDownloadsOfOneFileKeepTheirOwnTemporaryFiles) {
    std::atomic<int> served{0};
    ScriptedHttpServer server([&](ScriptedConnection& c) {
        const char fill = static_cast<char>('A' + served++);
        c.send("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n");
        for (int i = 0; i < 10; ++i) {
            c.send(std::string(100, fill));
            c.pause(40);
        }
    });
    ScratchFolder folder;
    const std::string replyFile = folder.file("sh600000.dat");
    RecordingSink sink;
    FetchManager manager(&sink);
    manager.StartJob(Job(server.url("/chart"), replyFile));
    ASSERT_TRUE(server.waitForRequests(1));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    manager.StartJob(Job(server.url("/chart"), replyFile));
    ASSERT_TRUE(sink.waitForFinal(2));
    for (const FetchReport& report : sink.reports()) {
        if (report.status != kFetchProgress) {
            EXPECT_EQ(report.status, kFetchFinished) << report.errorText;
        }
    }
    const std::string chart = test::ReadAll(replyFile);
    ASSERT_EQ(chart.size(), 1000u) << "one whole reply";
    EXPECT_EQ(std::count(chart.begin(), chart.end(), chart[0]), 1000);
    EXPECT_EQ(folder.names(), std::set<std::string>{"sh600000.dat"});
}

TEST(SlowServerTest, StaleTemporaryFilesOfAnEarlierRunAreRemoved) {
    ScratchFolder folder;
    const auto names = {"sh600000.dat",        "sh600000.dat.tmp-Ab12Cd",
                        "gData.dat.tmp",       "sz000001.dat.tmp-Zz99Yy",
                        "list.ini.tmp-Ab12Cd", "notes.txt",
                        "sh600519.dat.backup"};
    for (const char* name : names) {
        test::WriteAll(folder.file(name), "x");
    }
    fs::create_directory(folder.file("sz000002.dat.tmp-Qw12Er")); // not a file
    const std::time_t now = std::time(nullptr);
    const auto fileNow = fs::file_time_type::clock::now();
    for (const char* name : names) {
        fs::last_write_time(folder.file(name), fileNow - std::chrono::hours(1));
    }
    fs::last_write_time(folder.file("sz000001.dat.tmp-Zz99Yy"), fileNow); // a download under way

    RemoveStaleReplyTemps(folder.path(), now - 60);
    EXPECT_EQ(folder.names(),
              (std::set<std::string>{"sh600000.dat", "sz000001.dat.tmp-Zz99Yy", "list.ini.tmp-Ab12Cd",
                                     "notes.txt", "sh600519.dat.backup", "sz000002.dat.tmp-Qw12Er"}));
    RemoveStaleReplyTemps(folder.path() + "/missing", now); // no folder: nothing to do
}

TEST(SlowServerTest, ChartDownloadsStopAtTheSizeThePopupAccepts) {
    ScriptedHttpServer server([](ScriptedConnection& c) {
        const std::string& request = c.request();
        if (request.find("/600000.png") != std::string::npos) { // endless, without a length
            c.send("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n");
            const std::string piece(64 * 1024, 'z');
            while (!c.stopping() && c.send(piece)) {
            }
        } else if (request.find("/000001.png") != std::string::npos) { // claims too much
            c.send("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(kMaxChartFileBytes + 1) +
                   "\r\n\r\n");
            c.hang();
        } else {
            c.send(ScriptedHttpServer::reply("200 OK", std::string(100000, 'p')));
        }
    });
    ASSERT_TRUE(PointAllServicesAt(server.url("")));
    WatchList list(3);
    list[0].code = "600000";
    list[0].market = kMarketShanghai;
    list[1].code = "000001";
    list[1].market = kMarketShenzhen;
    list[2].code = "600519";
    list[2].market = kMarketShanghai;
    ScratchFolder folder;
    RecordingSink sink;
    FetchManager manager(&sink);
    for (const QuoteFetchJob& job : BuildChartJobs(list, folder.path())) {
        manager.StartJob(job);
    }
    ASSERT_TRUE(sink.waitForFinal(3, 15000));
    RestoreDefaultServices();
    for (const FetchReport& report : sink.reports()) {
        EXPECT_LE(report.bytesReceived, static_cast<std::int32_t>(kMaxChartFileBytes));
        if (report.status == kFetchProgress) {
            continue;
        }
        const bool small = report.url.find("/600519.png") != std::string::npos;
        EXPECT_EQ(report.status, small ? kFetchFinished : kFetchFailed) << report.url;
    }
    EXPECT_EQ(folder.names(), std::set<std::string>{"sh600519.dat"});
    EXPECT_EQ(fs::file_size(folder.file("sh600519.dat")), 100000u);
}

} // namespace
} // namespace marlune
