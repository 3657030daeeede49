#include "SimServer.h"
#include "cli/QuotePrinter.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>

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

TEST(QuotePrinter, JsonEscapesEveryText) {
    QuoteBook book;
    book.setWatchList({Entry("600000", "a\"b\\c\n\x01", "", "")});
    std::string json = FormatQuoteJson(book);
    EXPECT_NE(json.find(R"("name":"a\"b\\c\n\u0001")"), std::string::npos);
    EXPECT_EQ(json.rfind("{\"rows\":[{\"code\":\"600000\"", 0), 0u);
    EXPECT_NE(json.find(R"("total":{"plAmount":"","plRate":"","updateTime":""}})"), std::string::npos);
}

// Runs marlune-cli and returns its exit status and standard output.
std::pair<int, std::string> RunCli(const std::string& arguments) {
    std::string command = std::string(MARLUNE_BINARY_DIR) + "/src/marlune-cli " + arguments + " 2>/dev/null";
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
    EXPECT_EQ(RunCli("--json --watch").first, 2);
    EXPECT_EQ(RunCli("--unknown").first, 2);
    std::filesystem::remove_all(home);
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

} // namespace
} // namespace marlune
