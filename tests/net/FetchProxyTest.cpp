// The process-wide download proxy: validation and what a job sends through it.

#include "FetchTestServer.h"
#include "FetchTestSink.h"

#include "net/DownloadProxy.h"
#include "net/FetchManager.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

namespace marlune {
namespace {

using test::RecordingSink;
using test::ScriptedConnection;
using test::ScriptedHttpServer;

// Restores the proxy setting and the proxy environment after each test.
class FetchProxyTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : kVariables) {
            const char* value = std::getenv(name);
            m_saved.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
            ::unsetenv(name);
        }
    }
    void TearDown() override {
        SetDownloadProxy({});
        for (const auto& [name, value] : m_saved) {
            if (value) {
                ::setenv(name.c_str(), value->c_str(), 1);
            } else {
                ::unsetenv(name.c_str());
            }
        }
    }

    static FetchReport Fetch(const std::string& url) {
        RecordingSink sink;
        FetchManager manager(&sink);
        QuoteFetchJob job;
        job.url = url;
        job.headerBlock = "Accept: */*\r\n";
        job.jobKind = kJobQuoteText;
        manager.StartJob(job);
        EXPECT_TRUE(sink.waitForFinal());
        return sink.final();
    }

private:
    static constexpr const char* kVariables[] = {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY",
                                                 "all_proxy",  "ALL_PROXY",  "no_proxy",    "NO_PROXY"};
    std::vector<std::pair<std::string, std::optional<std::string>>> m_saved;
};

TEST_F(FetchProxyTest, SettingsAreCheckedBeforeTheyReplaceTheCurrentOne) {
    DownloadProxy http{ProxyKind::kHttp, "10.0.0.8", "3128", "me", "secret"};
    ASSERT_TRUE(SetDownloadProxy(http));
    EXPECT_EQ(DownloadProxyUrl(CurrentDownloadProxy()), "http://10.0.0.8:3128");
    EXPECT_EQ(CurrentDownloadProxy().password, "secret");

    EXPECT_FALSE(SetDownloadProxy({ProxyKind::kHttp, "", "3128", "", ""}));
    EXPECT_FALSE(SetDownloadProxy({ProxyKind::kHttp, "10.0.0.9", "0", "", ""}));
    EXPECT_FALSE(SetDownloadProxy({ProxyKind::kHttp, "10.0.0.9", "65536", "", ""}));
    EXPECT_FALSE(SetDownloadProxy({ProxyKind::kHttp, "10.0.0.9", "80x", "", ""}));
    EXPECT_FALSE(SetDownloadProxy({ProxyKind::kHttp, "10.0.0.9 evil", "80", "", ""}));
    EXPECT_EQ(CurrentDownloadProxy().host, "10.0.0.8") << "a refused setting changes nothing";

    // The desktop's proxy without a host leaves the environment in charge.
    ASSERT_TRUE(SetDownloadProxy({ProxyKind::kDesktop, "", "", "", ""}));
    EXPECT_EQ(DownloadProxyUrl(CurrentDownloadProxy()), "");
    EXPECT_EQ(DownloadProxyUrl({ProxyKind::kDesktop, "::1", "8080", "", ""}), "http://[::1]:8080");
    EXPECT_EQ(DownloadProxyUrl({ProxyKind::kNone, "10.0.0.8", "3128", "", ""}), "");
}

TEST_F(FetchProxyTest, AnExplicitProxyCarriesTheRequestAndItsCredentials) {
    ScriptedHttpServer proxy(
        [](ScriptedConnection& c) { c.send(ScriptedHttpServer::reply("200 OK", "via proxy")); });
    ::setenv("no_proxy", "*", 1); // an explicit proxy is used whatever no_proxy says
    ASSERT_TRUE(SetDownloadProxy({ProxyKind::kHttp, "127.0.0.1", std::to_string(proxy.port()), "me", "pw"}));

    const FetchReport report = Fetch("http://quotes.invalid/rn=1&list=sh600000");
    EXPECT_EQ(report.status, kFetchFinished);
    EXPECT_EQ(report.reply, "via proxy");
    const std::string request = proxy.requests().at(0);
    EXPECT_EQ(request.rfind("GET http://quotes.invalid/rn=1&list=sh600000 HTTP/1.1\r\n", 0), 0u) << request;
    EXPECT_NE(request.find("\r\nProxy-Authorization: Basic bWU6cHc=\r\n"), std::string::npos) << request;
}

TEST_F(FetchProxyTest, WithoutAProgramProxyTheEnvironmentProxyApplies) {
    ScriptedHttpServer proxy(
        [](ScriptedConnection& c) { c.send(ScriptedHttpServer::reply("200 OK", "env")); });
    ::setenv("http_proxy", proxy.url("").c_str(), 1);
    ASSERT_TRUE(SetDownloadProxy({}));

    const FetchReport report = Fetch("http://quotes.invalid/?0600000");
    EXPECT_EQ(report.status, kFetchFinished);
    EXPECT_EQ(report.reply, "env");
    EXPECT_EQ(proxy.requests().at(0).rfind("GET http://quotes.invalid/?0600000 HTTP/1.1\r\n", 0), 0u);
}

} // namespace
} // namespace marlune
