#include "FetchTestServer.h"
#include "FetchTestSink.h"

#include "net/FetchManager.h"
#include "net/ServiceEndpoints.h"
#include "net/Suggestions.h"
#include "quote/StockEntry.h"
#include "text/Gbk.h"

#include <gtest/gtest.h>

using namespace marlune;

namespace {

constexpr char kAllTypes[] = "type=11,12,13,14,15,21,22,23,24,25,26,31,33,41&key=";

std::vector<std::string> ResultsOf(const SuggestionResults& found) {
    std::vector<std::string> texts;
    for (const Suggestion& entry : found.entries)
        texts.push_back(entry.result);
    return texts;
}

std::vector<std::string> BoxEntriesOf(const SuggestionResults& found) {
    std::vector<std::string> texts;
    for (const Suggestion& entry : found.entries)
        texts.push_back(entry.boxEntry);
    return texts;
}

// "code market name" of each entry, what the add button stores.
std::vector<std::string> StoredOf(const SuggestionResults& found) {
    std::vector<std::string> texts;
    for (const Suggestion& entry : found.entries)
        texts.push_back(entry.code + " " + std::to_string(entry.market) + " " + entry.name);
    return texts;
}

} // namespace

TEST(Suggest, KeyIsGbkAndPercentEncoded) {
    EXPECT_EQ(EncodeSuggestionKey("600000"), "600000");
    EXPECT_EQ(EncodeSuggestionKey("pfyh"), "pfyh");
    EXPECT_EQ(EncodeSuggestionKey(""), "");
    // "浦发" in GBK is C6 D6 B7 A2.
    EXPECT_EQ(EncodeSuggestionKey("浦发"), "%C6%D6%B7%A2");
    // Characters that would change the request.
    EXPECT_EQ(EncodeSuggestionKey("a b&c=d#e\r\nf%/?+"), "a%20b%26c%3Dd%23e%0D%0Af%25%2F%3F%2B");
    EXPECT_EQ(EncodeSuggestionKey("-._~"), "-._~");
}

TEST(Suggest, JobAsksTheSuggestionServiceForTheTypedText) {
    ASSERT_TRUE(PointAllServicesAt("http://127.0.0.1:9000"));
    const QuoteFetchJob job = BuildSuggestionJob("浦 发");
    // Every market's types: A shares (Beijing among them), funds, Hong Kong, the US.
    EXPECT_EQ(job.url, std::string("http://127.0.0.1:9000/suggest/?") + kAllTypes + "%C6%D6%20%B7%A2");
    EXPECT_TRUE(job.replyFile.empty());
    EXPECT_EQ(job.headerBlock, ServiceHeaderBlock(Service::kSinaSuggest));
    EXPECT_EQ(job.jobKind, kJobSideDownload);
    EXPECT_EQ(job.threadPriority, kThreadPriorityIdle);
    // Clearing the box still asks, with an empty key.
    EXPECT_EQ(BuildSuggestionJob("").url, std::string("http://127.0.0.1:9000/suggest/?") + kAllTypes);
    RestoreDefaultServices();
}

TEST(Suggest, ReplyGivesResultsAndBoxEntriesInReplyOrder) {
    const std::string reply = "var suggestvalue=\"浦发银行,11,600000,sh600000,浦发银行,,浦发银行,99;"
                              "a,11,000001,sz000001,平安银行,x;"
                              "short,11,1;"
                              ";"
                              "b,12,900901,sh900901,云赛B股,,,,;\";";
    const auto found = ParseSuggestionText(reply);
    ASSERT_TRUE(found);
    EXPECT_EQ(ResultsOf(*found),
              (std::vector<std::string>{"600000-浦发银行-sh600000", "000001-平安银行-sz000001",
                                        "900901-云赛B股-sh900901"}));
    EXPECT_EQ(BoxEntriesOf(*found),
              (std::vector<std::string>{"600000-浦发银行", "000001-平安银行", "900901-云赛B股"}));

    // The same reply as the service sends it, in GBK.
    const auto fromGbk = ParseSuggestionReply(Utf8ToGbk(reply));
    ASSERT_TRUE(fromGbk);
    EXPECT_EQ(BoxEntriesOf(*fromGbk), BoxEntriesOf(*found));

    const auto single = ParseSuggestionText("x=\"a,11,600000,sh600000,X,y;\";");
    ASSERT_TRUE(single);
    EXPECT_EQ(BoxEntriesOf(*single), std::vector<std::string>{"600000-X"});
}

TEST(Suggest, RepliesThatChangeNothing) {
    EXPECT_FALSE(ParseSuggestionText("x=\"a,11,600000;\";"));           // too few fields
    EXPECT_FALSE(ParseSuggestionText("x=\"a,11,600000,sh600000,X,y;")); // no closing marker
    EXPECT_FALSE(ParseSuggestionText("a,11,600000,sh600000,X,y;\";"));  // no opening marker
    EXPECT_FALSE(ParseSuggestionText("x=\"a,b,;\";"));                  // value of 4 characters
    EXPECT_FALSE(ParseSuggestionText("var suggestvalue=\"\";"));
    EXPECT_FALSE(ParseSuggestionText(""));
    // The first closing marker after the first opening one ends the value.
    EXPECT_FALSE(ParseSuggestionText("x=\"a,b;\";c,11,600000,sh600000,X,y;\";"));
    // A short full code cuts into the name, never into the middle of a character.
    const auto odd = ParseSuggestionText("x=\"a,11,1,s,浦发,y;\";");
    ASSERT_TRUE(odd);
    EXPECT_EQ(ResultsOf(*odd), std::vector<std::string>{"1-浦发-s"});
    EXPECT_EQ(BoxEntriesOf(*odd), std::vector<std::string>{""});
    const auto almost = ParseSuggestionText("x=\"a,11,600000,hk0070,腾讯控股,y;\";");
    ASSERT_TRUE(almost);
    EXPECT_EQ(BoxEntriesOf(*almost), std::vector<std::string>{"600000-腾讯"});
}

// Real replies of the Sina suggestion service, recorded by other projects (dates not stated):
// the usual one ends its last entry with ",";" - no ";" before the closing quote - and some end
// with ",,;";". Both give their entries.
TEST(Suggest, RealRepliesWithEitherEnding) {
    const auto two = ParseSuggestionReply(
        Utf8ToGbk("var suggestvalue=\"龙芯中科,11,688047,sh688047,龙芯中科,,龙芯中科,99,1,,;"
                  "绿叶制药,31,02186,02186,绿叶制药,,绿叶制药,99,1,ESG,\";"));
    ASSERT_TRUE(two);
    EXPECT_EQ(ResultsOf(*two), (std::vector<std::string>{"688047-龙芯中科-sh688047", "绿叶制药 02186 港股"}));
    EXPECT_EQ(BoxEntriesOf(*two).front(), "688047-龙芯中科");
    const auto one = ParseSuggestionReply(
        Utf8ToGbk("var suggestvalue=\"贵州茅台,11,600519,sh600519,贵州茅台,,贵州茅台,99,1,ESG,,;\";"));
    ASSERT_TRUE(one);
    EXPECT_EQ(ResultsOf(*one), std::vector<std::string>{"600519-贵州茅台-sh600519"});
    // The value ends at the first closing quote and semicolon either way.
    const auto first = ParseSuggestionText("x=\"a,11,600000,sh600000,X,y\";b,11,000001,sz000001,Y,z\";");
    ASSERT_TRUE(first);
    EXPECT_EQ(ResultsOf(*first), std::vector<std::string>{"600000-X-sh600000"});
}

// Entries of every market, each a line of the service's real replies as other projects
// recorded them (dates not stated): Hong Kong stocks (31) and indices (33), US stocks (41,
// also with the key as typed in the first field and fewer trailing fields), ETFs (22, full
// code "of"), a Beijing stock among the A shares (11, "bj"). A US index whose code the watch
// list cannot hold and types the request does not ask for (71 exchange rates, 86 futures)
// are skipped and leave room for the next.
TEST(Suggest, RealLinesOfEveryMarket) {
    const auto found = ParseSuggestionReply(
        Utf8ToGbk("var suggestvalue=\"腾讯控股,31,00700,00700,腾讯控股,,腾讯控股,99,1,ESG,,;"
                  "恒生指数,33,hsi,hsi,恒生指数,,恒生指数,99,1,,,;"
                  "恒生指数期货,86,hsi,hsi,恒生指数期货,,恒生指数期货,99,1,,,;"
                  "苹果,41,aapl,aapl,苹果,,苹果,99,1,ESG,,;"
                  "纳斯达克,41,.ixic,.ixic,纳斯达克,,纳斯达克,99,1,,,;"
                  "美元人民币,71,usdcny,usdcny,美元人民币,,美元人民币,99,1,,,;"
                  "上证50ETF华夏,22,510050,of510050,上证50ETF华夏,,上证50ETF华夏,99,1,,,;"
                  "创业板ETF,22,159915,of159915,创业板ETF,,创业板ETF,99,1,,,;"
                  "贝特瑞,11,920185,bj920185,贝特瑞,,贝特瑞,99,1,,,;"
                  "沪深300,11,000300,sh000300,沪深300,,沪深300,99,1,,,;"
                  "AAPL,41,aapl,aapl,苹果,,苹果,99,1,ESG\";"));
    ASSERT_TRUE(found);
    EXPECT_EQ(BoxEntriesOf(*found),
              (std::vector<std::string>{"腾讯控股 00700 港股", "恒生指数 HSI 港股", "苹果 AAPL 美股",
                                        "上证50ETF华夏 510050 基金", "创业板ETF 159915 基金",
                                        "贝特瑞 920185 北交所", "000300-沪深300", "苹果 AAPL 美股"}));
    EXPECT_EQ(StoredOf(*found),
              (std::vector<std::string>{"00700 4 腾讯控股", "HSI 4 恒生指数", "AAPL 5 苹果",
                                        "510050 6 上证50ETF华夏", "159915 6 创业板ETF", "920185 3 贝特瑞",
                                        "000300 1 沪深300", "AAPL 5 苹果"}));
    // Every other market's result is its box entry, which the add button finds again.
    EXPECT_EQ(ResultsOf(*found)[0], "腾讯控股 00700 港股");
    EXPECT_EQ(ResultsOf(*found)[6], "000300-沪深300-sh000300");

    // Only entries that give a stock count towards the 20 kept.
    std::string many = "var suggestvalue=\"";
    for (int i = 0; i < 30; ++i)
        many += "纳斯达克,41,.ixic,.ixic,纳斯达克,,纳斯达克,99,1,,,;";
    for (int i = 0; i < 30; ++i)
        many += "腾讯控股,31,0" + std::to_string(1000 + i) + ",0" + std::to_string(1000 + i) +
                ",腾讯控股,,腾讯控股,99,1,,,;";
    many += "\";";
    const auto capped = ParseSuggestionText(many);
    ASSERT_TRUE(capped);
    ASSERT_EQ(capped->entries.size(), kMaxSuggestionEntries);
    EXPECT_EQ(capped->entries.front().code, "01000");
    EXPECT_EQ(capped->entries.back().code, "01019");
    // A reply of nothing the watch list can hold changes nothing.
    EXPECT_FALSE(
        ParseSuggestionText("var suggestvalue=\"纳斯达克,41,.ixic,.ixic,纳斯达克,,纳斯达克,99,1,,,\";"));
    EXPECT_FALSE(ParseSuggestionText("var suggestvalue=\"窝轮,32,12345,12345,窝轮,,窝轮,99,1,,,\";"));
}

// A code typed on its own: the listed stock of that code decides where the code fits several
// markets; without one the code rules do, A-share prefixes first.
TEST(Suggest, ACodeTypedOnItsOwn) {
    const auto listed = ParseSuggestionReply(
        Utf8ToGbk("var suggestvalue=\"腾讯控股,31,00700,00700,腾讯控股,,腾讯控股,99,1,ESG,,;"
                  "恒生指数,33,hsi,hsi,恒生指数,,恒生指数,99,1,,,;"
                  "苹果,41,aapl,aapl,苹果,,苹果,99,1,ESG,,;"
                  // In the service's form: a fund whose code looks like a Shenzhen share's.
                  "华夏成长混合,21,000001,of000001,华夏成长混合,,华夏成长混合,99,1,,,\";"));
    ASSERT_TRUE(listed);
    const auto stored = [&](std::string_view typed) {
        const std::optional<Suggestion> found = SuggestionOfTypedCode(typed, listed->entries);
        return found ? found->code + " " + std::to_string(found->market) + " " + found->name
                     : std::string("-");
    };
    EXPECT_EQ(stored(" 00700 "), "00700 4 腾讯控股");
    EXPECT_EQ(stored("aapl"), "AAPL 5 苹果");
    EXPECT_EQ(stored("hsi"), "HSI 4 恒生指数"); // fits the US too: the listing says Hong Kong
    EXPECT_EQ(stored("000001"), "000001 6 华夏成长混合");
    // Not listed: the code rules, with no name (the quotes bring it).
    EXPECT_EQ(stored("BRK.B"), "BRK.B 5 ");
    EXPECT_EQ(stored("09988"), "09988 4 ");
    EXPECT_EQ(stored("161725"), "161725 6 ");
    EXPECT_EQ(stored("600000"), "600000 1 ");
    EXPECT_EQ(stored("000002"), "000002 2 ");
    EXPECT_EQ(stored("920118"), "920118 3 ");
    EXPECT_EQ(SuggestionOfTypedCode("00700", {})->market, kMarketHongKong);
    for (std::string_view text : {"", "12", "0070", "腾讯", "600000-浦发银行", "AAPL BRK", "1234567"})
        EXPECT_EQ(stored(text), "-") << text;
}

// A hostile reply of many entries or many bytes: at most 20 entries are kept, a reply longer
// than 64 KB is refused, and the download itself stops at 64 KB.
TEST(Suggest, RepliesAreCappedInEntriesAndBytes) {
    std::string many = "var suggestvalue=\"";
    for (int i = 0; i < 1500; ++i)
        many += "k,11," + std::to_string(600000 + i) + ",sh" + std::to_string(600000 + i) + ",N,,N,99,1,,;";
    many += "\";";
    ASSERT_LT(many.size(), kMaxSuggestionReplyBytes);
    const auto capped = ParseSuggestionText(many);
    ASSERT_TRUE(capped);
    EXPECT_EQ(ResultsOf(*capped).size(), kMaxSuggestionEntries);
    EXPECT_EQ(ResultsOf(*capped).back(), "600019-N-sh600019");

    std::string huge = "var suggestvalue=\"a,11,600000,sh600000,X,,X,99,1,,;" +
                       std::string(kMaxSuggestionReplyBytes, 'x') + "\";";
    EXPECT_FALSE(ParseSuggestionText(huge));
    EXPECT_FALSE(ParseSuggestionReply(huge));

    ASSERT_TRUE(PointAllServicesAt("http://127.0.0.1:9000"));
    QuoteFetchJob job = BuildSuggestionJob("600");
    RestoreDefaultServices();
    EXPECT_EQ(job.sizeLimit, kMaxSuggestionReplyBytes);
    // Against a server on loopback that answers a megabyte, the job fails.
    const std::string body = "var suggestvalue=\"" + std::string(1024 * 1024, 'x') + "\";";
    test::ScriptedHttpServer server(
        [&](test::ScriptedConnection& c) { c.send(test::ScriptedHttpServer::reply("200 OK", body)); });
    job.url = server.url("/suggest/?type=11,12,13,14,15&key=600");
    test::RecordingSink sink;
    FetchManager manager(&sink);
    ASSERT_TRUE(manager.StartJob(job));
    ASSERT_TRUE(sink.waitForFinal());
    const auto reports = sink.reports();
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.back().status, kFetchFailed);
    EXPECT_LE(reports.back().reply.size(), kMaxSuggestionReplyBytes);
}
