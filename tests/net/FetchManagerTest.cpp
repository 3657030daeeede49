// Download jobs against a scripted server on loopback: what arrives, what is
// reported, in which order, and what is left on disk.

#include "FetchTestServer.h"
#include "FetchTestSink.h"
#include "ScratchFolder.h"

#include "net/FetchManager.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

namespace marlune {
namespace {

using test::RecordingSink;
using test::ScriptedConnection;
using test::ScriptedHttpServer;
namespace fs = std::filesystem;

const char* const kSinaHeaders = "Accept: */*\r\nReferer: http://finance.sina.com.cn/\r\n";

using test::ReadAll;
using test::ScratchFolder;
using test::WriteAll;

QuoteFetchJob MemoryJob(const std::string& url, int kind = kJobQuoteText) {
    QuoteFetchJob job;
    job.url = url;
    job.headerBlock = kSinaHeaders;
    job.jobKind = kind;
    return job;
}

QuoteFetchJob FileJob(const std::string& url, const std::string& replyFile) {
    QuoteFetchJob job = MemoryJob(url, kJobSideDownload);
    job.replyFile = replyFile;
    return job;
}

std::string PatternBytes(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>((i * 7 + 3) % 256); // includes zero and high bytes
    }
    return bytes;
}

TEST(FetchManagerTest, MemoryJobDeliversEveryByteAndSendsTheRequestHeaders) {
    const std::string body = PatternBytes(1234);
    ScriptedHttpServer server(
        [&](ScriptedConnection& c) { c.send(ScriptedHttpServer::reply("200 OK", body)); });
    RecordingSink sink;
    FetchManager manager(&sink);
    ASSERT_TRUE(manager.StartJob(MemoryJob(server.url("/rn=5&list=sh600000"))));
    ASSERT_TRUE(sink.waitForFinal());

    const auto reports = sink.reports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].status, kFetchFinished);
    EXPECT_EQ(reports[0].jobKind, kJobQuoteText);
    EXPECT_EQ(reports[0].reply.size(), 1234u);
    EXPECT_EQ(reports[0].reply, body);
    EXPECT_EQ(reports[0].url, server.url("/rn=5&list=sh600000"));

    const std::string request = server.requests().at(0);
    EXPECT_EQ(request.rfind("GET /rn=5&list=sh600000 HTTP/1.1\r\n", 0), 0u) << request;
    EXPECT_NE(
        request.find("\r\nUser-Agent: Mozilla/4.0 (compatible; MSIE 7.0; Windows NT 6.0; Trident/4.0)\r\n"),
        std::string::npos);
    EXPECT_NE(request.find("\r\nReferer: http://finance.sina.com.cn/\r\n"), std::string::npos);
    const auto accept = request.find("\r\nAccept: */*\r\n");
    ASSERT_NE(accept, std::string::npos);
    EXPECT_EQ(request.find("\r\nAccept:", accept + 1), std::string::npos) << "one Accept header only";
}

TEST(FetchManagerTest, MemoryJobReadsRepliesWithoutContentLengthOrWithExcessBytes) {
    const std::string body = PatternBytes(5000);
    ScriptedHttpServer server([&](ScriptedConnection& c) {
        if (c.request().find("/nolength") != std::string::npos) {
            c.send("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n");
            c.send(body.substr(0, 2000));
            c.pause(20);
            c.send(body.substr(2000));
        } else {
            // Content-Length says 10: what follows is not part of the reply.
            c.send("HTTP/1.1 200 OK\r\nConnection: close\r\nContent-Length: 10\r\n\r\n0123456789EXTRA-BYTES");
        }
    });
    RecordingSink sink;
    FetchManager manager(&sink);
    manager.StartJob(MemoryJob(server.url("/nolength")));
    ASSERT_TRUE(sink.waitForFinal(1));
    manager.StartJob(MemoryJob(server.url("/excess")));
    ASSERT_TRUE(sink.waitForFinal(2));

    const auto reports = sink.reports();
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[0].status, kFetchFinished);
    EXPECT_EQ(reports[0].reply, body);
    EXPECT_EQ(reports[1].status, kFetchFinished);
    EXPECT_EQ(reports[1].reply, "0123456789");
}

TEST(FetchManagerTest, OtherStatusesAndRedirectsWithoutTargetFailWithoutProgress) {
    ScriptedHttpServer server([](ScriptedConnection& c) {
        const std::string& request = c.request();
        if (request.find("/missing") != std::string::npos) {
            c.send("HTTP/1.1 404 Not Found\r\nConnection: close\r\n\r\n");
            for (int i = 0; i < 10; ++i) { // enough reads for progress, were it a download
                c.send(std::string(500, 'x'));
                c.pause(5);
            }
        } else if (request.find("/moved") != std::string::npos) { // moved, but where to?
            c.send(ScriptedHttpServer::reply("302 Found", "elsewhere"));
        } else {
            c.send(ScriptedHttpServer::reply("200 OK", "target"));
        }
    });
    ScratchFolder folder;
    RecordingSink sink;
    FetchManager manager(&sink);
    manager.StartJob(FileJob(server.url("/missing"), folder.file("chart.dat")));
    manager.StartJob(MemoryJob(server.url("/missing")));
    manager.StartJob(MemoryJob(server.url("/moved")));
    ASSERT_TRUE(sink.waitForFinal(3));

    for (const FetchReport& report : sink.reports()) {
        EXPECT_EQ(report.status, kFetchFailed) << report.url;
        EXPECT_TRUE(report.reply.empty());
    }
    EXPECT_EQ(server.requests().size(), 3u);
    EXPECT_TRUE(folder.names().empty()) << "neither reply nor temporary file";
}

TEST(FetchManagerTest, FileJobReportsProgressWhileTheTemporaryFileGrowsThenRenamesIt) {
    const std::string body = PatternBytes(12 * 700);
    ScriptedHttpServer server([&](ScriptedConnection& c) {
        if (c.request().find("/short") != std::string::npos) {
            c.send(ScriptedHttpServer::reply("200 OK", "tiny", false));
            return;
        }
        c.send("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n"); // no Content-Length
        for (int i = 0; i < 12; ++i) {
            c.send(body.substr(static_cast<std::size_t>(i) * 700, 700));
            c.pause(30);
        }
    });
    ScratchFolder folder;
    const std::string replyFile = folder.file("data/sh600000.dat"); // data/ does not exist yet
    RecordingSink sink;
    bool tempFileSeenDuringProgress = false;
    bool replyFileSeenDuringProgress = false;
    const auto dataFiles = [&] {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder.file("data")))
            names.insert(entry.path().filename().string());
        return names;
    };
    sink.onReport = [&](const FetchReport& report) {
        if (report.status == kFetchProgress) {
            const std::set<std::string> names = dataFiles();
            tempFileSeenDuringProgress = names.size() == 1 && IsReplyTempName(*names.begin()) &&
                                         names.begin()->rfind("sh600000.dat.tmp-", 0) == 0;
            replyFileSeenDuringProgress = replyFileSeenDuringProgress || fs::exists(replyFile);
        }
    };
    FetchManager manager(&sink);
    manager.StartJob(FileJob(server.url("/chart"), replyFile));
    ASSERT_TRUE(sink.waitForFinal());

    const auto reports = sink.reports();
    ASSERT_GE(reports.size(), 2u);
    for (std::size_t i = 0; i + 1 < reports.size(); ++i) {
        EXPECT_EQ(reports[i].status, kFetchProgress);
        EXPECT_EQ(reports[i].jobKind, kJobSideDownload);
        EXPECT_EQ(reports[i].expectedTotal, FetchLimits{}.fileLimit);
        EXPECT_GT(reports[i].bytesReceived, 0);
        if (i > 0) {
            EXPECT_GT(reports[i].bytesReceived, reports[i - 1].bytesReceived);
        }
    }
    EXPECT_EQ(reports.back().status, kFetchFinished);
    EXPECT_EQ(reports.back().replyFile, replyFile);
    EXPECT_TRUE(tempFileSeenDuringProgress);
    EXPECT_FALSE(replyFileSeenDuringProgress);
    EXPECT_EQ(ReadAll(replyFile), body);
    EXPECT_EQ(dataFiles(), std::set<std::string>{"sh600000.dat"});
    EXPECT_EQ(manager.BytesReceived(), static_cast<std::int32_t>(body.size()));

    // A short reply replaces the old file and sends no progress.
    RecordingSink shortSink;
    FetchManager shortManager(&shortSink);
    shortManager.StartJob(FileJob(server.url("/short"), replyFile));
    ASSERT_TRUE(shortSink.waitForFinal());
    EXPECT_EQ(shortSink.reports().size(), 1u);
    EXPECT_EQ(shortSink.final().status, kFetchFinished);
    EXPECT_EQ(ReadAll(replyFile), "tiny");
}

TEST(FetchManagerTest, FailedFileJobsLeaveNeitherReplyNorTemporaryFile) {
    ScriptedHttpServer server([](ScriptedConnection& c) {
        const std::string& request = c.request();
        if (request.find("/cut") != std::string::npos) {
            c.send("HTTP/1.1 200 OK\r\nConnection: close\r\nContent-Length: 1000\r\n\r\n");
            c.send(std::string(400, 'p'));
        } else if (request.find("/garbage") != std::string::npos) {
            c.send("\x89PNG garbage, not HTTP at all\r\n\r\n\x01\x02\x03");
        } else if (request.find("/brokenchunks") != std::string::npos) {
            c.send("HTTP/1.1 200 OK\r\nConnection: close\r\nTransfer-Encoding: chunked\r\n\r\n"
                   "10\r\n0123456789abcdef\r\n400\r\nonly-part-of-it");
        } else {
            c.send(ScriptedHttpServer::reply("500 Internal Server Error", "oops"));
        }
    });
    ScratchFolder folder;
    const std::vector<std::string> paths{"/cut", "/garbage", "/brokenchunks", "/error"};
    for (const std::string& path : paths) {
        const std::string replyFile = folder.file("reply" + path.substr(1) + ".dat");
        WriteAll(replyFile, "old reply");
        RecordingSink sink;
        {
            FetchManager manager(&sink);
            manager.StartJob(FileJob(server.url(path), replyFile));
            ASSERT_TRUE(sink.waitForFinal()) << path;
        }
        EXPECT_EQ(sink.final().status, kFetchFailed) << path;
        EXPECT_FALSE(sink.final().errorText.empty()) << path;
        EXPECT_TRUE(folder.names().empty()) << path << ": neither reply nor temporary file";
    }
}

TEST(FetchManagerTest, ShortMemoryReplyAndGarbageFail) {
    ScriptedHttpServer server([](ScriptedConnection& c) {
        if (c.request().find("/cut") != std::string::npos) {
            c.send("HTTP/1.1 200 OK\r\nConnection: close\r\nContent-Length: 1234\r\n\r\n");
            c.send(std::string(600, 'q'));
        } else {
            c.send("garbage garbage\r\n\r\n");
        }
    });
    RecordingSink sink;
    FetchManager manager(&sink);
    manager.StartJob(MemoryJob(server.url("/cut")));
    manager.StartJob(MemoryJob(server.url("/garbage")));
    ASSERT_TRUE(sink.waitForFinal(2));
    for (const FetchReport& report : sink.reports()) {
        EXPECT_EQ(report.status, kFetchFailed) << report.url;
        EXPECT_TRUE(report.reply.empty());
    }
}

TEST(FetchManagerTest, OverlappingMemoryJobsKeepTheirOwnReplies) {
    ScriptedHttpServer server([](ScriptedConnection& c) {
        const bool slow = c.request().find("/slow") != std::string::npos;
        const std::string body(3000, slow ? 's' : 'f');
        c.send("HTTP/1.1 200 OK\r\nConnection: close\r\nContent-Length: 3000\r\n\r\n");
        for (int i = 0; i < 3; ++i) {
            c.send(body.substr(static_cast<std::size_t>(i) * 1000, 1000));
            c.pause(slow ? 60 : 20);
        }
    });
    RecordingSink sink;
    FetchManager manager(&sink);
    manager.StartJob(MemoryJob(server.url("/slow")));
    manager.StartJob(MemoryJob(server.url("/fast")));
    ASSERT_TRUE(sink.waitForFinal(2));
    for (const FetchReport& report : sink.reports()) {
        ASSERT_EQ(report.status, kFetchFinished);
        const char expected = report.url.find("/slow") != std::string::npos ? 's' : 'f';
        EXPECT_EQ(report.reply, std::string(3000, expected));
    }
}

TEST(FetchManagerTest, EndedWorkersAreJoinedWhenTheNextJobStarts) {
    ScriptedHttpServer server(
        [](ScriptedConnection& c) { c.send(ScriptedHttpServer::reply("200 OK", "v")); });
    RecordingSink sink;
    FetchManager manager(&sink);
    std::size_t finals = 0;
    for (; finals < 6;) {
        manager.StartJob(MemoryJob(server.url("/q")));
        ASSERT_TRUE(sink.waitForFinal(++finals));
    }
    // A worker that has just sent its final report may still be on its way out, so it is
    // reaped at a later start: after a short pause the ended ones must all be gone.
    bool reaped = false;
    for (int attempt = 0; attempt < 50 && !reaped; ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        manager.StartJob(MemoryJob(server.url("/q")));
        ASSERT_TRUE(sink.waitForFinal(++finals));
        reaped = manager.ThreadCount() <= 2u;
    }
    EXPECT_TRUE(reaped) << manager.ThreadCount() << " threads kept";
}

TEST(FetchManagerTest, JobsRunWithoutAnOwner) {
    ScratchFolder folder;
    ScriptedHttpServer server(
        [](ScriptedConnection& c) { c.send(ScriptedHttpServer::reply("200 OK", "quiet")); });
    {
        FetchManager manager(nullptr);
        manager.StartJob(FileJob(server.url("/q"), folder.file("quiet.dat")));
        ASSERT_TRUE(server.waitForRequests(1));
        for (int i = 0; i < 200 && !fs::exists(folder.file("quiet.dat")); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    EXPECT_EQ(ReadAll(folder.file("quiet.dat")), "quiet");
}

} // namespace
} // namespace marlune
