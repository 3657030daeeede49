// Reply limits: a quote reply or a day of minute data larger than any real one fails its
// job inside the transfer, so a hostile server's bytes are never held, let alone parsed.

#include "FetchTestServer.h"
#include "FetchTestSink.h"
#include "LargestAllocation.h"

#include "net/FetchManager.h"
#include "net/MinuteRequest.h"
#include "net/QuoteRequest.h"
#include "net/ServiceEndpoints.h"

#include <gtest/gtest.h>

namespace marlune {
namespace {

using test::RecordingSink;
using test::ScriptedConnection;
using test::ScriptedHttpServer;

FetchReport RunOne(const QuoteFetchJob& job) {
    RecordingSink sink;
    FetchManager manager(&sink);
    manager.StartJob(job);
    EXPECT_TRUE(sink.waitForFinal(1, 20000));
    return sink.final();
}

WatchList ListOf(std::size_t count) {
    WatchList list(count);
    for (std::size_t i = 0; i < count; ++i) {
        list[i].code = std::to_string(600000 + i);
        list[i].market = kMarketShanghai;
    }
    return list;
}

// Serves `size` bytes of garbage for every request: with a Content-Length, or, when the
// path holds "open", without one (the body ends when the connection closes).
ScriptedHttpServer GarbageServer(std::size_t size) {
    return ScriptedHttpServer([size](ScriptedConnection& c) {
        const bool declared = c.request().find("open") == std::string::npos;
        std::string head = "HTTP/1.1 200 OK\r\nConnection: close\r\n";
        if (declared)
            head += "Content-Length: " + std::to_string(size) + "\r\n";
        if (!c.send(head + "\r\n"))
            return;
        const std::string block(64 * 1024, 'x');
        for (std::size_t sent = 0; sent < size && !c.stopping();) {
            const std::size_t piece = std::min(block.size(), size - sent);
            if (!c.send(std::string_view(block).substr(0, piece)))
                return;
            sent += piece;
        }
    });
}

TEST(ReplyLimit, QuoteRepliesOverTheCapFailInTheTransfer) {
    const bool measured = test::LargestAllocation::Available();
    for (const std::size_t size : {std::size_t{kMaxQuoteReplyBytes}, std::size_t{8u * kMaxQuoteReplyBytes}}) {
        ScriptedHttpServer server = GarbageServer(size);
        ASSERT_TRUE(PointAllServicesAt(server.url("")));
        for (const int source : {kSourceSina, kSourceTencent}) {
            QuoteFetchJob job = QuoteRequester::BuildJob(ListOf(3), source, "/nowhere/", 1700000000u);
            EXPECT_EQ(job.sizeLimit, kMaxQuoteReplyBytes);
            for (const bool declared : {true, false}) {
                if (!declared)
                    job.url += "&open";
                const test::LargestAllocation largest;
                const FetchReport report = RunOne(job);
                if (size <= kMaxQuoteReplyBytes) {
                    EXPECT_EQ(report.status, kFetchFinished) << report.errorText;
                    EXPECT_EQ(report.reply.size(), size);
                    continue;
                }
                EXPECT_EQ(report.status, kFetchFailed) << size << " bytes, declared " << declared;
                EXPECT_TRUE(report.reply.empty());
                if (measured) {
                    EXPECT_LE(largest.Bytes(), 2u * kMaxQuoteReplyBytes) << "declared " << declared;
                }
            }
        }
    }
    RestoreDefaultServices();
}

TEST(ReplyLimit, TheSlicesOfALongListAreHeldToOneReplysCap) {
    // Each slice is under the cap; together they are over it.
    ScriptedHttpServer server = GarbageServer(kMaxQuoteReplyBytes / 2 + 1);
    ASSERT_TRUE(PointAllServicesAt(server.url("")));
    const QuoteFetchJob job = QuoteRequester::BuildJob(ListOf(200), kSourceTencent, "/nowhere/", 1700000000u);
    ASSERT_GE(job.moreUrls.size(), 2u) << "the service should take the list in slices";
    const FetchReport report = RunOne(job);
    EXPECT_EQ(report.status, kFetchFailed);
    EXPECT_TRUE(report.reply.empty());
    // Not a request more than needed: the second slice already went over.
    EXPECT_EQ(server.requests().size(), 2u);
    RestoreDefaultServices();
}

TEST(ReplyLimit, MinuteDownloadsStopAtTheParsersLimit) {
    const QuoteFetchJob job = BuildMinuteJob("sh600000");
    EXPECT_EQ(job.sizeLimit, kMaxMinuteReplyBytes);
    EXPECT_GT(job.timeLimitMs, 0);
    EXPECT_LT(job.timeLimitMs, FetchLimits{}.timeLimitMs)
        << "a minute day is worth less than a whole transfer";

    ScriptedHttpServer server = GarbageServer(64 * kMaxMinuteReplyBytes);
    ASSERT_TRUE(PointAllServicesAt(server.url("")));
    for (const bool declared : {true, false}) {
        QuoteFetchJob fetch = BuildMinuteJob("sh600000");
        if (!declared)
            fetch.url += "&open";
        const test::LargestAllocation largest;
        const FetchReport report = RunOne(fetch);
        EXPECT_EQ(report.status, kFetchFailed);
        EXPECT_TRUE(report.reply.empty());
        if (test::LargestAllocation::Available()) {
            EXPECT_LE(largest.Bytes(), 2u * kMaxMinuteReplyBytes) << "declared " << declared;
        }
    }
    RestoreDefaultServices();
}

} // namespace
} // namespace marlune
