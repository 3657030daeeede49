#include "sim/Suggestions.h"
#include "net/Suggestions.h"
#include "sim/Market.h"
#include "text/Fields.h"
#include "text/Gbk.h"

#include <gtest/gtest.h>

using namespace marlune;
using namespace marlune::sim;

namespace {

std::vector<std::string> Codes(const std::vector<sim::Suggestion>& found) {
    std::vector<std::string> codes;
    for (const sim::Suggestion& suggestion : found) {
        codes.push_back(std::string(suggestion.stock->MarketPrefix()) + suggestion.stock->code);
    }
    return codes;
}

} // namespace

TEST(Suggestions, CodePrefixNameAndInitials) {
    // An exact code first: both securities with code 000001, the index before the bank.
    EXPECT_EQ(Codes(FindSuggestions("000001")), (std::vector<std::string>{"sh000001", "sz000001"}));
    const auto prefix = FindSuggestions("6000");
    ASSERT_EQ(prefix.size(), 10u); // at most ten
    for (const sim::Suggestion& suggestion : prefix) {
        EXPECT_EQ(std::string(suggestion.stock->code).substr(0, 4), "6000");
    }
    EXPECT_EQ(Codes(FindSuggestions("sh60000")).front(), "sh600000");
    EXPECT_EQ(Codes(FindSuggestions("sz60000")), std::vector<std::string>{});
    // Pinyin initials in either case, and their prefixes.
    EXPECT_EQ(Codes(FindSuggestions("pfyh")), std::vector<std::string>{"sh600000"});
    EXPECT_EQ(Codes(FindSuggestions(" PFYH ")), std::vector<std::string>{"sh600000"});
    EXPECT_EQ(FindSuggestions("pfyh")[0].matched, "pfyh");
    EXPECT_EQ(Codes(FindSuggestions("gzmt")), std::vector<std::string>{"sh600519"});
    // Names: prefixes first, then names containing the key.
    EXPECT_EQ(Codes(FindSuggestions("贵州茅台")), std::vector<std::string>{"sh600519"});
    const auto banks = FindSuggestions("银行");
    ASSERT_EQ(banks.size(), 10u);
    for (const sim::Suggestion& suggestion : banks) {
        EXPECT_NE(std::string(suggestion.stock->name).find("银行"), std::string::npos);
    }
    EXPECT_EQ(FindSuggestions("TCL").front().stock->code, std::string("000100"));
    EXPECT_TRUE(FindSuggestions("").empty());
    EXPECT_TRUE(FindSuggestions("   ").empty());
    EXPECT_TRUE(FindSuggestions("qqqqqq").empty());
}

TEST(Suggestions, ReplyReadsAsTheSuggestionBoxReadsIt) {
    const std::string reply = GbkToUtf8(Market().SuggestReply("浦发"));
    // The value lies between =" and the first "; after it, with no ";" after its last entry,
    // as the real service writes it.
    const std::size_t open = reply.find("=\"");
    const std::size_t close = reply.find("\";", open);
    ASSERT_NE(open, std::string::npos);
    ASSERT_NE(close, std::string::npos);
    EXPECT_EQ(reply.substr(0, open), "var suggestvalue");
    const std::vector<std::string> entries = SplitFields(reply.substr(open + 2, close - open - 2), ";");
    ASSERT_EQ(entries.size(), 1u);
    const std::vector<std::string> fields = SplitFields(entries[0], ",");
    ASSERT_GE(fields.size(), 6u);
    EXPECT_EQ(fields[2], "600000");
    EXPECT_EQ(fields[3], "sh600000");
    EXPECT_EQ(fields[4], "浦发银行");

    const std::string many = SuggestReplyText("600");
    const std::string value = many.substr(18, many.size() - 20); // between =" and ";
    ASSERT_EQ(many.substr(many.size() - 4), ",,\";");
    const std::vector<std::string> manyEntries = SplitFields(value, ";");
    EXPECT_EQ(manyEntries.size(), 10u);
    for (const std::string& entry : manyEntries) {
        EXPECT_GE(SplitFields(entry, ",").size(), 6u) << entry;
    }
    EXPECT_EQ(SuggestReplyText(""), "var suggestvalue=\"\";");
    EXPECT_EQ(SuggestReplyText("no such thing"), "var suggestvalue=\"\";");
}

// The other markets in the service's own form and encoding, of the types asked for only;
// the program's parser reads every entry as the stock it is.
TEST(Suggestions, OtherMarketsInTheRealFormOfTheTypesAsked) {
    EXPECT_EQ(SuggestReplyText("00700"),
              "var suggestvalue=\"00700,31,00700,00700,腾讯控股,,腾讯控股,99,1,,\";");
    EXPECT_EQ(SuggestReplyText("aapl"), "var suggestvalue=\"AAPL,41,aapl,aapl,苹果,,苹果,99,1,,\";");
    EXPECT_EQ(SuggestReplyText("920118"),
              "var suggestvalue=\"920118,11,920118,bj920118,太湖远大,,太湖远大,99,1,,\";");
    const std::string funds = SuggestReplyText("161725");
    EXPECT_NE(funds.find(",23,161725,of161725,招商中证白酒指数(LOF),,"), std::string::npos) << funds;
    EXPECT_NE(SuggestReplyText("040046").find(",25,040046,of040046,"), std::string::npos);
    EXPECT_NE(SuggestReplyText("110011").find(",21,110011,of110011,"), std::string::npos);
    EXPECT_NE(SuggestReplyText("brk").find(",41,brk.b,brk.b,"), std::string::npos);
    EXPECT_NE(SuggestReplyText("txkg").find("txkg,31,00700,"), std::string::npos);

    // The A-share types alone find no Hong Kong stock; the Beijing one is type 11.
    EXPECT_EQ(SuggestReplyText("00700", "11,12,13,14,15"), "var suggestvalue=\"\";");
    EXPECT_NE(SuggestReplyText("920118", "11,12,13,14,15").find("bj920118"), std::string::npos);
    EXPECT_EQ(SuggestReplyText("161725", "31,41"), "var suggestvalue=\"\";");

    // As the settings page reads the GBK reply of every type it asks for.
    const std::string types = SuggestionTypes();
    const auto read = [&](std::string_view key) {
        const auto found = ParseSuggestionReply(Market().SuggestReply(key, types));
        return found ? found->entries.front().boxEntry + " " + std::to_string(found->entries.front().market)
                     : std::string("-");
    };
    EXPECT_EQ(read("腾讯"), "腾讯控股 00700 港股 4");
    EXPECT_EQ(read("BRK.B"), "伯克希尔哈撒韦B BRK.B 美股 5");
    EXPECT_EQ(read("zszzbj"), "招商中证白酒指数(LOF) 161725 基金 6");
    EXPECT_EQ(read("830799"), "艾融软件 830799 北交所 3");
    EXPECT_EQ(read("600000"), "600000-浦发银行 1");
}
