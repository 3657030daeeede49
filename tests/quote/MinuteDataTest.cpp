// The Tencent minute reply: the rows of the day, the symbol it must be about, and damaged
// input of every kind costing only the damaged rows.
#include "quote/MinuteData.h"

#include <gtest/gtest.h>

namespace marlune {
namespace {

std::string Reply(const std::string& symbol, const std::string& rows, const std::string& date = "20260630") {
    return R"({"code":0,"data":{")" + symbol + R"(":{"data":{"data":[)" + rows + R"(],"date":")" + date +
           R"("}}}})";
}

std::vector<int> Times(const MinuteDay& day) {
    std::vector<int> times;
    for (const MinutePoint& point : day.points)
        times.push_back(point.time);
    return times;
}

TEST(MinuteData, ReadsTheRowsOfTheDay) {
    const std::string reply =
        Reply("sh600519", R"("0930 1187.00 294 34897800.00","0931 1189.00 1050 124702396.33",)"
                          R"("1130 1190.50 2000 237000000.00","1301 1191.00 2100 249000000.00")");
    const auto day = ParseMinuteReply(reply, "sh600519");
    ASSERT_TRUE(day);
    EXPECT_EQ(day->date, "20260630");
    ASSERT_EQ(day->points.size(), 4u);
    EXPECT_EQ(day->points[0].time, 930);
    EXPECT_DOUBLE_EQ(day->points[0].price, 1187.00);
    EXPECT_DOUBLE_EQ(day->points[0].volume, 294);
    EXPECT_DOUBLE_EQ(day->points[0].amount, 34897800.00);
    EXPECT_DOUBLE_EQ(day->points[1].amount, 124702396.33);
    EXPECT_EQ(Times(*day), (std::vector<int>{930, 931, 1130, 1301}));

    // The other parts a real reply carries beside the rows are no hindrance.
    const std::string withMore = R"({"code":0,"msg":"","data":{"sh600519":{"qt":{"sh600519":["1"]},"data":)"
                                 R"({"data":["0930 1187.00 294 34897800.00"],"date":"20260630"}}}})";
    ASSERT_TRUE(ParseMinuteReply(withMore, "sh600519"));
    EXPECT_EQ(ParseMinuteReply(withMore, "sh600519")->points.size(), 1u);

    // No row yet (before the open) is a day without points, not a failure.
    const auto empty = ParseMinuteReply(Reply("sz000001", ""), "sz000001");
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->points.empty());
}

TEST(MinuteData, ADocumentNestedFarDeeperThanAReplyIsRefusedUnbuilt) {
    const std::string rows = R"("0930 1187.00 294 34897800.00")";
    const std::string nested = std::string(40, '[') + std::string(40, ']');
    const std::string deep =
        R"({"code":0,"extra":)" + nested + R"(,"data":{"sh600519":{"data":{"data":[)" + rows +
        R"(],"date":"20260630","note":"[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[\""}}}})";
    EXPECT_FALSE(ParseMinuteReply(deep, "sh600519"));
    // Brackets inside texts are no nesting.
    const std::string inText = R"({"code":0,"note":")" + nested +
                               R"(","data":{"sh600519":{"data":{"data":[)" + rows +
                               R"(],"date":"20260630"}}}})";
    EXPECT_TRUE(ParseMinuteReply(inText, "sh600519"));
    EXPECT_FALSE(ParseMinuteReply(std::string(900000, '['), "sh600519"));
}

TEST(MinuteData, MapsTheSessionsOntoOneTimeAxis) {
    EXPECT_EQ(MinuteSlot(930), 0);
    EXPECT_EQ(MinuteSlot(1030), 60);
    EXPECT_EQ(MinuteSlot(1130), kLunchSlot);
    EXPECT_EQ(MinuteSlot(1300), kLunchSlot); // the lunch break takes no room
    EXPECT_EQ(MinuteSlot(1301), kLunchSlot + 1);
    EXPECT_EQ(MinuteSlot(1400), 180);
    EXPECT_EQ(MinuteSlot(1500), kMinuteSlots - 1);
    for (int outside : {929, 1131, 1200, 1259, 1501, 960, 0, -1, 2400})
        EXPECT_EQ(MinuteSlot(outside), -1) << outside;
}

TEST(MinuteData, RefusesRepliesThatAreNotAboutTheStock) {
    const std::string rows = R"("0930 10.00 1 1000.00")";
    EXPECT_FALSE(ParseMinuteReply(Reply("sh600000", rows), "sz000001")); // another stock's day
    EXPECT_FALSE(ParseMinuteReply(Reply("sh600000", rows), ""));
    const std::string whole = Reply("sh600000", rows);
    for (std::size_t cut : {std::size_t(0), std::size_t(1), whole.size() / 2, whole.size() - 1})
        EXPECT_FALSE(ParseMinuteReply(whole.substr(0, cut), "sh600000")) << cut; // truncated JSON
    EXPECT_FALSE(ParseMinuteReply(R"({"code":0,"data":{}})", "sh600000"));
    EXPECT_FALSE(ParseMinuteReply(R"({"code":0,"data":[]})", "sh600000"));
    EXPECT_FALSE(
        ParseMinuteReply(R"({"code":0,"data":{"sh600000":{"data":{"data":"0930 1 1 1"}}}})", "sh600000"));
    EXPECT_FALSE(ParseMinuteReply(R"({"code":0,"data":{"sh600000":{"data":7}}})", "sh600000"));
    EXPECT_FALSE(ParseMinuteReply("[1,2,3]", "sh600000"));
    EXPECT_FALSE(ParseMinuteReply(std::string(kMaxMinuteReplyBytes + 1, ' '), "sh600000"));
    // Deep nesting is refused without running out of stack.
    EXPECT_FALSE(ParseMinuteReply(std::string(100000, '[') + std::string(100000, ']'), "sh600000"));
}

TEST(MinuteData, SkipsDamagedRowsAndKeepsTheOthers) {
    const std::string rows = R"("0930 10.00 100 100000.00",)"
                             R"("0931 10.01 200",)"                    // a missing field
                             R"("0932 - 300 300000.00",)"              // "-" for the price
                             R"("0933 10.02 - 300000.00",)"            // "-" for the volume
                             R"("0934 1e300 400 400000.00",)"          // no plain number
                             R"("0935 99999999999.00 500 500000.00",)" // beyond any price
                             R"("0936 10.03 600 1e999",)"              // overflow
                             R"("0937 0.00 700 700000.00",)"           // no price
                             R"("1200 10.04 800 800000.00",)"          // lunch break
                             R"("9x38 10.05 900 900000.00",)"          // no time
                             R"("0939  10.05 900 900000.00",)"         // two blanks
                             R"(42, null, ["0940 10.06 1000 1000000.00"],)"
                             R"("0941 10.07 1100 1100000.00 9",)" // a fifth field
                             R"("0942 -10.07 1200 1200000.00",)"  // a sign
                             R"("0943 10.08 1300 1300000.00")";
    const auto day = ParseMinuteReply(Reply("sz000001", rows), "sz000001");
    ASSERT_TRUE(day);
    EXPECT_EQ(Times(*day), (std::vector<int>{930, 943}));
    EXPECT_DOUBLE_EQ(day->points[1].price, 10.08);
}

TEST(MinuteData, PutsRowsInOrderAndKeepsTheFirstOfAMinute) {
    const std::string rows = R"("0932 10.02 300 3000.00","0930 10.00 100 1000.00","1301 10.05 500 5000.00",)"
                             R"("0931 10.01 200 2000.00","0931 11.11 999 9999.00")";
    const auto day = ParseMinuteReply(Reply("sh600000", rows), "sh600000");
    ASSERT_TRUE(day);
    EXPECT_EQ(Times(*day), (std::vector<int>{930, 931, 932, 1301}));
    EXPECT_DOUBLE_EQ(day->points[1].price, 10.01);
}

} // namespace
} // namespace marlune
