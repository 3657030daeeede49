#include "SimServer.h"
#include "cli/QuotePrinter.h"
#include "text/Gbk.h"

#include "version/Version.h"

#include <array>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <tuple>
#include <vector>

extern char** environ;

namespace marlune {
namespace {

StockEntry Entry(const char* code, const char* name, const char* price, const char* change) {
    StockEntry entry;
    entry.code = code;
    entry.name = name;
    entry.quote.price = price;
    entry.quote.change = change;
    return entry;
}

TEST(QuotePrinter, TableAlignsWideCharactersAndColoursBySign) {
    QuoteBook book;
    book.setWatchList(
        {Entry("600000", "浦发银行", "7.22", "+0.10"), Entry("000002", "万科A", "9.10", "-0.20")});
    book.totalPlAmount = "0.00";
    book.totalPlRate = "0.00%";
    EXPECT_EQ(DisplayWidth("浦发银行"), 8);
    EXPECT_EQ(DisplayWidth("万科A"), 5);

    std::string plain = FormatQuoteTable(book, false);
    EXPECT_EQ(plain.find('\x1b'), std::string::npos);
    // Every line of the table part has the same display width.
    std::vector<std::string> lines;
    for (std::size_t start = 0, end; (end = plain.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(plain.substr(start, end - start));
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(DisplayWidth(lines[0]), DisplayWidth(lines[1]));
    EXPECT_EQ(DisplayWidth(lines[1]), DisplayWidth(lines[2]));
    EXPECT_EQ(lines[3], "总盈亏:0.00  0.00%  ");

    std::string coloured = FormatQuoteTable(book, true);
    EXPECT_NE(coloured.find("\x1b[31m7.22"), std::string::npos); // rising price in red
    EXPECT_NE(coloured.find("\x1b[32m9.10"), std::string::npos); // falling price in green
}

TEST(QuotePrinter, TableReplacesEveryControlCharacter) {
    QuoteBook book;
    // A title change, a bell, a screen clear, a C1 CSI and a stray byte, as a hostile reply sends.
    book.setWatchList({Entry("600000", "浦发\x1b]0;pwned\x07\x1b[2J",
                             "7.22\r\x7f\xc2\x9b"
                             "31m\x9b",
                             "+0.10")});
    book.totalPlAmount = "0.00";
    book.totalPlRate = "0.00%";
    book.updateTime = "2024-05-10\x1b[1A";
    for (bool colour : {false, true}) {
        std::string table = FormatQuoteTable(book, colour);
        for (const char* control : {"\x1b]", "\x1b[2J", "\x1b[1A", "\x07", "\r", "\x7f", "\xc2\x9b"})
            EXPECT_EQ(table.find(control), std::string::npos) << colour;
        EXPECT_NE(table.find("浦发?]0;pwned??[2J"), std::string::npos) << table;
        EXPECT_NE(table.find("7.22???31m?"), std::string::npos) << table;
        EXPECT_NE(table.find("2024-05-10?[1A"), std::string::npos);
    }
}

TEST(QuotePrinter, JsonEscapesEveryText) {
    QuoteBook book;
    StockEntry hongKong = Entry("00700", "腾讯控股", "", "");
    hongKong.market = kMarketHongKong;
    book.setWatchList({Entry("600000", "a\"b\\c\n\x01", "", ""), hongKong});
    book.watchList[0].market = kMarketShanghai;
    std::string json = FormatQuoteJson(book);
    EXPECT_NE(json.find(R"("name":"a\"b\\c\n\u0001")"), std::string::npos);
    EXPECT_EQ(json.rfind("{\"rows\":[{\"code\":\"600000\"", 0), 0u);
    EXPECT_NE(json.find(R"("total":{"plAmount":"","plRate":"","updateTime":""}})"), std::string::npos);
    // Each row's market and currency.
    EXPECT_NE(json.find(R"("dateTime":"","market":1,"currency":"CNY"},{"code":"00700")"), std::string::npos);
    EXPECT_NE(json.find(R"("market":4,"currency":"HKD"}])"), std::string::npos);
    // A delayed quote says so; the others do not.
    book.watchList[1].quote.delayed = true;
    json = FormatQuoteJson(book);
    EXPECT_NE(json.find(R"("market":4,"currency":"HKD","delayed":true}])"), std::string::npos);
    EXPECT_EQ(json.find(R"("currency":"CNY","delayed")"), std::string::npos);
}

// Runs marlune-cli and returns its exit status and standard output.
std::pair<int, std::string> RunCli(const std::string& arguments,
                                   const std::string& errorTarget = "/dev/null") {
    std::string command =
        std::string(MARLUNE_BINARY_DIR) + "/src/marlune-cli " + arguments + " 2>" + errorTarget;
    std::string output;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr)
        return {-1, output};
    std::array<char, 4096> buffer;
    std::size_t n;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        output.append(buffer.data(), n);
    int status = ::pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

// The exit status, the standard output and the standard error of one run.
struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

CliRun RunCliWithErrors(const std::string& arguments, const std::filesystem::path& errorFile) {
    CliRun run;
    std::tie(run.status, run.out) = RunCli(arguments, errorFile.string());
    std::FILE* f = std::fopen(errorFile.c_str(), "rb");
    if (f == nullptr)
        return run;
    std::array<char, 4096> buffer;
    std::size_t n;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), f)) > 0)
        run.err.append(buffer.data(), n);
    std::fclose(f);
    return run;
}

TEST(MarluneCli, PrintsTheWatchListFromEachSourceOfTheSimulatedMarket) {
    sim::SimServer market;
    ASSERT_GT(market.Start(0), 0);
    auto home = std::filesystem::temp_directory_path() / ("marlune-cli-test-" + std::to_string(::getpid()));
    std::filesystem::remove_all(home);
    const std::string common = "--home " + home.string() + " --services " + market.BaseUrl() + " --json";
    for (int source : {1, 2, 3}) {
        SCOPED_TRACE(source);
        auto [status, output] = RunCli(common + " --source " + std::to_string(source));
        EXPECT_EQ(status, 0);
        EXPECT_NE(output.find(R"({"code":"000001","name":"上证指数","price":")"), std::string::npos)
            << output;
        EXPECT_NE(output.find(R"({"code":"399001","name":"深证成指","price":")"), std::string::npos);
        EXPECT_EQ(output.find(R"("price":"",)"), std::string::npos) << "a stock without a quote: " << output;
    }
    // The first run made the program folder's files.
    EXPECT_TRUE(std::filesystem::exists(home / "config" / "list.ini"));

    market.Stop();
    EXPECT_EQ(RunCli(common).first, 1); // nobody answers: download failed
    EXPECT_EQ(RunCli("--source x").first, 2);
    EXPECT_EQ(RunCli("--unknown").first, 2);
    EXPECT_EQ(RunCli("--beijing-time '2026-04-24 24:00'").first, 2);
    // A mistyped service URL is refused, not replaced by the real public hosts.
    for (const char* services : {"htp:/typo", "http://", "ftp://127.0.0.1", "127.0.0.1:80", "http://a b"})
        EXPECT_EQ(RunCli(std::string("--services '") + services + "'").first, 2) << services;
    EXPECT_EQ(RunCli("--help").first, 0);
    EXPECT_EQ(RunCli("--version"), std::make_pair(0, std::string("marlune-cli ") + kMarluneVersion + "\n"));
    std::filesystem::remove_all(home);
}

// A program folder of its own for one test, removed with everything in it.
class CliHome {
public:
    explicit CliHome(const char* name)
        : m_path(std::filesystem::temp_directory_path() / (name + std::to_string(::getpid()))) {
        std::filesystem::remove_all(m_path);
        std::filesystem::create_directories(m_path);
    }
    ~CliHome() { std::filesystem::remove_all(m_path); }
    std::string string() const { return m_path.string(); }

private:
    std::filesystem::path m_path;
};

TEST(MarluneCli, ASilentServiceFallsBackToTheNextWithTheSameTexts) {
    sim::SimServer market;
    ASSERT_GT(market.Start(0), 0);
    CliHome home("marlune-cli-fallback-");
    const std::string cli = std::string(MARLUNE_BINARY_DIR) + "/src/marlune-cli --home " + home.string() +
                            " --services " + market.BaseUrl() + " --json";
    auto run = [](const std::string& command, int& status) {
        std::string out;
        FILE* pipe = ::popen(command.c_str(), "r");
        std::array<char, 4096> buffer;
        std::size_t n;
        while (pipe != nullptr && (n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
            out.append(buffer.data(), n);
        status = pipe != nullptr ? ::pclose(pipe) : -1;
        return out;
    };
    int status = 0;
    sim::Fault down;
    down.status = 503;
    market.SetFault("/rn=", down);
    const std::string errors = run(cli + " 2>&1 >/dev/null", status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_NE(errors.find("行情来源：腾讯（新浪无响应）"), std::string::npos) << errors;
    // Tencent down as well: East Money.
    market.SetFault("/q=", down);
    EXPECT_NE(run(cli + " 2>&1 >/dev/null", status).find("行情来源：东方财富（新浪无响应）"),
              std::string::npos);
    // --source keeps to the service asked for.
    EXPECT_NE(run(cli + " --source 1 2>&1 >/dev/null", status).find("股票数据获取失败"), std::string::npos);
    EXPECT_EQ(WEXITSTATUS(status), 1);
}

TEST(MarluneCli, TheDemoMarketRunsFromTheChosenBeijingTime) {
    CliHome home("marlune-cli-demo-clock-");
    // A Friday evening: the demo market has closed, its quotes carry the close of that day.
    // Its first list has a row of each market.
    auto [status, output] =
        RunCli("--home " + home.string() + " --demo --source 4 --json --beijing-time '2026-04-24 21:00'");
    EXPECT_EQ(status, 0);
    EXPECT_NE(output.find(R"("dateTime":"2026-04-24 15:00:00","market":1)"), std::string::npos) << output;
    for (int market = 1; market <= 6; ++market)
        EXPECT_NE(output.find("\"market\":" + std::to_string(market) + ","), std::string::npos) << market;
}

TEST(MarluneCli, ReplyWithoutUsableRecordIsAFailedRefresh) {
    sim::SimServer market;
    ASSERT_GT(market.Start(0), 0);
    CliHome home("marlune-cli-empty-");
    // The selected service only: no fallback to another one.
    const std::string common = "--home " + home.string() + " --services " + market.BaseUrl() + " --source 1";
    sim::Fault portal;
    portal.body = "<html><head><title>Wi-Fi</title></head><body>Please sign in</body></html>";
    sim::Fault garbage;
    garbage.garbage = true;
    sim::Fault empty;
    empty.body = "";
    for (const sim::Fault& fault : {portal, garbage, empty}) {
        market.SetFault("/rn=", fault);
        for (const char* format : {"", " --json"}) {
            const std::string command =
                std::string(MARLUNE_BINARY_DIR) + "/src/marlune-cli " + common + format + " 2>&1 >/dev/null";
            std::string errors;
            FILE* pipe = ::popen(command.c_str(), "r");
            ASSERT_NE(pipe, nullptr);
            std::array<char, 512> buffer;
            std::size_t n;
            while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
                errors.append(buffer.data(), n);
            const int status = ::pclose(pipe);
            EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 1) << command;
            EXPECT_NE(errors.find("股票数据获取失败。请检查网络或者点击刷新按钮。"), std::string::npos)
                << errors;
        }
    }
    // Saved reply bytes that hold no quote fail alike.
    const std::string saved = home.string() + "/portal.html";
    std::FILE* f = std::fopen(saved.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("<html><body>Please sign in</body></html>", f);
    std::fclose(f);
    EXPECT_EQ(RunCli("--home " + home.string() + " --reply " + saved).first, 1);

    market.ClearFaults();
    EXPECT_EQ(RunCli(common).first, 0);
}

// Starts marlune-cli with the arguments, its output thrown away; its process id.
pid_t SpawnCli(const std::vector<std::string>& arguments) {
    std::vector<std::string> words = {std::string(MARLUNE_BINARY_DIR) + "/src/marlune-cli"};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    if (::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// The exit status of the process once it has ended, or -1 when it is still running after the
// limit (it is then killed).
int ExitStatusWithin(pid_t pid, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (std::chrono::steady_clock::now() < end) {
        if (::waitpid(pid, &status, WNOHANG) == pid)
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
    return -1;
}

TEST(MarluneCliSignals, SignalCancelsTheTransferAndEndsTheProgram) {
    sim::SimServer market;
    ASSERT_GT(market.Start(0), 0);
    CliHome home("marlune-cli-signal-");
    sim::Fault silent;
    silent.hang = true;
    sim::Fault trickle; // two bytes a second, for a long while
    trickle.bodySize = 100000;
    trickle.pieceBytes = 2;
    trickle.pieceDelayMs = 1000;
    for (const sim::Fault& fault : {silent, trickle}) {
        market.SetFault("/rn=", fault);
        for (auto [signal, expected] : {std::pair{SIGINT, 130}, std::pair{SIGTERM, 143}}) {
            for (const char* mode : {"--json", "--watch"}) {
                SCOPED_TRACE(std::string(fault.hang ? "silent " : "trickle ") + mode + " " +
                             std::to_string(signal));
                market.ClearRequests();
                const pid_t pid = SpawnCli({"--home", home.string(), "--services", market.BaseUrl(), mode});
                ASSERT_GT(pid, 0);
                // Signal it once its request is in flight.
                for (int wait = 0; wait < 250 && market.Requests().empty(); ++wait)
                    std::this_thread::sleep_for(std::chrono::milliseconds(20));
                ASSERT_FALSE(market.Requests().empty());
                std::this_thread::sleep_for(std::chrono::milliseconds(200));
                ::kill(pid, signal);
                // Within a second, measured generously on a shared machine.
                EXPECT_EQ(ExitStatusWithin(pid, std::chrono::seconds(5)), expected);
            }
        }
    }
}

// --watch reads FreshSec again before each wait, as it always did: a period changed while it
// runs holds from the next wait on, and a period switched off ends it.
TEST(MarluneCli, WatchFollowsTheRefreshPeriodOfTheSettings) {
    sim::SimServer market;
    ASSERT_GT(market.Start(0), 0);
    CliHome home("marlune-cli-period-");
    std::filesystem::create_directories(std::filesystem::path(home.string()) / "config");
    auto writeBaseIni = [&home](int freshSec) {
        const std::string path = home.string() + "/config/base.ini";
        std::FILE* f = std::fopen(path.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        const std::string bytes =
            "[sys]\r\nFreshSec=" + std::to_string(freshSec) + "\r\nTradeHoursOnly=0\r\n";
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    };
    auto requestsWithin = [&market](std::size_t count, std::chrono::seconds limit) {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (market.Requests().size() < count && std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        return market.Requests().size() >= count;
    };
    writeBaseIni(60);
    // The first reply takes a while: the new period is stored before the program reads it.
    sim::Fault slow;
    slow.delayMs = 1500;
    slow.times = 1;
    market.SetFault("/rn=", slow);
    const pid_t pid = SpawnCli(
        {"--home", home.string(), "--services", market.BaseUrl(), "--source", "1", "--json", "--watch"});
    ASSERT_GT(pid, 0);
    ASSERT_TRUE(requestsWithin(1, std::chrono::seconds(10)));
    writeBaseIni(4);
    // Four seconds after the first refresh, not sixty (generous on a shared machine).
    EXPECT_TRUE(requestsWithin(2, std::chrono::seconds(20)));
    writeBaseIni(0);
    EXPECT_EQ(ExitStatusWithin(pid, std::chrono::seconds(20)), 0);
}

TEST(MarluneCli, ParsesSavedReplyFilesWithoutTouchingThem) {
    auto home = std::filesystem::temp_directory_path() / ("marlune-cli-reply-" + std::to_string(::getpid()));
    std::filesystem::remove_all(home);
    std::filesystem::create_directories(home);
    auto reply = home / "google.txt";
    {
        std::FILE* f = std::fopen(reply.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fputs("[\n{\n\"id\": \"1\"\n,\"t\" : \"399001\"\n,\"e\" : \"SHE\"\n,\"l\" : \"10.00\"\n}\n]\n",
                   f);
        std::fclose(f);
    }
    auto [status, output] =
        RunCli("--home " + home.string() + " --json --source 3 --reply " + reply.string());
    EXPECT_EQ(status, 0);
    EXPECT_NE(output.find(R"({"code":"399001","name":"深证成指","price":"10.00")"), std::string::npos)
        << output;
    EXPECT_TRUE(std::filesystem::exists(reply));
    std::filesystem::remove_all(home);
}

// --watch collects the alerts of every refresh: a saved Sina reply of the first-run list's
// index, beyond its upper limit of 3.00 and up 0.35 %, with a rate condition of 0.30 %.
TEST(MarluneCli, WatchCarriesTheAlertsThatFire) {
    auto home = std::filesystem::temp_directory_path() / ("marlune-cli-alerts-" + std::to_string(::getpid()));
    std::filesystem::remove_all(home);
    std::filesystem::create_directories(home / "data");
    auto write = [](const std::filesystem::path& path, const std::string& bytes) {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    };
    std::string statement =
        "var hq_str_sh000001=\"上证指数,3000.00,3000.00,3010.50,3050.00,2950.00,0,0,12345600,1";
    for (int i = 0; i < 20; ++i)
        statement += ",0";
    write(home / "sina.txt", Utf8ToGbk(statement + ",2026-04-22,10:30:00,00\";\n"));
    write(home / "data" / "watchextras.txt", "000001|1|0.30|0.00\r\n");
    const std::string common =
        "--home " + home.string() + " --json --source 1 --reply " + (home / "sina.txt").string();

    const std::string alerts = R"(,"alerts":["上证指数(000001) 现价3010.50，已涨到预警上限3.00",)"
                               R"("上证指数(000001) 现价3010.50，涨幅已达+0.30%"]})";
    auto [status, output] = RunCli(common + " --watch --beijing-time '2026-04-22 10:31'");
    EXPECT_EQ(status, 0);
    EXPECT_NE(output.find(alerts), std::string::npos) << output;
    // Without --watch the object is as it always was; a quote of another day raises nothing.
    output = RunCli(common + " --beijing-time '2026-04-22 10:31'").second;
    EXPECT_EQ(output.find("alerts"), std::string::npos) << output;
    EXPECT_NE(output.find("\"updateTime\":\"2026-04-22 10:30:00\"}}"), std::string::npos) << output;
    output = RunCli(common + " --watch --beijing-time '2026-04-23 10:31'").second;
    EXPECT_EQ(output.find("alerts"), std::string::npos) << output;

    // The table: each alert is a line of its own on the standard error, the standard output
    // only the table. An alias stands for the name in both.
    write(home / "data" / "watchextras.txt", "000001|1|0.30|0.00\r\n000001|1|大盘\r\n");
    const std::string table =
        "--home " + home.string() + " --source 1 --reply " + (home / "sina.txt").string();
    CliRun run = RunCliWithErrors(table + " --watch --beijing-time '2026-04-22 10:31'", home / "err.txt");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "预警：大盘(000001) 现价3010.50，已涨到预警上限3.00\n"
                       "预警：大盘(000001) 现价3010.50，涨幅已达+0.30%\n");
    EXPECT_EQ(run.out.find("预警"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("大盘"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("上证指数"), std::string::npos) << run.out;
    // In the call auction nothing fires, and nothing is said.
    run = RunCliWithErrors(table + " --watch --beijing-time '2026-04-22 09:20'", home / "err.txt");
    EXPECT_EQ(run.err, "");
    std::filesystem::remove_all(home);
}

// The JSON object of one row, from its code to the end of the object.
std::string RowOf(const std::string& output, const std::string& code) {
    const std::size_t start = output.find("{\"code\":\"" + code + "\"");
    if (start == std::string::npos)
        return {};
    return output.substr(start, output.find('}', start) - start + 1);
}

// A list of all six markets from the simulated market after every market's close (the
// prices stand still): every row has its quote in one refresh, whichever service is selected; the rows of
// Hong Kong, the US and the fund read the same from every service that quotes them (and from the one asked
// for them beside NetEase 163), and the total converts the Hong Kong and US holdings at the rates the JSON
// names.
TEST(MarluneCli, AMixedListOfAllSixMarketsFromEachService) {
    CliHome home("marlune-cli-mixed-");
    std::filesystem::create_directories(home.string() + "/config");
    const std::string list = "dac600000|600000|浦发银行|1|0|0|0|1000|9.50\r\n"
                             "dac000001|000001|平安银行|2|0|0|0|0|0\r\n"
                             "dac920118|920118|太湖远大|3|0|0|0|100|15.00\r\n"
                             "dac00700|00700|腾讯控股|4|0|0|0|100|400.00\r\n"
                             "dacAAPL|AAPL|苹果|5|0|0|0|10|300.00\r\n"
                             "dac161725|161725|招商白酒|6|0|0|0|1000|1.10\r\n"
                             "dac040046|040046|华安纳指|6|0|0|0|0|0\r\n";
    {
        std::FILE* f = std::fopen((home.string() + "/config/list.ini").c_str(), "wb");
        ASSERT_NE(f, nullptr);
        const std::string bytes = Utf8ToGbk(list);
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    std::map<int, std::string> outputs;
    for (int source : {1, 2, 4, 5}) {
        SCOPED_TRACE(source);
        auto [status, output] = RunCli("--home " + home.string() + " --demo --json --source " +
                                       std::to_string(source) + " --beijing-time '2026-12-09 16:30'");
        EXPECT_EQ(status, 0);
        EXPECT_EQ(output.find(R"("price":"",)"), std::string::npos) << "a row without a quote: " << output;
        EXPECT_NE(RowOf(output, "00700").find(R"("market":4,"currency":"HKD")"), std::string::npos) << output;
        EXPECT_NE(output.find(R"("rates":[{"currency":"HKD","yuan":)"), std::string::npos) << output;
        EXPECT_NE(output.find(R"({"currency":"USD","yuan":)"), std::string::npos) << output;
        EXPECT_NE(output.find(R"("ratesStale":false,"leftOut":[])"), std::string::npos) << output;
        // The QDII fund has no estimate: its net value, no rate.
        EXPECT_NE(RowOf(output, "040046").find(R"("changeRate":"-")"), std::string::npos) << output;
        outputs[source] = output;
    }
    for (const char* code : {"00700", "AAPL", "161725", "040046"}) {
        SCOPED_TRACE(code);
        EXPECT_FALSE(RowOf(outputs[1], code).empty());
        for (int source : {2, 4, 5})
            EXPECT_EQ(RowOf(outputs[source], code), RowOf(outputs[1], code));
    }
    const auto total = [](const std::string& output) { return output.substr(output.find("\"total\"")); };
    for (int source : {2, 4, 5})
        EXPECT_EQ(total(outputs[source]).substr(0, 40), total(outputs[1]).substr(0, 40));
}

TEST(MarluneCli, AFundWhoseRequestFailsLeavesTheOtherFunds) {
    sim::SimServer market;
    ASSERT_GT(market.Start(0), 0);
    CliHome home("marlune-cli-funds-");
    std::filesystem::create_directories(home.string() + "/config");
    {
        const std::string bytes = Utf8ToGbk("dac161725|161725|招商白酒|6|0|0|0|0|0\r\n"
                                            "dac110011|110011|易方达|6|0|0|0|0|0\r\n"
                                            "dac040046|040046|华安纳指|6|0|0|0|0|0\r\n");
        std::FILE* f = std::fopen((home.string() + "/config/list.ini").c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    const std::string common = "--home " + home.string() + " --services " + market.BaseUrl() + " --json";
    sim::Fault down;
    down.status = 500;
    market.SetFault("/js/110011", down);
    sim::Fault garbage;
    garbage.garbage = true;
    market.SetFault("/js/040046", garbage);
    auto [status, output] = RunCli(common);
    EXPECT_EQ(status, 0) << output;
    EXPECT_EQ(RowOf(output, "161725").find(R"("price":"",)"), std::string::npos) << output;
    EXPECT_NE(RowOf(output, "110011").find(R"("price":"",)"), std::string::npos) << output;
    EXPECT_NE(RowOf(output, "040046").find(R"("price":"",)"), std::string::npos) << output;
    // The fund service gives nothing at all: a failed refresh.
    market.SetFault("/js/", down);
    EXPECT_EQ(RunCli(common).first, 1);
}

} // namespace
} // namespace marlune
