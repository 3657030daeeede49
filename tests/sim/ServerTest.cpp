#include "RawHttp.h"
#include "sim/SimServer.h"
#include "sim/UrlQuery.h"
#include "text/Gbk.h"

#include <atomic>
#include <csignal>
#include <curl/curl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace marlune;
using namespace marlune::sim;
using namespace marlune::sim::testing;
using namespace std::chrono_literals;

extern char** environ;

namespace {

constexpr std::int64_t kNow = 1796693400 + 3912; // 2026-12-08 10:35:12 Beijing time

class SimServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        SimOptions options;
        options.clock = [] { return kNow; };
        m_server = std::make_unique<SimServer>(options);
        m_port = m_server->Start();
        ASSERT_GT(m_port, 0);
    }

    std::unique_ptr<SimServer> m_server;
    int m_port = -1;
};

std::string SinaTarget() {
    return "/rn=1796697312&list=sh600000,sz000001";
}

size_t AppendToString(char* data, size_t size, size_t count, void* out) {
    static_cast<std::string*>(out)->append(data, size * count);
    return size * count;
}

// A libcurl GET: the result code and the body received.
CURLcode CurlGet(const std::string& url, std::string& body) {
    CURL* curl = curl_easy_init();
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, AppendToString);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, 10L);
    curl_easy_setopt(curl, CURLOPT_NOPROXY, "*");
    const CURLcode result = curl_easy_perform(curl);
    curl_easy_cleanup(curl);
    return result;
}

} // namespace

TEST_F(SimServerTest, ServesEveryServiceWithContentLength) {
    EXPECT_EQ(m_server->BaseUrl(), "http://127.0.0.1:" + std::to_string(m_port));
    const RawReply sina = Get(m_port, SinaTarget());
    EXPECT_EQ(sina.Status(), 200);
    EXPECT_TRUE(sina.closedByServer);
    EXPECT_EQ(sina.Body(), m_server->market().SinaReply({"sh600000", "sz000001"}));
    EXPECT_EQ(sina.Header("Content-Length"), std::to_string(sina.Body().size()));

    EXPECT_EQ(Get(m_port, "/?0600000;1000001").Body(),
              m_server->market().NeteaseReply({"0600000", "1000001"}));
    EXPECT_EQ(Get(m_port, "/finance/info?q=SHA:600000,SHE:000001&infotype=infoquoteall&oe=gb2312").Body(),
              m_server->market().GoogleReply({"SHA:600000", "SHE:000001"}));
    // The suggestion key arrives as %-encoded GBK, or as raw GBK bytes.
    const std::string key = PercentEncode(Utf8ToGbk("浦发"));
    EXPECT_NE(
        GbkToUtf8(Get(m_port, "/suggest/?type=11,12,13,14,15&key=" + key).Body()).find("sh600000,浦发银行"),
        std::string::npos);
    EXPECT_NE(GbkToUtf8(Get(m_port, "/suggest/?type=11,12,13,14,15&key=" + Utf8ToGbk("浦发")).Body())
                  .find("浦发银行"),
              std::string::npos);
    EXPECT_EQ(Get(m_port, "/suggest/?type=11,12,13,14,15&key=").Body(), "var suggestvalue=\"\";");

    const RawReply chart = Get(m_port, "/stock/chart/bf/1/300750.png");
    EXPECT_EQ(chart.Header("Content-Type"), "image/png");
    EXPECT_EQ(chart.Body(), *m_server->market().ChartPng(2, "300750"));
    EXPECT_EQ(Get(m_port, "/stock/chart/bf/0/300750.png").Status(), 404);

    EXPECT_EQ(Get(m_port, "/update.html").Body(),
              "1:1.1.0.0:http://127.0.0.1:" + std::to_string(m_port) + "/download/MarluneSetup-1.1.0.0.exe;");
    EXPECT_EQ(Get(m_port, "/stock/newstock.php").Body().substr(0, 8), "newstk=\"");
    EXPECT_EQ(Get(m_port, "/163.txt").Status(), 200);
    for (const char* page : {"/", "/stock/", "/stock/ministock.php", "/stock/ministock.php?stockid=sh600000",
                             "/stock/stock_info.php?stockid=sz000001", "/ent/advice.php",
                             "/ent/softinfo.php?softid=2&ver=1.0&softname=marlune",
                             "/ent/help.php?softid=2&ver=1.0&softname=marlune"}) {
        const RawReply reply = Get(m_port, page);
        EXPECT_EQ(reply.Status(), 200) << page;
        EXPECT_EQ(reply.Header("Content-Type"), "text/html; charset=GBK") << page;
    }
    EXPECT_EQ(Get(m_port, "/stock/stock_info.php?stockid=sh999999").Status(), 404);
    EXPECT_EQ(Get(m_port, "/nothing/here").Status(), 404);

    // HEAD: the head alone; another method: 405; a proxy's absolute target is served too.
    const RawReply head = SendRaw(m_port, "HEAD /163.txt HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
    EXPECT_EQ(head.Status(), 200);
    EXPECT_TRUE(head.Body().empty());
    EXPECT_FALSE(head.Header("Content-Length").empty());
    EXPECT_EQ(
        SendRaw(m_port, "POST /163.txt HTTP/1.1\r\nContent-Length: 0\r\nConnection: close\r\n\r\n").Status(),
        405);
    EXPECT_EQ(SendRaw(m_port, "GET http://proxy.test/163.txt HTTP/1.1\r\nConnection: close\r\n\r\n").Body(),
              Get(m_port, "/163.txt").Body());
    EXPECT_EQ(SendRaw(m_port, "garbage\r\n\r\n").Status(), 400);
}

// As real servers do: an HTTP/1.1 connection stays open for the next request until the
// client asks to close it; a reply that ends with the connection, or breaks its length, and
// an HTTP/1.0 request close it.
TEST_F(SimServerTest, KeepsTheConnectionForTheNextRequest) {
    const std::string request = "GET /163.txt HTTP/1.1\r\nHost: x\r\n\r\n";
    const std::string last = "GET /163.txt HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n";
    const std::string body = Get(m_port, "/163.txt").Body();
    const long long before = m_server->AcceptedConnections();
    const RawReply three = SendRaw(m_port, request + request + last);
    EXPECT_TRUE(three.closedByServer);
    EXPECT_EQ(m_server->AcceptedConnections(), before + 1);
    const std::string keptHead = "Connection: keep-alive\r\n\r\n" + body;
    const std::size_t first = three.bytes.find(keptHead);
    ASSERT_NE(first, std::string::npos) << three.bytes;
    const std::size_t second = three.bytes.find(keptHead, first + keptHead.size());
    ASSERT_NE(second, std::string::npos) << three.bytes;
    EXPECT_EQ(three.bytes.substr(three.bytes.size() - body.size() - 21), "Connection: close\r\n\r\n" + body);

    EXPECT_EQ(SendRaw(m_port, "GET /163.txt HTTP/1.0\r\n\r\n").Header("Connection"), "close");
    for (const char* broken : {"length=close", "truncate=3", "extra=5"}) {
        std::string error;
        ASSERT_TRUE(m_server->SetFaultFromQuery(std::string("prefix=/163.txt&times=1&") + broken, &error))
            << error;
        const RawReply once = SendRaw(m_port, request + last);
        EXPECT_TRUE(once.closedByServer) << broken;
        EXPECT_EQ(once.Header("Connection"), "close") << broken;
        EXPECT_EQ(once.bytes.find("HTTP/1.1", 1), std::string::npos) << broken << ": " << once.bytes;
    }
}

TEST_F(SimServerTest, LogsRequestsWithTheirHeaders) {
    Get(m_port, SinaTarget(), "Accept: */*\r\nReferer: http://finance.sina.com.cn\r\n");
    Get(m_port, "/__sim/requests");
    const auto requests = m_server->Requests();
    ASSERT_EQ(requests.size(), 1u); // control requests are not logged
    EXPECT_EQ(requests[0].method, "GET");
    EXPECT_EQ(requests[0].target, SinaTarget());
    EXPECT_EQ(requests[0].Header("referer"), "http://finance.sina.com.cn");
    EXPECT_EQ(requests[0].Header("Accept"), "*/*");
    const std::string json = Get(m_port, "/__sim/requests?clear=1").Body();
    EXPECT_NE(json.find("\"target\":\"" + SinaTarget() + "\""), std::string::npos) << json;
    EXPECT_NE(json.find("[\"Referer\",\"http://finance.sina.com.cn\"]"), std::string::npos) << json;
    EXPECT_TRUE(m_server->Requests().empty());
}

TEST_F(SimServerTest, StatusDelayAndCountedFaults) {
    Fault fault;
    fault.status = 500;
    fault.times = 1;
    m_server->SetFault("/rn=", fault);
    EXPECT_EQ(Get(m_port, SinaTarget()).Status(), 500);
    EXPECT_EQ(Get(m_port, SinaTarget()).Status(), 200); // it applied once
    // The longest matching prefix wins; others are untouched.
    Fault notFound;
    notFound.status = 404;
    Fault redirect;
    redirect.status = 302;
    redirect.location = "http://127.0.0.1:1/elsewhere";
    m_server->SetFault("/stock/", notFound);
    m_server->SetFault("/stock/newstock.php", redirect);
    const RawReply moved = Get(m_port, "/stock/newstock.php");
    EXPECT_EQ(moved.Status(), 302);
    EXPECT_EQ(moved.Header("Location"), "http://127.0.0.1:1/elsewhere");
    EXPECT_EQ(Get(m_port, "/stock/").Status(), 404);
    EXPECT_EQ(Get(m_port, "/163.txt").Status(), 200);
    m_server->ClearFaults();
    EXPECT_EQ(Get(m_port, "/stock/").Status(), 200);

    Fault slow;
    slow.delayMs = 300;
    m_server->SetFault("/163.txt", slow);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Get(m_port, "/163.txt").Status(), 200);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 300ms);
    Fault clear;
    clear.times = 0; // times 0 clears the prefix
    m_server->SetFault("/163.txt", clear);
    EXPECT_EQ(Get(m_port, "/163.txt").Status(), 200);
}

TEST_F(SimServerTest, BrokenBodiesAsTheFaultSays) {
    const std::string body = Get(m_port, "/update.html").Body();
    ASSERT_GT(body.size(), 20u);

    Fault truncated;
    truncated.truncateAt = 10;
    m_server->SetFault("/update.html", truncated);
    RawReply reply = Get(m_port, "/update.html");
    EXPECT_EQ(reply.Header("Content-Length"), std::to_string(body.size())); // the promise
    EXPECT_EQ(reply.Body(), body.substr(0, 10));                            // what came
    EXPECT_TRUE(reply.closedByServer);

    Fault closeDelimited;
    closeDelimited.framing = BodyFraming::kClose;
    m_server->SetFault("/update.html", closeDelimited);
    reply = Get(m_port, "/update.html");
    EXPECT_FALSE(reply.HasHeader("Content-Length"));
    EXPECT_FALSE(reply.HasHeader("Transfer-Encoding"));
    EXPECT_EQ(reply.Body(), body);

    Fault chunked;
    chunked.framing = BodyFraming::kChunked;
    chunked.pieceBytes = 7;
    m_server->SetFault("/update.html", chunked);
    reply = Get(m_port, "/update.html");
    EXPECT_EQ(reply.Header("Transfer-Encoding"), "chunked");
    std::string decoded;
    ASSERT_TRUE(DecodeChunked(reply.Body(), decoded));
    EXPECT_EQ(decoded, body);

    Fault garbage;
    garbage.garbage = true;
    m_server->SetFault("/update.html", garbage);
    reply = Get(m_port, "/update.html");
    EXPECT_EQ(reply.Body().size(), body.size());
    EXPECT_NE(reply.Body(), body);

    Fault replaced;
    replaced.body = "认证失败";
    m_server->SetFault("/163.txt", replaced);
    EXPECT_EQ(Get(m_port, "/163.txt").Body(), "认证失败");

    Fault huge;
    huge.bodySize = 3 * 1024 * 1024 + 5;
    huge.extraBytes = 100;
    m_server->SetFault("/big", huge);
    reply = Get(m_port, "/big");
    EXPECT_EQ(reply.Status(), 404); // the fault keeps the status and replaces the body
    EXPECT_EQ(reply.Header("Content-Length"), std::to_string(huge.bodySize));
    EXPECT_EQ(reply.Body().size(), static_cast<std::size_t>(huge.bodySize + huge.extraBytes));
}

TEST_F(SimServerTest, LibcurlSeesTheFaults) {
    const std::string base = m_server->BaseUrl();
    std::string body;
    ASSERT_EQ(CurlGet(base + "/163.txt", body), CURLE_OK);
    const std::string text = body;

    Fault truncated;
    truncated.truncateAt = 3;
    m_server->SetFault("/163.txt", truncated);
    body.clear();
    EXPECT_EQ(CurlGet(base + "/163.txt", body), CURLE_PARTIAL_FILE);
    EXPECT_EQ(body, text.substr(0, 3));

    for (BodyFraming framing : {BodyFraming::kChunked, BodyFraming::kClose}) {
        Fault unframed;
        unframed.framing = framing;
        unframed.pieceBytes = 4;
        unframed.pieceDelayMs = 5;
        m_server->SetFault("/163.txt", unframed);
        body.clear();
        EXPECT_EQ(CurlGet(base + "/163.txt", body), CURLE_OK);
        EXPECT_EQ(body, text);
    }
}

TEST_F(SimServerTest, StopIsPromptWhileARequestHangs) {
    Fault hang;
    hang.hang = true;
    m_server->SetFault("/rn=", hang);
    std::atomic<bool> done{false};
    RawReply reply;
    std::thread client([&] {
        reply = Get(m_port, SinaTarget(), {}, 20s);
        done = true;
    });
    // Wait until the request has arrived and is being held.
    for (int i = 0; i < 200 && m_server->Requests().empty(); ++i) {
        std::this_thread::sleep_for(10ms);
    }
    ASSERT_EQ(m_server->Requests().size(), 1u);
    std::this_thread::sleep_for(100ms);
    EXPECT_FALSE(done);
    const auto start = std::chrono::steady_clock::now();
    m_server->Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
    client.join();
    EXPECT_TRUE(reply.closedByServer);
    EXPECT_TRUE(reply.bytes.empty());
    EXPECT_TRUE(m_server->BaseUrl().empty());
    EXPECT_FALSE(Get(m_port, "/163.txt", {}, 500ms).connected);

    // The server starts again, faults and all.
    ASSERT_GT(m_server->Start(), 0);
    m_server->ClearFaults();
    EXPECT_EQ(Get(m_server->Port(), SinaTarget()).Status(), 200);
}

TEST_F(SimServerTest, ControlPathsDriveASeparateProcess) {
    EXPECT_EQ(Get(m_port, "/__sim/fault?prefix=%2Frn%3D&status=503&times=2").Status(), 200);
    EXPECT_EQ(Get(m_port, SinaTarget()).Status(), 503);
    EXPECT_EQ(
        Get(m_port, "/__sim/fault?prefix=/163.txt&length=chunked&body=" + PercentEncode("a b&c")).Status(),
        200);
    std::string decoded;
    ASSERT_TRUE(DecodeChunked(Get(m_port, "/163.txt").Body(), decoded));
    EXPECT_EQ(decoded, "a b&c");
    EXPECT_EQ(Get(m_port, "/__sim/fault?prefix=/x&status=abc").Status(), 400);
    EXPECT_EQ(Get(m_port, "/__sim/fault?prefix=/x&colour=red").Status(), 400);
    EXPECT_EQ(Get(m_port, "/__sim/fault?status=500").Status(), 400);

    EXPECT_EQ(Get(m_port, "/__sim/version?offered=1.2.0.0").Status(), 200);
    EXPECT_EQ(Get(m_port, "/update.html").Body().substr(0, 10), "1:1.2.0.0:");

    EXPECT_EQ(Get(m_port, "/__sim/reset").Status(), 200);
    EXPECT_EQ(Get(m_port, SinaTarget()).Status(), 200); // the second 503 was reset away
    EXPECT_EQ(Get(m_port, "/update.html").Body().substr(0, 10), "1:1.1.0.0:");
    EXPECT_EQ(m_server->Requests().size(), 2u);
    EXPECT_EQ(Get(m_port, "/__sim/unknown").Status(), 404);
}

TEST(SimProgram, ListensPrintsItsAddressAndStopsOnSigterm) {
    const std::string program = std::string(MARLUNE_BINARY_DIR) + "/sim/marlune-sim";
    if (access(program.c_str(), X_OK) != 0) {
        GTEST_SKIP() << "marlune-sim not built";
    }
    // Find a free port by letting a server pick one, then release it.
    int port;
    {
        SimServer probe;
        port = probe.Start();
    }
    const std::string portText = std::to_string(port);
    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    const char* const argv[] = {program.c_str(), "--port", portText.c_str(), "--seed", "5", nullptr};
    pid_t child = -1;
    const int spawned =
        posix_spawn(&child, program.c_str(), &actions, nullptr, const_cast<char* const*>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    ASSERT_EQ(spawned, 0);
    FILE* output = fdopen(pipeEnds[0], "r");
    char line[256] = {};
    const bool gotLine = fgets(line, sizeof line, output) != nullptr;
    if (gotLine) {
        EXPECT_EQ(std::string(line), "marlune-sim listening on http://127.0.0.1:" + portText + "\n");
        EXPECT_EQ(Get(port, "/163.txt").Status(), 200);
        EXPECT_EQ(Get(port, "/__sim/fault?prefix=/163.txt&status=500").Status(), 200);
        EXPECT_EQ(Get(port, "/163.txt").Status(), 500);
    }
    kill(child, SIGTERM);
    int status = -1;
    waitpid(child, &status, 0);
    fclose(output);
    ASSERT_TRUE(gotLine);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}
