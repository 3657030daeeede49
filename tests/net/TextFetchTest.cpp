#include "net/TextFetch.h"
#include "LoopbackHttpServer.h"
#include "net/DownloadProxy.h"

#include <chrono>
#include <gtest/gtest.h>

using namespace marlune;
using marlune::test::ClosedLoopbackPort;
using marlune::test::LoopbackHttpServer;

namespace {

// Restores the process-wide proxy setting when a test ends.
struct ProxySettingGuard {
    DownloadProxy saved = CurrentDownloadProxy();
    ~ProxySettingGuard() { SetDownloadProxy(saved); }
};

} // namespace

TEST(TextFetch, ReturnsTheWholeBodyOfA200Reply) {
    LoopbackHttpServer http;
    std::string big;
    for (int i = 0; big.size() < 100000; ++i)
        big += "newstk=" + std::to_string(i) + ";";
    http.server().Get("/update.html", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("1:1.2.0.0:http://x/y.zip", "text/html");
    });
    http.server().Get(
        "/big", [&](const httplib::Request&, httplib::Response& res) { res.set_content(big, "text/plain"); });
    // No Content-Length: a chunked body in pieces, read to its end.
    http.server().Get("/chunked", [](const httplib::Request&, httplib::Response& res) {
        res.set_chunked_content_provider("text/plain", [](std::size_t offset, httplib::DataSink& sink) {
            if (offset >= 30000) {
                sink.done();
                return true;
            }
            const std::string piece(5000, static_cast<char>('a' + offset / 5000));
            return sink.write(piece.data(), piece.size());
        });
    });

    TextFetchResult result = TextFetch(http.url("/update.html"), DownloadProxy{});
    EXPECT_TRUE(result.ok);
    EXPECT_EQ(result.body, "1:1.2.0.0:http://x/y.zip");
    result = TextFetch(http.url("/big"), DownloadProxy{});
    EXPECT_TRUE(result.ok);
    EXPECT_EQ(result.body, big);
    result = TextFetch(http.url("/chunked"), DownloadProxy{});
    EXPECT_TRUE(result.ok);
    EXPECT_EQ(result.body.size(), 30000u);
    EXPECT_EQ(result.body.substr(25000, 3), "fff");
}

TEST(TextFetch, FailsOnAnyOtherStatusABrokenTransferOrNoServer) {
    LoopbackHttpServer http;
    http.server().Get("/missing", [](const httplib::Request&, httplib::Response& res) {
        res.status = 404;
        res.set_content("not here", "text/plain");
    });
    // Announces 1000 bytes and stops after three.
    http.server().Get("/cut", [](const httplib::Request&, httplib::Response& res) {
        res.set_content_provider(1000, "text/plain", [](std::size_t, std::size_t, httplib::DataSink& sink) {
            sink.write("abc", 3);
            return false;
        });
    });
    http.server().Get("/slow", [](const httplib::Request&, httplib::Response& res) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        res.set_content("late", "text/plain");
    });
    http.server().Get("/large", [](const httplib::Request&, httplib::Response& res) {
        res.set_content(std::string(100, 'x'), "text/plain");
    });

    EXPECT_FALSE(TextFetch(http.url("/missing"), DownloadProxy{}).ok);
    const TextFetchResult cut = TextFetch(http.url("/cut"), DownloadProxy{});
    EXPECT_FALSE(cut.ok);
    EXPECT_TRUE(cut.body.empty());

    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(TextFetch("http://127.0.0.1:" + std::to_string(ClosedLoopbackPort()) + "/update.html",
                           DownloadProxy{})
                     .ok);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));

    HttpGetRequest request;
    request.url = http.url("/slow");
    request.totalTimeoutMs = 300;
    EXPECT_FALSE(HttpGet(request).transferred);

    request.url = http.url("/large");
    request.totalTimeoutMs = 5000;
    request.maxBodyBytes = 99;
    EXPECT_FALSE(HttpGet(request).transferred);
    request.maxBodyBytes = 100;
    const HttpGetResult fits = HttpGet(request);
    EXPECT_TRUE(fits.transferred);
    EXPECT_EQ(fits.status, 200);
    EXPECT_EQ(fits.body.size(), 100u);

    EXPECT_FALSE(TextFetch("not a url", DownloadProxy{}).ok);
    EXPECT_FALSE(TextFetch("file:///etc/passwd", DownloadProxy{}).ok);
}

TEST(TextFetch, FollowsRedirectsDirectlyAndThroughAProxy) {
    LoopbackHttpServer http;
    http.server().Get("/old",
                      [](const httplib::Request&, httplib::Response& res) { res.set_redirect("/new"); });
    http.server().Get("/new", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("moved here", "text/plain");
    });
    const TextFetchResult direct = TextFetch(http.url("/old"), DownloadProxy{});
    EXPECT_TRUE(direct.ok);
    EXPECT_EQ(direct.body, "moved here");

    // The same server acting as the proxy: the redirect comes back and is followed through it.
    http.server().Get(".*", [](const httplib::Request& req, httplib::Response& res) {
        if (req.target == "http://www.orvento.example/new")
            res.set_content("moved here via proxy", "text/plain");
        else
            res.set_redirect("http://www.orvento.example/new");
    });
    const DownloadProxy proxy{ProxyKind::kHttp, "127.0.0.1", std::to_string(http.port()), "", ""};
    const TextFetchResult proxied = TextFetch("http://www.orvento.example/old", proxy);
    EXPECT_TRUE(proxied.ok);
    EXPECT_EQ(proxied.body, "moved here via proxy");
}

TEST(TextFetch, GoesThroughTheProcessWideProxySetting) {
    ProxySettingGuard guard;
    LoopbackHttpServer proxy;
    std::string seenTarget;
    std::string seenAuthorization;
    proxy.server().Get(".*", [&](const httplib::Request& req, httplib::Response& res) {
        seenTarget = req.target;
        seenAuthorization = req.get_header_value("Proxy-Authorization");
        if (seenAuthorization.empty()) {
            res.status = 407;
            res.set_header("Proxy-Authenticate", "Basic realm=\"proxy\"");
            return;
        }
        res.set_content("newstk=\"via proxy\"", "text/plain");
    });
    ASSERT_TRUE(
        SetDownloadProxy({ProxyKind::kHttp, "127.0.0.1", std::to_string(proxy.port()), "user", "secret"}));

    const TextFetchResult result = TextFetch("http://www.orvento.example/stock/newstock.php");
    EXPECT_TRUE(result.ok);
    EXPECT_EQ(result.body, "newstk=\"via proxy\"");
    // An HTTP proxy is asked for the absolute URL, with the proxy's credentials.
    EXPECT_EQ(seenTarget, "http://www.orvento.example/stock/newstock.php");
    EXPECT_EQ(seenAuthorization, "Basic dXNlcjpzZWNyZXQ=");
}
