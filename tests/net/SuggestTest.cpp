#include "FetchTestServer.h"
#include "FetchTestSink.h"

#include "net/FetchManager.h"
#include "net/ServiceEndpoints.h"
#include "net/Suggestions.h"
#include "text/Gbk.h"

#include <gtest/gtest.h>

using namespace marlune;

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
    EXPECT_EQ(job.url, "http://127.0.0.1:9000/suggest/?type=11,12,13,14,15&key=%C6%D6%20%B7%A2");
    EXPECT_TRUE(job.replyFile.empty());
    EXPECT_EQ(job.headerBlock, ServiceHeaderBlock(Service::kSinaSuggest));
    EXPECT_EQ(job.jobKind, kJobSideDownload);
    EXPECT_EQ(job.threadPriority, kThreadPriorityIdle);
    // Clearing the box still asks, with an empty key.
    EXPECT_EQ(BuildSuggestionJob("").url, "http://127.0.0.1:9000/suggest/?type=11,12,13,14,15&key=");
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
    EXPECT_EQ(found->results,
              (std::vector<std::string>{"600000-浦发银行-sh600000", "000001-平安银行-sz000001",
                                        "900901-云赛B股-sh900901"}));
    EXPECT_EQ(found->boxEntries,
              (std::vector<std::string>{"600000-浦发银行", "000001-平安银行", "900901-云赛B股"}));

    // The same reply as the service sends it, in GBK.
    const auto fromGbk = ParseSuggestionReply(Utf8ToGbk(reply));
    ASSERT_TRUE(fromGbk);
    EXPECT_EQ(fromGbk->boxEntries, found->boxEntries);

    const auto single = ParseSuggestionText("x=\"a,11,600000,sh600000,X,y;\";");
    ASSERT_TRUE(single);
    EXPECT_EQ(single->boxEntries, std::vector<std::string>{"600000-X"});
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
    EXPECT_EQ(odd->results, std::vector<std::string>{"1-浦发-s"});
    EXPECT_EQ(odd->boxEntries, std::vector<std::string>{""});
    const auto almost = ParseSuggestionText("x=\"a,11,600000,hk0070,腾讯控股,y;\";");
    ASSERT_TRUE(almost);
    EXPECT_EQ(almost->boxEntries, std::vector<std::string>{"600000-腾讯"});
}

// Real replies of the Sina suggestion service, recorded by other projects (dates not stated):
// the usual one ends its last entry with ",";" - no ";" before the closing quote - and some end
// with ",,;";". Both give their entries.
TEST(Suggest, RealRepliesWithEitherEnding) {
    const auto two = ParseSuggestionReply(
        Utf8ToGbk("var suggestvalue=\"龙芯中科,11,688047,sh688047,龙芯中科,,龙芯中科,99,1,,;"
                  "绿叶制药,31,02186,02186,绿叶制药,,绿叶制药,99,1,ESG,\";"));
    ASSERT_TRUE(two);
    EXPECT_EQ(two->results, (std::vector<std::string>{"688047-龙芯中科-sh688047", "02186-绿叶制药-02186"}));
    EXPECT_EQ(two->boxEntries.front(), "688047-龙芯中科");
    const auto one = ParseSuggestionReply(
        Utf8ToGbk("var suggestvalue=\"贵州茅台,11,600519,sh600519,贵州茅台,,贵州茅台,99,1,ESG,,;\";"));
    ASSERT_TRUE(one);
    EXPECT_EQ(one->results, std::vector<std::string>{"600519-贵州茅台-sh600519"});
    // The value ends at the first closing quote and semicolon either way.
    const auto first = ParseSuggestionText("x=\"a,11,600000,sh600000,X,y\";b,11,000001,sz000001,Y,z\";");
    ASSERT_TRUE(first);
    EXPECT_EQ(first->results, std::vector<std::string>{"600000-X-sh600000"});
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
    EXPECT_EQ(capped->results.size(), kMaxSuggestionEntries);
    EXPECT_EQ(capped->results.back(), "600019-N-sh600019");

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
