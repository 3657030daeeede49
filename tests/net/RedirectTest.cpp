// Redirects: every kind of download follows up to five of them, to http and https
// addresses only, on its own host, its domain or a host of the service table, with its
// own request headers and through the proxy setting.

#include "FetchTestServer.h"
#include "FetchTestSink.h"
#include "ScratchFolder.h"

#include "net/ChartRequest.h"
#include "net/DownloadProxy.h"
#include "net/FetchManager.h"
#include "net/QuoteRequest.h"
#include "net/RedirectRule.h"
#include "net/ServiceEndpoints.h"
#include "net/Suggestions.h"
#include "net/TextFetch.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <thread>

namespace marlune {
namespace {

using test::RecordingSink;
using test::ScratchFolder;
using test::ScriptedConnection;
using test::ScriptedHttpServer;

// The path of a request ("GET /path HTTP/1.1"), or the whole target of a proxy request.
std::string Target(const std::string& request) {
    const std::size_t start = request.find(' ') + 1;
    return request.substr(start, request.find(' ', start) - start);
}

std::string Header(const std::string& request, const std::string& name) {
    const std::size_t at = request.find("\r\n" + name + ": ");
    if (at == std::string::npos) {
        return {};
    }
    const std::size_t value = at + name.size() + 4;
    return request.substr(value, request.find("\r\n", value) - value);
}

FetchReport RunOne(const QuoteFetchJob& job) {
    RecordingSink sink;
    FetchManager manager(&sink);
    manager.StartJob(job);
    EXPECT_TRUE(sink.waitForFinal(1, 15000));
    return sink.final();
}

QuoteFetchJob MemoryJob(const std::string& url) {
    QuoteFetchJob job;
    job.url = url;
    job.headerBlock = "Accept: */*\r\nReferer: http://finance.sina.com.cn/\r\n";
    job.jobKind = kJobQuoteText;
    return job;
}

// Accepts one connection and keeps its first bytes: what a client that was sent to an
// https address says first (a TLS handshake), or nothing.
class RawListener {
public:
    RawListener() {
        m_socket = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(m_socket, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(m_socket, 4);
        socklen_t length = sizeof address;
        ::getsockname(m_socket, reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] {
            pollfd listening{m_socket, POLLIN, 0};
            if (::poll(&listening, 1, 10000) <= 0) {
                return;
            }
            const int client = ::accept(m_socket, nullptr, nullptr);
            pollfd readable{client, POLLIN, 0};
            unsigned char first = 0;
            if (::poll(&readable, 1, 10000) > 0 && ::recv(client, &first, 1, 0) == 1) {
                m_first.store(first);
            }
            ::close(client);
        });
    }
    ~RawListener() {
        join();
        ::close(m_socket);
    }
    int port() const { return m_port; }
    void join() {
        if (m_thread.joinable()) {
            m_thread.join();
        }
    }
    int firstByte() const { return m_first.load(); }

private:
    int m_socket = -1;
    int m_port = 0;
    std::atomic<int> m_first{-1};
    std::thread m_thread;
};

TEST(RedirectTest, EveryKindOfDownloadFollowsToAnotherServerWithItsHeaders) {
    ScriptedHttpServer target([](ScriptedConnection& c) {
        c.send(ScriptedHttpServer::reply("200 OK", "moved:" + Target(c.request())));
    });
    // The old address answers every request with the same path on the new server.
    ScriptedHttpServer origin([&](ScriptedConnection& c) {
        c.send(ScriptedHttpServer::reply("301 Moved Permanently", "", true,
                                         "Location: " + target.url(Target(c.request())) + "\r\n"));
    });
    ASSERT_TRUE(PointAllServicesAt(origin.url("")));
    ScratchFolder folder;
    WatchList list(1);
    list[0].code = "600000";
    list[0].market = kMarketShanghai;
    QuoteRequester sina([] { return 1700000000u; });
    QuoteRequester google([] { return 1700000000u; });
    const QuoteFetchJob quotes = *sina.RequestQuotes(list, kSourceSina, folder.path() + "/");
    const QuoteFetchJob googleQuotes = *google.RequestQuotes(list, kSourceGoogle, folder.path() + "/");
    const QuoteFetchJob chart = BuildChartJobs(list, folder.path()).at(0);
    const QuoteFetchJob suggestion = BuildSuggestionJob("pf");

    RecordingSink sink;
    {
        FetchManager manager(&sink);
        for (const QuoteFetchJob* job : {&quotes, &googleQuotes, &chart, &suggestion}) {
            manager.StartJob(*job);
        }
        ASSERT_TRUE(sink.waitForFinal(4, 15000));
    }
    for (const FetchReport& report : sink.reports()) {
        ASSERT_EQ(report.status, kFetchFinished) << report.url << ": " << report.errorText;
        const std::string expected = "moved:" + report.url.substr(origin.url("").size());
        if (report.replyFile.empty()) {
            EXPECT_EQ(report.reply, expected);
        } else {
            EXPECT_EQ(test::ReadAll(report.replyFile), expected);
        }
    }
    // Each request reached the new server with the headers of its job, Referer included.
    const auto originRequests = origin.requests();
    const auto targetRequests = target.requests();
    ASSERT_EQ(targetRequests.size(), 4u);
    for (const std::string& moved : targetRequests) {
        const auto first = std::find_if(originRequests.begin(), originRequests.end(),
                                        [&](const std::string& r) { return Target(r) == Target(moved); });
        ASSERT_NE(first, originRequests.end()) << moved;
        EXPECT_FALSE(Header(moved, "Referer").empty()) << moved;
        EXPECT_EQ(Header(moved, "Referer"), Header(*first, "Referer"));
        EXPECT_EQ(Header(moved, "User-Agent"), Header(*first, "User-Agent"));
    }

    const TextFetchResult text = TextFetch(origin.url("/update.html"), DownloadProxy{});
    EXPECT_TRUE(text.ok);
    EXPECT_EQ(text.body, "moved:/update.html");
    RestoreDefaultServices();
}

TEST(RedirectTest, FiveAreFollowedTheSixthFails) {
    // /hop/N sends the client on to /hop/N-1; /hop/0 answers.
    ScriptedHttpServer server([](ScriptedConnection& c) {
        const std::string path = Target(c.request());
        const int hops = std::stoi(path.substr(path.rfind('/') + 1));
        if (hops == 0) {
            c.send(ScriptedHttpServer::reply("200 OK", "arrived"));
        } else {
            const char* status = hops % 2 == 0 ? "302 Found" : "307 Temporary Redirect";
            c.send(ScriptedHttpServer::reply(status, "", true,
                                             "Location: /hop/" + std::to_string(hops - 1) + "\r\n"));
        }
    });
    const FetchReport five = RunOne(MemoryJob(server.url("/hop/5")));
    EXPECT_EQ(five.status, kFetchFinished) << five.errorText;
    EXPECT_EQ(five.reply, "arrived");
    const FetchReport six = RunOne(MemoryJob(server.url("/hop/6")));
    EXPECT_EQ(six.status, kFetchFailed);
    EXPECT_TRUE(six.reply.empty());

    EXPECT_TRUE(TextFetch(server.url("/hop/5"), DownloadProxy{}).ok);
    EXPECT_FALSE(TextFetch(server.url("/hop/6"), DownloadProxy{}).ok);
}

TEST(RedirectTest, OnlyHttpAndHttpsAddressesAreFollowed) {
    RawListener secure;
    ScratchFolder folder;
    test::WriteAll(folder.file("secret.txt"), "local file");
    ScriptedHttpServer server([&](ScriptedConnection& c) {
        const std::string path = Target(c.request());
        std::string location;
        if (path == "/to-file") {
            location = "file://" + folder.file("secret.txt");
        } else if (path == "/to-ftp") {
            location = "ftp://127.0.0.1:" + std::to_string(secure.port()) + "/x";
        } else if (path == "/to-https") {
            location = "https://127.0.0.1:" + std::to_string(secure.port()) + "/x";
        }
        c.send(ScriptedHttpServer::reply("302 Found", "", true, "Location: " + location + "\r\n"));
    });
    for (const char* path : {"/to-file", "/to-ftp"}) {
        const FetchReport memory = RunOne(MemoryJob(server.url(path)));
        EXPECT_EQ(memory.status, kFetchFailed) << path;
        EXPECT_TRUE(memory.reply.empty()) << path;
        QuoteFetchJob file = MemoryJob(server.url(path));
        file.replyFile = folder.file("sh600000.dat");
        file.jobKind = kJobSideDownload;
        EXPECT_EQ(RunOne(file).status, kFetchFailed) << path;
        EXPECT_FALSE(TextFetch(server.url(path), DownloadProxy{}).ok) << path;
    }
    EXPECT_EQ(folder.names(), std::set<std::string>{"secret.txt"});

    // https is followed: the listener hears a TLS handshake (it cannot answer one).
    EXPECT_EQ(RunOne(MemoryJob(server.url("/to-https"))).status, kFetchFailed);
    secure.join();
    EXPECT_EQ(secure.firstByte(), 0x16) << "a TLS handshake record";
}

TEST(RedirectTest, ThroughAProxyTheRedirectGoesThroughItToo) {
    ScriptedHttpServer proxy([](ScriptedConnection& c) {
        if (Target(c.request()) == "http://quotes.invalid/old") {
            c.send(
                ScriptedHttpServer::reply("302 Found", "", true, "Location: http://quotes.invalid/new\r\n"));
        } else {
            c.send(ScriptedHttpServer::reply("200 OK", "via proxy: " + Target(c.request())));
        }
    });
    const DownloadProxy saved = CurrentDownloadProxy();
    ASSERT_TRUE(SetDownloadProxy({ProxyKind::kHttp, "127.0.0.1", std::to_string(proxy.port()), "me", "pw"}));
    const FetchReport report = RunOne(MemoryJob("http://quotes.invalid/old"));
    const TextFetchResult text = TextFetch("http://quotes.invalid/old");
    SetDownloadProxy(saved);

    EXPECT_EQ(report.status, kFetchFinished) << report.errorText;
    EXPECT_EQ(report.reply, "via proxy: http://quotes.invalid/new");
    EXPECT_TRUE(text.ok);
    EXPECT_EQ(text.body, "via proxy: http://quotes.invalid/new");
    const auto requests = proxy.requests();
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_EQ(Target(requests[1]), "http://quotes.invalid/new");
    EXPECT_EQ(Header(requests[1], "Referer"), "http://finance.sina.com.cn/");
    for (std::size_t i = 0; i < 2; ++i) { // the job's two requests
        EXPECT_EQ(Header(requests[i], "Proxy-Authorization"), "Basic bWU6cHc=") << requests[i];
    }
}

TEST(RedirectTest, DomainsOfTheServicesHosts) {
    EXPECT_EQ(HostDomain("hq.sinajs.cn"), "sinajs.cn");
    EXPECT_EQ(HostDomain("finance.sina.com.cn"), "sina.com.cn");
    EXPECT_EQ(HostDomain("www.google.com.hk"), "google.com.hk");
    EXPECT_EQ(HostDomain("api.money.126.net"), "126.net");
    EXPECT_EQ(HostDomain("quotes.invalid"), "quotes.invalid");
    EXPECT_EQ(HostDomain("127.0.0.1"), "127.0.0.1");
    EXPECT_EQ(UrlHost("http://WWW.Sina.com.cn:8080/x"), "www.sina.com.cn");
    EXPECT_EQ(UrlHost("http://[::1]:80/"), "::1");

    const std::string job = "http://hq.sinajs.cn/list=sh600000";
    EXPECT_TRUE(IsRedirectAllowed(job, job, "/list=sh600001"));
    EXPECT_TRUE(IsRedirectAllowed(job, job, "https://hq.sinajs.cn/x"));
    EXPECT_TRUE(IsRedirectAllowed(job, job, "http://www.sinajs.cn/x"));
    EXPECT_TRUE(IsRedirectAllowed(job, job, "http://qt.gtimg.cn/x")) << "a host of the service table";
    EXPECT_FALSE(IsRedirectAllowed(job, job, "http://sinajs.cn.evil.example/x"));
    EXPECT_FALSE(IsRedirectAllowed(job, job, "http://127.0.0.1:6379/"));
    EXPECT_FALSE(IsRedirectAllowed(job, job, "http://192.168.1.1/admin"));
    EXPECT_FALSE(IsRedirectAllowed(job, job, "http://localhost/"));
    EXPECT_FALSE(IsRedirectAllowed(job, job, "http://[::1]/"));
    EXPECT_FALSE(IsRedirectAllowed("http://a.com.cn/", "http://a.com.cn/", "http://b.com.cn/"))
        << "com.cn is nobody's own domain";
    // The hop in between does not widen what the job may reach.
    EXPECT_FALSE(IsRedirectAllowed(job, "http://www.sinajs.cn/", "http://www.other.cn/"));
    EXPECT_FALSE(IsRedirectAllowed("http://127.0.0.1:1/", "http://127.0.0.1:1/", "http://127.0.0.2:1/"));
}

TEST(RedirectTest, AHostOutsideTheServiceFailsEveryKindOfDownload) {
    // Loopback under names no service uses (localhost, 127.0.0.2): were the redirect
    // followed, the request would reach the second server.
    std::atomic<int> reachedOther{0};
    ScriptedHttpServer other([&](ScriptedConnection& c) {
        ++reachedOther;
        c.send(ScriptedHttpServer::reply("200 OK", "other"));
    });
    ScriptedHttpServer origin([&](ScriptedConnection& c) {
        const std::string path = Target(c.request());
        const std::string location = path.find("local") != std::string::npos
                                         ? "http://localhost:" + std::to_string(other.port()) + "/"
                                         : "http://127.0.0.2:" + std::to_string(other.port()) + "/";
        c.send(ScriptedHttpServer::reply("302 Found", "", true, "Location: " + location + "\r\n"));
    });
    ASSERT_TRUE(PointAllServicesAt(origin.url("")));
    ScratchFolder folder;
    WatchList list(1);
    list[0].code = "600000";
    list[0].market = kMarketShanghai;
    QuoteFetchJob quotes = QuoteRequester::BuildJob(list, kSourceSina, folder.path() + "/", 1700000000u);
    QuoteFetchJob googleQuotes =
        QuoteRequester::BuildJob(list, kSourceGoogle, folder.path() + "/", 1700000000u);
    QuoteFetchJob chart = BuildChartJobs(list, folder.path()).at(0);
    QuoteFetchJob suggestion = BuildSuggestionJob("local");
    chart.url += "?local";
    RecordingSink sink;
    {
        FetchManager manager(&sink);
        for (const QuoteFetchJob* job : {&quotes, &googleQuotes, &chart, &suggestion}) {
            manager.StartJob(*job);
        }
        ASSERT_TRUE(sink.waitForFinal(4, 15000));
    }
    for (const FetchReport& report : sink.reports()) {
        EXPECT_EQ(report.status, kFetchFailed) << report.url;
        EXPECT_NE(report.errorText.find("redirect"), std::string::npos) << report.errorText;
        EXPECT_TRUE(report.reply.empty());
    }
    EXPECT_FALSE(TextFetch(origin.url("/local/update.html"), DownloadProxy{}).ok);
    EXPECT_FALSE(TextFetch(origin.url("/loopback/update.html"), DownloadProxy{}).ok);
    EXPECT_EQ(reachedOther.load(), 0);
    EXPECT_TRUE(folder.names().empty());
    RestoreDefaultServices();
}

TEST(RedirectTest, ThroughAProxyOnlyTheServicesOwnHostsAreAsked) {
    // The proxy answers for every host, so what it is asked for shows what was followed.
    ScriptedHttpServer proxy([](ScriptedConnection& c) {
        const std::string target = Target(c.request());
        const auto moveTo = [&](const std::string& location) {
            c.send(ScriptedHttpServer::reply("302 Found", "", true, "Location: " + location + "\r\n"));
        };
        if (target == "http://hq.sinajs.cn/own-domain") {
            moveTo("http://www.sinajs.cn/arrived");
        } else if (target == "http://hq.sinajs.cn/table") {
            moveTo("http://qt.gtimg.cn/arrived");
        } else if (target == "http://hq.sinajs.cn/elsewhere") {
            moveTo("http://router.lan/arrived");
        } else if (target == "http://hq.sinajs.cn/look-alike") {
            moveTo("http://hq.sinajs.cn.attacker.example/arrived");
        } else {
            c.send(ScriptedHttpServer::reply("200 OK", "at " + target));
        }
    });
    RestoreDefaultServices();
    const DownloadProxy saved = CurrentDownloadProxy();
    ASSERT_TRUE(SetDownloadProxy({ProxyKind::kHttp, "127.0.0.1", std::to_string(proxy.port()), "", ""}));
    const FetchReport ownDomain = RunOne(MemoryJob("http://hq.sinajs.cn/own-domain"));
    const FetchReport table = RunOne(MemoryJob("http://hq.sinajs.cn/table"));
    const FetchReport elsewhere = RunOne(MemoryJob("http://hq.sinajs.cn/elsewhere"));
    const FetchReport lookAlike = RunOne(MemoryJob("http://hq.sinajs.cn/look-alike"));
    const TextFetchResult text = TextFetch("http://hq.sinajs.cn/elsewhere");
    SetDownloadProxy(saved);

    EXPECT_EQ(ownDomain.reply, "at http://www.sinajs.cn/arrived") << ownDomain.errorText;
    EXPECT_EQ(table.reply, "at http://qt.gtimg.cn/arrived") << table.errorText;
    EXPECT_EQ(elsewhere.status, kFetchFailed);
    EXPECT_EQ(lookAlike.status, kFetchFailed);
    EXPECT_FALSE(text.ok);
    std::vector<std::string> asked;
    for (const std::string& request : proxy.requests()) {
        asked.push_back(Target(request));
    }
    const std::vector<std::string> expected{
        "http://hq.sinajs.cn/own-domain", "http://www.sinajs.cn/arrived",  "http://hq.sinajs.cn/table",
        "http://qt.gtimg.cn/arrived",     "http://hq.sinajs.cn/elsewhere", "http://hq.sinajs.cn/look-alike",
        "http://hq.sinajs.cn/elsewhere"};
    EXPECT_EQ(asked, expected);
}

} // namespace
} // namespace marlune
