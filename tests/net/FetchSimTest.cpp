// Whole quote refreshes against the simulated market on loopback: the request the
// requester builds, the transfer, the service's parser; and the market's faults.

#include "FetchTestSink.h"

#include "net/FetchManager.h"
#include "net/QuoteRequest.h"
#include "net/ServiceEndpoints.h"
#include "quote/QuoteParsers.h"
#include "sim/SimServer.h"
#include "text/CNumber.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

namespace marlune {
namespace {

using test::RecordingSink;
namespace fs = std::filesystem;

constexpr std::int64_t kMorningSession = 1765161000; // 10:30 Beijing time on a Monday

StockEntry Entry(const std::string& code, int market) {
    StockEntry entry;
    entry.code = code;
    entry.market = market;
    return entry;
}

bool HasTemporaryFile(const std::string& folder) {
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        if (IsReplyTempName(entry.path().filename().string()))
            return true;
    }
    return false;
}

WatchList SampleWatchList() {
    return {Entry("000001", 1), Entry("399001", 2), Entry("600000", 1), Entry("000002", 2),
            Entry("600519", 1)};
}

class FetchSimTest : public ::testing::Test {
protected:
    void SetUp() override {
        sim::SimOptions options;
        options.clock = [] { return kMorningSession; };
        m_sim = std::make_unique<sim::SimServer>(options);
        ASSERT_GT(m_sim->Start(), 0);
        ASSERT_TRUE(PointAllServicesAt(m_sim->BaseUrl()));
        m_folder = fs::temp_directory_path() / ("marlune-fetchsim-" + std::to_string(::getpid()));
        fs::remove_all(m_folder);
    }
    void TearDown() override {
        RestoreDefaultServices();
        m_sim.reset();
        std::error_code ignored;
        fs::remove_all(m_folder, ignored);
    }

    std::string programFolder() const { return m_folder.string() + "/"; }

    // One refresh: request, transfer, and the final report.
    FetchReport Refresh(const WatchList& list, int source) {
        QuoteRequester requester([] { return static_cast<std::uint32_t>(kMorningSession); });
        auto job = requester.RequestQuotes(list, source, programFolder());
        EXPECT_TRUE(job);
        RecordingSink sink;
        FetchManager manager(&sink);
        manager.StartJob(*job);
        EXPECT_TRUE(sink.waitForFinal());
        m_googleReplyFile = requester.GoogleReplyFile();
        return sink.final();
    }

    void ExpectQuotesOfTheMarket(const QuoteBook& book) {
        for (const StockEntry& entry : book.watchList) {
            const sim::StockInfo* stock = sim::FindStock(entry.market, entry.code);
            ASSERT_NE(stock, nullptr) << entry.code;
            const sim::SimQuote quote = m_sim->market().QuoteAt(*stock, kMorningSession);
            EXPECT_EQ(entry.quote.code, entry.code);
            EXPECT_EQ(entry.quote.name, stock->name) << entry.code;
            // Google writes thousands separators ("3,154.03").
            EXPECT_NEAR(QuoteNumber(entry.quote.price), quote.price, 0.006) << entry.code;
            EXPECT_NEAR(QuoteNumber(entry.quote.high), quote.high, 0.006) << entry.code;
            EXPECT_NEAR(QuoteNumber(entry.quote.low), quote.low, 0.006) << entry.code;
            EXPECT_GT(QuoteNumber(entry.quote.price), 0.0) << entry.code;
        }
    }

    std::unique_ptr<sim::SimServer> m_sim;
    fs::path m_folder;
    std::string m_googleReplyFile;
};

TEST_F(FetchSimTest, SinaRefreshParsesTheMarketsQuotes) {
    const FetchReport report = Refresh(SampleWatchList(), kSourceSina);
    ASSERT_EQ(report.status, kFetchFinished) << report.errorText;
    EXPECT_EQ(report.jobKind, kJobQuoteText);

    QuoteBook book;
    book.setWatchList(SampleWatchList());
    ParseSinaReply(book, report.reply);
    ASSERT_EQ(book.quoteList.size(), 5u);
    ExpectQuotesOfTheMarket(book);
    EXPECT_FALSE(book.updateTime.empty());

    const auto requests = m_sim->Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].target, "/rn=1765161000&list=sh000001,sz399001,sh600000,sz000002,sh600519");
    EXPECT_EQ(requests[0].Header("Referer"), "http://finance.sina.com.cn/");
    EXPECT_EQ(requests[0].Header("User-Agent"),
              "Mozilla/4.0 (compatible; MSIE 7.0; Windows NT 6.0; Trident/4.0)");
}

TEST_F(FetchSimTest, NetEaseRefreshParsesTheMarketsQuotes) {
    const FetchReport report = Refresh(SampleWatchList(), kSourceNetEase);
    ASSERT_EQ(report.status, kFetchFinished) << report.errorText;
    QuoteBook book;
    book.setWatchList(SampleWatchList());
    ParseNeteaseReply(book, report.reply);
    ExpectQuotesOfTheMarket(book);
    EXPECT_EQ(m_sim->Requests().at(0).target, "/?0000001;1399001;0600000;1000002;0600519");
    EXPECT_EQ(m_sim->Requests().at(0).Header("Referer"), "http://money.163.com/");
}

TEST_F(FetchSimTest, GoogleRefreshGoesThroughTheReplyFile) {
    const FetchReport report = Refresh(SampleWatchList(), kSourceGoogle);
    ASSERT_EQ(report.status, kFetchFinished) << report.errorText;
    EXPECT_EQ(report.jobKind, kJobGoogleFile);
    EXPECT_EQ(report.replyFile, programFolder() + "data/gData.dat");
    EXPECT_EQ(m_googleReplyFile, report.replyFile);
    ASSERT_TRUE(fs::exists(report.replyFile));
    EXPECT_FALSE(HasTemporaryFile(programFolder() + "data"));

    QuoteBook book;
    book.setWatchList(SampleWatchList());
    ParseGoogleReply(book, ReadGoogleReply(m_googleReplyFile));
    ExpectQuotesOfTheMarket(book);
    EXPECT_FALSE(fs::exists(report.replyFile)) << "the reader deletes the reply file";
}

TEST_F(FetchSimTest, FaultsOfTheMarketEndJobsWithTheRightStatus) {
    struct Case {
        const char* name;
        sim::Fault fault;
        int source;
        int expectedStatus;
    };
    std::vector<Case> cases;
    sim::Fault fault;
    fault.status = 503;
    cases.push_back({"status 503", fault, kSourceSina, kFetchFailed});
    fault = {};
    fault.truncateAt = 20;
    cases.push_back({"truncated", fault, kSourceSina, kFetchFailed});
    cases.push_back({"truncated file", fault, kSourceGoogle, kFetchFailed});
    fault = {};
    fault.framing = sim::BodyFraming::kClose;
    cases.push_back({"no Content-Length", fault, kSourceSina, kFetchFinished});
    cases.push_back({"no Content-Length file", fault, kSourceGoogle, kFetchFinished});
    fault = {};
    fault.framing = sim::BodyFraming::kChunked;
    fault.pieceBytes = 7;
    cases.push_back({"chunked in pieces", fault, kSourceNetEase, kFetchFinished});
    fault = {};
    fault.status = 302;
    fault.location = "/rn=1&list=sh600000";
    cases.push_back({"redirect loop", fault, kSourceSina, kFetchFailed});
    // Once: the same request again, on a path the fault does not cover.
    const auto pathOf = [&](int source) {
        return BuildQuoteUrl(SampleWatchList(), source, kMorningSession).substr(m_sim->BaseUrl().size());
    };
    fault.times = 1;
    fault.location = pathOf(kSourceSina);
    cases.push_back({"redirect", fault, kSourceSina, kFetchFinished});
    fault.location = pathOf(kSourceGoogle);
    cases.push_back({"redirected file", fault, kSourceGoogle, kFetchFinished});
    fault = {};
    fault.extraBytes = 100;
    cases.push_back({"extra bytes", fault, kSourceSina, kFetchFinished});

    for (const Case& c : cases) {
        m_sim->ClearFaults();
        m_sim->SetFault("/", c.fault);
        const FetchReport report = Refresh(SampleWatchList(), c.source);
        EXPECT_EQ(report.status, c.expectedStatus) << c.name << ": " << report.errorText;
        if (c.source == kSourceGoogle) {
            const std::string file = programFolder() + "data/gData.dat";
            EXPECT_EQ(fs::exists(file), c.expectedStatus == kFetchFinished) << c.name;
            EXPECT_FALSE(HasTemporaryFile(programFolder() + "data")) << c.name;
        }
        if (c.expectedStatus == kFetchFinished && c.source == kSourceSina) {
            QuoteBook book;
            book.setWatchList(SampleWatchList());
            ParseSinaReply(book, report.reply);
            ExpectQuotesOfTheMarket(book);
        }
    }
}

TEST_F(FetchSimTest, GarbageFromTheMarketReachesTheParserWithoutHarm) {
    sim::Fault fault;
    fault.garbage = true;
    m_sim->SetFault("/", fault);
    const FetchReport report = Refresh(SampleWatchList(), kSourceSina);
    ASSERT_EQ(report.status, kFetchFinished); // a 200 reply with a body of the promised length
    QuoteBook book;
    book.setWatchList(SampleWatchList());
    ParseSinaReply(book, report.reply);
    for (const StockEntry& entry : book.watchList) {
        EXPECT_TRUE(entry.quote.price.empty()) << entry.code;
    }
}

TEST_F(FetchSimTest, HungMarketTeardownIsPromptAndTheThrottleHoldsBackRequests) {
    sim::Fault fault;
    fault.hang = true;
    m_sim->SetFault("/rn=", fault);
    std::uint32_t now = static_cast<std::uint32_t>(kMorningSession);
    QuoteRequester requester([&] { return now; }, [&] { return static_cast<std::int64_t>(now) * 1000; });
    RecordingSink sink;
    auto manager = std::make_unique<FetchManager>(&sink);
    // Calls at 0, 3, 5, 9 and 13 s: only the second comes within 4 s of the last
    // request, so four jobs are started. Quote jobs run one at a time: the first hangs
    // at the market, the others wait behind it.
    const std::uint32_t start = now;
    int started = 0;
    for (std::uint32_t offset : {0u, 3u, 5u, 9u, 13u}) {
        now = start + offset;
        if (auto job = requester.RequestQuotes(SampleWatchList(), kSourceSina, programFolder())) {
            manager->StartJob(*job);
            ++started;
        }
    }
    EXPECT_EQ(started, 4);
    for (int i = 0; i < 500 && m_sim->Requests().empty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(m_sim->Requests().size(), 1u);
    EXPECT_EQ(manager->QueuedJobCount(), 3u);
    const auto teardown = std::chrono::steady_clock::now();
    manager.reset();
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - teardown).count(), 5.0);
    EXPECT_TRUE(sink.reports().empty());
}

} // namespace
} // namespace marlune
