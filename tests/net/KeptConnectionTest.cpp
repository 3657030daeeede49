// Connections kept open between requests (HTTP keep-alive) against the simulated market,
// which keeps them as real servers do: a request over a reused connection obeys every
// limit of a new one, and the URLs of a job whose URLs stand alone fail one by one.

#include "FetchTestSink.h"
#include "LoopbackHttpServer.h"

#include "net/FetchManager.h"
#include "sim/SimServer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <memory>
#include <mutex>

namespace marlune {
namespace {

using test::RecordingSink;

class KeptConnectionTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_sim = std::make_unique<sim::SimServer>();
        ASSERT_GT(m_sim->Start(), 0);
    }

    std::string url(const std::string& path) const { return m_sim->BaseUrl() + path; }

    QuoteFetchJob job(const std::string& path) const {
        QuoteFetchJob job;
        job.url = url(path);
        job.jobKind = kJobQuoteText;
        job.timeLimitMs = 2000;
        return job;
    }

    void fault(const std::string& query) {
        std::string error;
        ASSERT_TRUE(m_sim->SetFaultFromQuery(query, &error)) << error;
    }

    // Runs one job to its end on the manager.
    FetchReport run(FetchManager& manager, RecordingSink& sink, const QuoteFetchJob& job) {
        const std::size_t before = finals(sink);
        EXPECT_TRUE(manager.StartJob(job));
        EXPECT_TRUE(sink.waitForFinal(before + 1));
        FetchReport last;
        for (const FetchReport& report : sink.reports()) {
            if (report.status != kFetchProgress)
                last = report;
        }
        return last;
    }

    static std::size_t finals(const RecordingSink& sink) {
        std::size_t count = 0;
        for (const FetchReport& report : sink.reports())
            count += report.status != kFetchProgress ? 1 : 0;
        return count;
    }

    std::unique_ptr<sim::SimServer> m_sim;
};

TEST_F(KeptConnectionTest, AReusedConnectionObeysEveryLimit) {
    RecordingSink sink;
    FetchManager manager(&sink);
    const std::string body = run(manager, sink, job("/163.txt")).reply;
    ASSERT_FALSE(body.empty());
    // The URLs of one job and the next jobs go over the one connection.
    QuoteFetchJob three = job("/163.txt");
    three.moreUrls = {url("/163.txt"), url("/163.txt")};
    EXPECT_EQ(run(manager, sink, three).reply, body + body + body);
    EXPECT_EQ(m_sim->AcceptedConnections(), 1);

    // Too large for the job: fails at the promised length, the next request still works.
    QuoteFetchJob small = job("/163.txt");
    small.sizeLimit = static_cast<std::uint32_t>(body.size() - 1);
    EXPECT_EQ(run(manager, sink, small).status, kFetchFailed);
    fault("prefix=/163.txt&times=1&size=100000&length=chunked");
    small.sizeLimit = 50000;
    EXPECT_EQ(run(manager, sink, small).status, kFetchFailed);
    // A redirect to a host the job may not reach.
    fault("prefix=/163.txt&times=1&status=302&location=http://elsewhere.test/163.txt");
    const FetchReport redirected = run(manager, sink, job("/163.txt"));
    EXPECT_EQ(redirected.status, kFetchFailed);
    EXPECT_NE(redirected.errorText.find("redirect"), std::string::npos) << redirected.errorText;
    // A server that stops answering on a kept connection: the time limit ends the job.
    EXPECT_EQ(run(manager, sink, job("/163.txt")).reply, body);
    fault("prefix=/163.txt&times=1&hang=1");
    QuoteFetchJob hung = job("/163.txt");
    hung.timeLimitMs = 300;
    const FetchReport timedOut = run(manager, sink, hung);
    EXPECT_EQ(timedOut.status, kFetchFailed);
    // Cancelled while the server holds the reply back.
    fault("prefix=/163.txt&times=1&hang=1");
    ASSERT_TRUE(manager.StartJob(job("/163.txt")));
    const std::size_t requests = m_sim->Requests().size();
    for (int i = 0; i < 200 && m_sim->Requests().size() == requests; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    manager.CancelAll();
    ASSERT_TRUE(sink.waitForFinal(finals(sink) + 1, 2000));
    EXPECT_EQ(sink.reports().back().status, kFetchFailed);
    EXPECT_EQ(run(manager, sink, job("/163.txt")).reply, body);
}

TEST_F(KeptConnectionTest, UrlsThatStandAloneFailOneByOne) {
    RecordingSink sink;
    FetchManager manager(&sink);
    QuoteFetchJob funds = job("/js/161725.js");
    funds.moreUrls = {url("/js/110011.js"), url("/js/040046.js")};
    const FetchReport all = run(manager, sink, funds);
    ASSERT_EQ(all.status, kFetchFinished);

    fault("prefix=/js/110011&status=500");
    // Joined, one failing URL fails the job.
    EXPECT_EQ(run(manager, sink, funds).status, kFetchFailed);
    // Standing alone, the others still come, each apart.
    funds.eachUrlAlone = true;
    const FetchReport alone = run(manager, sink, funds);
    ASSERT_EQ(alone.status, kFetchFinished);
    ASSERT_EQ(alone.urlReplies.size(), 3u);
    EXPECT_TRUE(alone.urlReplies[0] && alone.urlReplies[0]->find("161725") != std::string::npos);
    EXPECT_FALSE(alone.urlReplies[1]);
    EXPECT_TRUE(alone.urlReplies[2] && alone.urlReplies[2]->find("040046") != std::string::npos);
    EXPECT_TRUE(alone.reply.empty());

    // The replies together stay within the job's limit: asked side by side, the first to
    // come fits, the others would go over and fail.
    funds.sizeLimit = static_cast<std::uint32_t>(alone.urlReplies[0]->size() + 10);
    m_sim->ClearFaults();
    const FetchReport capped = run(manager, sink, funds);
    ASSERT_EQ(capped.status, kFetchFinished);
    ASSERT_EQ(capped.urlReplies.size(), 3u);
    EXPECT_EQ(std::count_if(capped.urlReplies.begin(), capped.urlReplies.end(),
                            [](const auto& reply) { return reply.has_value(); }),
              1);

    // Every URL failing fails the job.
    fault("prefix=/js/&status=503");
    const FetchReport none = run(manager, sink, funds);
    EXPECT_EQ(none.status, kFetchFailed);
    EXPECT_TRUE(none.urlReplies.empty());
    // One quote worker ran them all, each waiting for the next job instead of ending.
    EXPECT_EQ(manager.ThreadCount(), 1u);
}

// The URLs of a job that stand alone are asked side by side, a few at a time to one host: a
// server that answers only once four requests wait (or the last ones have come) would leave a
// one-after-the-other client waiting past its time limit.
TEST(SideBySideFetch, UrlsThatStandAloneAreAskedTogetherFourToAHost) {
    test::LoopbackHttpServer http;
    std::mutex mutex;
    std::condition_variable changed;
    int arrived = 0;
    int waiting = 0;
    int mostWaiting = 0;
    constexpr int kUrls = 6;
    http.server().Get(R"(/js/(\d+)\.js)", [&](const httplib::Request& request, httplib::Response& response) {
        std::unique_lock<std::mutex> lock(mutex);
        ++arrived;
        mostWaiting = std::max(mostWaiting, ++waiting);
        changed.notify_all();
        // The bound only ends a broken test instead of hanging it.
        changed.wait_for(lock, std::chrono::seconds(10),
                         [&] { return waiting >= FetchSession::kConnectionsPerHost || arrived == kUrls; });
        --waiting;
        response.set_content("jsonpgz({\"fundcode\":\"" + request.matches[1].str() + "\"});",
                             "text/javascript");
    });
    QuoteFetchJob job;
    job.jobKind = kJobQuoteText;
    job.timeLimitMs = 3000;
    job.eachUrlAlone = true;
    job.url = http.url("/js/100000.js");
    for (int i = 1; i < kUrls; ++i)
        job.moreUrls.push_back(http.url("/js/10000" + std::to_string(i) + ".js"));

    test::RecordingSink sink;
    FetchManager manager(&sink);
    ASSERT_TRUE(manager.StartJob(job));
    ASSERT_TRUE(sink.waitForFinal(1));
    const FetchReport report = sink.reports().back();
    ASSERT_EQ(report.status, kFetchFinished) << report.errorText;
    ASSERT_EQ(report.urlReplies.size(), static_cast<std::size_t>(kUrls));
    for (int i = 0; i < kUrls; ++i) {
        ASSERT_TRUE(report.urlReplies[i]) << i;
        // Each reply is its own URL's, in the job's order.
        EXPECT_NE(report.urlReplies[i]->find("10000" + std::to_string(i)), std::string::npos);
    }
    std::lock_guard<std::mutex> lock(mutex);
    EXPECT_EQ(mostWaiting, FetchSession::kConnectionsPerHost);
}

} // namespace
} // namespace marlune
