// Quote requests: code lists, URLs, header blocks, the throttle and the Google
// reply file; the service table and its --services override.

#include "net/QuoteRequest.h"
#include "net/ServiceEndpoints.h"

#include <gtest/gtest.h>

namespace marlune {
namespace {

StockEntry Entry(const std::string& code, int market) {
    StockEntry entry;
    entry.code = code;
    entry.market = market;
    return entry;
}

WatchList FirstRunListWith600000() {
    return {Entry("000001", kMarketShanghai), Entry("399001", kMarketShenzhen),
            Entry("600000", kMarketShanghai)};
}

class QuoteRequestTest : public ::testing::Test {
protected:
    void TearDown() override { RestoreDefaultServices(); }
};

TEST_F(QuoteRequestTest, CodeListsOfTheThreeServices) {
    const WatchList list = FirstRunListWith600000();
    EXPECT_EQ(BuildCodeList(list, 1), "sh000001,sz399001,sh600000");
    EXPECT_EQ(BuildCodeList(list, 2), "0000001;1399001;0600000");
    EXPECT_EQ(BuildCodeList(list, 3), "SHA:000001,SHE:399001,SHA:600000&infotype=infoquoteall&oe=gb2312");

    // Unknown sources ask Sina for the real list.
    EXPECT_EQ(BuildCodeList(list, 0), "sh000001,sz399001,sh600000");
    EXPECT_EQ(BuildCodeList(list, 9), "sh000001,sz399001,sh600000");

    EXPECT_EQ(BuildCodeList({}, 1), "");
    EXPECT_EQ(BuildCodeList({}, 2), "");
    EXPECT_EQ(BuildCodeList({}, 3), "&infotype=infoquoteall&oe=gb2312");
}

TEST_F(QuoteRequestTest, OtherMarketsAsEachServiceNamesThem) {
    const WatchList list = {Entry("600000", kMarketShanghai),    Entry("920118", kMarketBeijing),
                            Entry("00700", kMarketHongKong),     Entry("BRK.B", kMarketUnitedStates),
                            Entry("161725", kMarketFund),        Entry("000001", kMarketShenzhen),
                            Entry("AAPL&x", kMarketUnitedStates)};
    EXPECT_EQ(BuildCodeList(list, 1), "sh600000,bj920118,rt_hk00700,gb_brk.b,sz000001");
    EXPECT_EQ(BuildCodeList(list, 4), "sh600000,bj920118,r_hk00700,usBRK.B,sz000001");
    EXPECT_EQ(BuildCodeList(list, 5), "1.600000,0.920118,116.00700,105.BRK.B,106.BRK.B,107.BRK.B,0.000001");
    // The old services knew Shanghai and Shenzhen only.
    EXPECT_EQ(BuildCodeList(list, 2), "0600000;1000001");
    // A market the program does not know keeps the prefix of the entry before it.
    EXPECT_EQ(BuildCodeList({Entry("600000", kMarketShanghai), Entry("600001", 9)}, 1), "sh600000,sh600001");
}

TEST_F(QuoteRequestTest, TencentAndEastMoneyRequests) {
    const WatchList list = FirstRunListWith600000();
    EXPECT_EQ(BuildQuoteUrl(list, 4, 0), "http://qt.gtimg.cn/q=sh000001,sz399001,sh600000");
    EXPECT_EQ(BuildQuoteUrl(list, 5, 0),
              "http://push2.eastmoney.com/api/qt/ulist.np/get?fltt=2&invt=2&secids=1.000001,0.399001,1.600000"
              "&fields=f2,f3,f4,f5,f6,f12,f13,f14,f15,f16,f17,f18,f124");
    QuoteRequester requester([] { return 100u; });
    const auto job = requester.RequestQuotes(list, 4, "/p/");
    ASSERT_TRUE(job);
    EXPECT_EQ(job->jobKind, kJobQuoteText);
    EXPECT_EQ(job->quoteSource, 4);
    EXPECT_EQ(job->headerBlock, "Accept: */*\r\n");
    EXPECT_TRUE(job->moreUrls.empty());

    // Tencent takes at most 60 codes a request: 130 codes are three requests.
    WatchList longList;
    for (int i = 0; i < 130; ++i)
        longList.push_back(Entry(std::to_string(600000 + i), kMarketShanghai));
    const std::vector<std::string> urls = BuildQuoteUrls(longList, 4, 0);
    ASSERT_EQ(urls.size(), 3u);
    EXPECT_EQ(urls[0].substr(urls[0].size() - 9), ",sh600059");
    EXPECT_EQ(urls[1], "http://qt.gtimg.cn/q=sh600060" + urls[1].substr(29));
    EXPECT_EQ(urls[2], "http://qt.gtimg.cn/q=sh600120,sh600121,sh600122,sh600123,sh600124,sh600125,sh600126,"
                       "sh600127,sh600128,sh600129");
    EXPECT_EQ(QuoteRequester::BuildJob(longList, 4, "/p/", 0).moreUrls.size(), 2u);
}

TEST_F(QuoteRequestTest, AnEntryOfAnotherMarketTakesThePreviousPrefix) {
    // 3 to 6 are the Beijing, Hong Kong, US and fund markets; 7 and 0 none the program knows.
    const WatchList list{Entry("000002", kMarketShenzhen), Entry("200002", 7),
                         Entry("600036", kMarketShanghai), Entry("900901", 0)};
    EXPECT_EQ(BuildCodeList(list, 1), "sz000002,sz200002,sh600036,sh900901");
    EXPECT_EQ(BuildCodeList(list, 2), "1000002;1200002;0600036;0900901");
    EXPECT_EQ(BuildCodeList(list, 3),
              "SHE:000002,SHE:200002,SHA:600036,SHA:900901&infotype=infoquoteall&oe=gb2312");
    // The first entry has no previous prefix.
    EXPECT_EQ(BuildCodeList({Entry("123456", 7), Entry("000001", 1)}, 1), "123456,sh000001");
}

TEST_F(QuoteRequestTest, CodesCannotBreakOutOfTheQuery) {
    const WatchList list{Entry("60 0&x=1,#", kMarketShanghai), Entry("000001", kMarketShanghai)};
    EXPECT_EQ(BuildCodeList(list, 1), "sh60%200%26x%3D1%2C%23,sh000001");
}

TEST_F(QuoteRequestTest, JobsOfTheThreeServices) {
    std::uint32_t now = 1700000000;
    QuoteRequester requester([&] { return now; }, [&] { return std::int64_t{now} * 1000; });
    const WatchList list = FirstRunListWith600000();

    auto sina = requester.RequestQuotes(list, 1, "/home/u/marlune/");
    ASSERT_TRUE(sina);
    EXPECT_EQ(sina->url, "http://hq.sinajs.cn/rn=1700000000&list=sh000001,sz399001,sh600000");
    EXPECT_EQ(sina->headerBlock, "Accept: */*\r\nReferer: http://finance.sina.com.cn/\r\n");
    EXPECT_EQ(sina->jobKind, kJobQuoteText);
    EXPECT_EQ(sina->replyFile, "");
    EXPECT_EQ(sina->threadPriority, -15);

    now += 10;
    auto netEase = requester.RequestQuotes(list, 2, "/home/u/marlune/");
    ASSERT_TRUE(netEase);
    EXPECT_EQ(netEase->url, "http://api.money.126.net/data/feed/?0000001;1399001;0600000");
    EXPECT_EQ(netEase->headerBlock, "Accept: */*\r\nReferer: http://money.163.com/\r\n");
    EXPECT_EQ(netEase->jobKind, kJobQuoteText);
    EXPECT_EQ(netEase->replyFile, "");

    now += 10;
    auto google = requester.RequestQuotes({}, 3, "/home/u/marlune/");
    ASSERT_TRUE(google);
    EXPECT_EQ(google->url, "http://www.google.com.hk/finance/info?q=&infotype=infoquoteall&oe=gb2312");
    EXPECT_EQ(google->headerBlock, "Accept: */*\r\nReferer: http://www.google.com.hk/\r\n");
    EXPECT_EQ(google->jobKind, kJobGoogleFile);
    EXPECT_EQ(google->replyFile, "/home/u/marlune/data/gData.dat");
    EXPECT_EQ(requester.GoogleReplyFile(), "/home/u/marlune/data/gData.dat");

    // Another service forgets the Google reply file; an unknown source is Sina.
    now += 10;
    auto unknown = requester.RequestQuotes(list, 0, "/home/u/marlune/");
    ASSERT_TRUE(unknown);
    EXPECT_EQ(unknown->url, "http://hq.sinajs.cn/rn=1700000030&list=sh000001,sz399001,sh600000");
    EXPECT_EQ(unknown->jobKind, kJobQuoteText);
    EXPECT_EQ(requester.GoogleReplyFile(), "");
}

TEST_F(QuoteRequestTest, ThrottleDropsCallsWithinFourSecondsOfTheLastRequest) {
    std::uint32_t now = 1700000000;
    std::int64_t steadyMs = 5'000'000;
    QuoteRequester requester([&] { return now; }, [&] { return steadyMs; });
    const WatchList list = FirstRunListWith600000();

    EXPECT_TRUE(requester.RequestQuotes(list, 1, "/p/"));
    steadyMs += 3000;
    EXPECT_FALSE(requester.RequestQuotes(list, 1, "/p/"));
    steadyMs += 1000; // 4 s after the request: the dropped call did not move the throttle
    now += 4;
    auto job = requester.RequestQuotes(list, 1, "/p/");
    ASSERT_TRUE(job);
    EXPECT_NE(job->url.find("rn=1700000004&"), std::string::npos); // the wall clock names the request

    // The spacing is counted in milliseconds: a tick that comes a little early is dropped, one
    // exactly a period later is not (whole seconds would have dropped it or let the early one in).
    steadyMs += 3999;
    EXPECT_FALSE(requester.MayRequest());
    steadyMs += 1;
    EXPECT_TRUE(requester.MayRequest());
    EXPECT_TRUE(requester.RequestQuotes(list, 1, "/p/"));

    // A refresh every second still requests every 4 seconds.
    int requests = 0;
    for (int second = 0; second < 20; ++second) {
        steadyMs += 1000;
        requests += requester.RequestQuotes(list, 1, "/p/") ? 1 : 0;
    }
    EXPECT_EQ(requests, 5);

    // A dropped Google call keeps the path of the last Google request.
    EXPECT_TRUE(requester.RequestQuotes(list, 3, "/p/") == std::nullopt);
    steadyMs += 4000;
    EXPECT_TRUE(requester.RequestQuotes(list, 3, "/p/"));
    steadyMs += 1000;
    EXPECT_FALSE(requester.RequestQuotes(list, 1, "/p/"));
    EXPECT_EQ(requester.GoogleReplyFile(), "/p/data/gData.dat");

    // The wall clock set back by the user changes nothing of the spacing.
    now -= 3600;
    steadyMs += 3000;
    EXPECT_TRUE(requester.RequestQuotes(list, 1, "/p/"));
}

TEST_F(QuoteRequestTest, FirstCallAlwaysRequestsAndAProgramFolderGetsItsSeparator) {
    QuoteRequester requester([] { return 2u; });
    auto job = requester.RequestQuotes({}, 3, "/opt/marlune");
    ASSERT_TRUE(job);
    EXPECT_EQ(job->replyFile, "/opt/marlune/data/gData.dat");
}

TEST_F(QuoteRequestTest, PointAllServicesAtOneBaseUrl) {
    ASSERT_TRUE(PointAllServicesAt("http://127.0.0.1:8123/"));
    for (Service service :
         {Service::kSinaQuotes, Service::kNetEaseQuotes, Service::kGoogle, Service::kHexunCharts,
          Service::kSinaSuggest, Service::kVendorSite, Service::kVendorSecondSite}) {
        EXPECT_EQ(ServiceBaseUrl(service), "http://127.0.0.1:8123");
    }
    EXPECT_EQ(ServiceHeaderBlock(Service::kSinaQuotes),
              "Accept: */*\r\nReferer: http://finance.sina.com.cn/\r\n");
    EXPECT_EQ(ServiceHeaderBlock(Service::kHexunCharts), "Accept: */*\r\nReferer: http://www.hexun.com/\r\n");

    QuoteRequester requester([] { return 77u; });
    const WatchList list = FirstRunListWith600000();
    EXPECT_EQ(requester.RequestQuotes(list, 1, "/p/")->url,
              "http://127.0.0.1:8123/rn=77&list=sh000001,sz399001,sh600000");

    for (const char* bad : {"", "127.0.0.1:8123", "ftp://host", "http://", "http:///path", "http://host/a b",
                            "http://host/?q=1", "http://host\n"}) {
        EXPECT_FALSE(PointAllServicesAt(bad)) << bad;
    }
    EXPECT_EQ(ServiceBaseUrl(Service::kGoogle), "http://127.0.0.1:8123") << "a refused URL changes nothing";

    ASSERT_TRUE(PointAllServicesAt("HTTPS://sim.example:8443/market"));
    EXPECT_EQ(ServiceBaseUrl(Service::kHexunCharts), "HTTPS://sim.example:8443/market");

    RestoreDefaultServices();
    EXPECT_EQ(ServiceBaseUrl(Service::kSinaQuotes), "http://hq.sinajs.cn");
    EXPECT_EQ(ServiceBaseUrl(Service::kNetEaseQuotes), "http://api.money.126.net/data/feed");
    EXPECT_EQ(ServiceBaseUrl(Service::kGoogle), "http://www.google.com.hk");
    EXPECT_EQ(ServiceBaseUrl(Service::kHexunCharts), "http://image.hexun.com");
    EXPECT_EQ(ServiceBaseUrl(Service::kSinaSuggest), "http://suggest3.sinajs.cn");
    EXPECT_EQ(ServiceBaseUrl(Service::kVendorSite), "http://www.orvento.example");
    EXPECT_EQ(ServiceBaseUrl(Service::kVendorSecondSite), "http://www2.orvento.example");
    EXPECT_EQ(GetServiceEndpoint(Service::kVendorSecondSite).homePage, "http://www2.orvento.example/");
}

} // namespace
} // namespace marlune
