// The simulated market's replies have the form of the real services' replies: for each
// service one reply recorded by another project (the date it was recorded is named) is
// compared with the simulated market's reply for the same codes, field by field in form -
// the number of fields, the units, the decimals, the endings - never in value.

#include "sim/Market.h"
#include "text/CNumber.h"
#include "text/Fields.h"
#include "text/Gbk.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

using namespace marlune;

namespace {

// 2026-12-08 10:35:12 Beijing time, a Tuesday in the morning session.
constexpr std::int64_t kNow = 1796693400 + 3912;

sim::Market FixedMarket() {
    return sim::Market(20261208, [] { return kNow; });
}

// The form of one field: empty, an integer, a decimal with its count of decimals, a date, a
// time, or text.
std::string FormOf(const std::string& field) {
    static const std::regex integer(R"(-?\d+)");
    static const std::regex decimal(R"(-?\d+\.(\d+))");
    static const std::regex date(R"(\d{4}-\d{2}-\d{2})");
    static const std::regex clock(R"(\d{2}:\d{2}:\d{2})");
    std::smatch match;
    if (field.empty())
        return "empty";
    if (std::regex_match(field, integer))
        return "integer";
    if (std::regex_match(field, match, decimal))
        return "decimals " + std::to_string(match[1].length());
    if (std::regex_match(field, date))
        return "date";
    if (std::regex_match(field, clock))
        return "time";
    return "text";
}

// The value of a statement: what lies between its =" and its closing quote.
std::string ValueOf(const std::string& statement) {
    const std::size_t open = statement.find("=\"");
    const std::size_t close = statement.rfind('"');
    return open == std::string::npos || close <= open ? std::string()
                                                      : statement.substr(open + 2, close - open - 2);
}

// Compares two statements field by field in form; the name field (and any the caller names)
// is text in both.
void ExpectSameForm(const std::string& real, const std::string& simulated, const std::string& separator) {
    const std::vector<std::string> a = SplitFields(ValueOf(real), separator);
    const std::vector<std::string> b = SplitFields(ValueOf(simulated), separator);
    ASSERT_EQ(a.size(), b.size()) << simulated;
    for (std::size_t i = 0; i < a.size(); ++i)
        EXPECT_EQ(FormOf(a[i]), FormOf(b[i])) << "field " << i << ": real " << a[i] << ", simulated " << b[i];
    // The ending after the last field.
    EXPECT_EQ(real.substr(real.rfind('"')),
              simulated.substr(simulated.rfind('"'), real.size() - real.rfind('"')));
}

std::string SimulatedLine(const std::string& reply) {
    const std::string utf8 = GbkToUtf8(reply);
    return utf8.substr(0, utf8.find('\n'));
}

} // namespace

TEST(RealReplyForm, SinaStatements) {
    const sim::Market market = FixedMarket();
    // Recorded 2022-04-07 (the indices) and 2021-05-31 (the stock).
    const std::string shanghaiIndex =
        "var hq_str_sh000001=\"上证指数,3267.8103,3283.4261,3236.6951,3290.2561,3236.4791,0,0,402626660,"
        "398081845473,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,2022-04-07,15:01:09,00,\";";
    const std::string shenzhenIndex =
        "var "
        "hq_str_sz399001=\"深证成指,12101.371,12172.911,11972.023,12205.097,11971.334,0.000,0.000,"
        "47857870369,"
        "524892592190.995,0,0.000,0,0.000,0,0.000,0,0.000,0,0.000,0,0.000,0,0.000,0,0.000,0,0.000,0,0.000,"
        "2022-04-07,15:00:03,00\";";
    const std::string stock = "var "
                              "hq_str_sz300502=\"新易盛,48.000,47.500,48.210,48.400,47.530,48.210,48.220,"
                              "4009118,192785421.290,3312,"
                              "48.210,500,48.140,7500,48.130,2000,48.100,400,48.090,23800,48.220,40900,48."
                              "250,200,48.260,3900,48.280,"
                              "400,48.290,2021-05-31,11:30:03,00\";";
    for (const std::string& real : {shanghaiIndex, shenzhenIndex, stock}) {
        const std::string key = real.substr(11, 8);
        const std::string simulated = SimulatedLine(market.SinaReply({key}));
        ExpectSameForm(real, simulated, ",");
        // Units: the amount over the volume is a price per lot for a Shanghai index, a price
        // per share for everything else.
        for (const std::string* line : {&real, &simulated}) {
            const std::vector<std::string> fields = SplitFields(ValueOf(*line), ",");
            const double perUnit = AtoF(fields[9]) / AtoF(fields[8]);
            const double perShare = key == "sh000001" ? perUnit / 100 : perUnit;
            EXPECT_GT(perShare, 1.0) << *line;
            EXPECT_LT(perShare, 500.0) << *line;
        }
    }
}

TEST(RealReplyForm, TencentStatement) {
    const sim::Market market = FixedMarket();
    // Recorded 2026-04-24.
    const std::string real =
        "v_sz000001=\"51~平安银行~000001~11.03~11.00~10.98~239540~129039~110491~11.02~1633~11.01~2505~11.00~"
        "2970~10.99~2389~10.98~2537~11.03~7111~11.04~7801~11.05~9631~11.06~8675~11.07~4258~~20260424102118~0."
        "03~"
        "0.27~11.03~10.92~11.03/239540/"
        "262696173~239540~26270~0.12~5.02~~11.03~10.92~1.00~2140.44~2140.47~0.47~"
        "12.10~9.90~1.52~-25442~10.97~5.02~5.02~~~0.46~26269.6173~0.0000~0~ "
        "~GP-A~-3.33~0.18~5.42~7.73~0.72~13.09~10.29~-0.54~0.82~-0.36~19405600653~19405918198~-51.39~-8.95~"
        "19405600653~~~5.73~0.09~~CNY~0~~11.09~-12871~\";";
    const std::string simulated = SimulatedLine(market.TencentReply({"sz000001"}));
    const std::vector<std::string> a = SplitFields(ValueOf(real), "~");
    const std::vector<std::string> b = SplitFields(ValueOf(simulated), "~");
    ASSERT_EQ(a.size(), b.size()) << simulated;
    // The fields the program and the chart read, and the order book.
    for (std::size_t i = 0; i <= 37; ++i) {
        if (i == 1 || i == 35)
            continue;
        EXPECT_EQ(FormOf(a[i]), FormOf(b[i])) << "field " << i << ": real " << a[i] << ", simulated " << b[i];
    }
    EXPECT_EQ(FormOf(a[57]), FormOf(b[57])) << b[57]; // the exact amount, four decimals
    EXPECT_EQ(a[0], b[0]);
    EXPECT_EQ(a[30].size(), b[30].size());
    const std::regex priceVolumeAmount(R"(\d+\.\d{2}/\d+/\d+)");
    EXPECT_TRUE(std::regex_match(b[35], priceVolumeAmount)) << b[35];
    EXPECT_EQ(real.substr(real.size() - 3), simulated.substr(simulated.size() - 3)); // ~";
    // Units: field 37 is field 57 rounded, both in 10,000 yuan; the volume in hands.
    for (const std::vector<std::string>* fields : {&a, &b}) {
        EXPECT_NEAR(AtoF((*fields)[37]), AtoF((*fields)[57]), 0.5);
        const double perShare = AtoF((*fields)[57]) * 10000 / (AtoF((*fields)[6]) * 100);
        EXPECT_GT(perShare, 1.0);
        EXPECT_LT(perShare, 500.0);
    }
}

TEST(RealReplyForm, EastMoneyReply) {
    const sim::Market market = FixedMarket();
    // Recorded 2026-09-30, the fields the ticker asks for.
    const nlohmann::json real = nlohmann::json::parse(
        R"({"rc":0,"rt":11,"svr":177622159,"lt":2,"full":1,"dlmkts":"8,10,128","dsc":"0","data":{"total":5,"diff":[)"
        R"({"f2":9.48,"f5":1474848,"f6":1386209937.0,"f12":"600000","f13":1,"f14":"浦发银行","f15":9.49,"f16":9.16,"f17":9.22,"f18":9.18,"f124":1790755897},)"
        R"({"f2":11.57,"f5":1045357,"f6":1205814857.64,"f12":"000001","f13":0,"f14":"平安银行","f15":11.65,"f16":11.33,"f17":11.36,"f18":11.35,"f124":1790753694},)"
        R"({"f2":3842.19,"f5":414560247,"f6":679398992444.8,"f12":"000001","f13":1,"f14":"上证指数","f15":3851.22,"f16":3833.09,"f17":3839.25,"f18":3830.45,"f124":1790755920},)"
        R"({"f2":291.11,"f5":296995,"f6":8613929784.25,"f12":"300750","f13":0,"f14":"宁德时代","f15":292.7,"f16":285.8,"f17":290.0,"f18":286.8,"f124":1790753658},)"
        R"({"f2":8.28,"f5":2931711,"f6":2417869721.0,"f12":"601398","f13":1,"f14":"工商银行","f15":8.3,"f16":8.15,"f17":8.17,"f18":8.16,"f124":1790755918}]}})");
    const std::string text =
        market.EastMoneyReply({"1.600000", "0.000001", "1.000001", "0.300750", "1.601398"});
    const nlohmann::json simulated = nlohmann::json::parse(text);
    std::vector<std::string> realKeys;
    std::vector<std::string> simulatedKeys;
    for (const auto& [key, value] : real.items())
        realKeys.push_back(key);
    for (const auto& [key, value] : simulated.items())
        simulatedKeys.push_back(key);
    EXPECT_EQ(realKeys, simulatedKeys);
    const auto& a = real["data"]["diff"];
    const auto& b = simulated["data"]["diff"];
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
        // The recording asked for every field the ticker asks for but the change (f4) and
        // its rate (f3), which the real service answers only when asked.
        std::vector<std::string> keysA;
        std::vector<std::string> keysB;
        for (const auto& [key, value] : a[i].items())
            keysA.push_back(key);
        for (const auto& [key, value] : b[i].items()) {
            if (key != "f3" && key != "f4")
                keysB.push_back(key);
        }
        EXPECT_EQ(keysA, keysB);
        EXPECT_EQ(a[i]["f12"], b[i]["f12"]);
        EXPECT_EQ(a[i]["f13"], b[i]["f13"]);
        for (const char* key : {"f5", "f13", "f124"}) {
            EXPECT_TRUE(a[i][key].is_number_integer() && b[i][key].is_number_integer()) << key;
        }
        EXPECT_TRUE(b[i]["f6"].is_number_float()); // the amount in yuan, written with a point
        EXPECT_TRUE(b[i]["f14"].is_string());
        // Units: yuan per share from the amount in yuan and the volume in hands.
        for (const auto* element : {&a[i], &b[i]}) {
            const double perShare = (*element)["f6"].get<double>() / ((*element)["f5"].get<double>() * 100);
            EXPECT_GT(perShare, 1.0);
            EXPECT_LT(perShare, 500.0);
        }
    }
    // Prices have at most two decimals and lose their trailing zeros, as fltt=2 writes them.
    const std::regex price(R"re("f(2|15|16|17|18)":-?\d+(\.\d{1,2})?[,}])re");
    const std::regex trailingZero(R"re("f(2|15|16|17|18)":-?\d+\.\d0[,}])re");
    std::size_t prices = 0;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), price); it != std::sregex_iterator(); ++it)
        ++prices;
    EXPECT_EQ(prices, 25u) << text;
    EXPECT_FALSE(std::regex_search(text, trailingZero)) << text;
}

TEST(RealReplyForm, MinuteReply) {
    const sim::Market market = FixedMarket();
    // Recorded 2026-09-11 (two rows shown; the "qt" object the real reply adds is not read).
    const nlohmann::json real = nlohmann::json::parse(
        R"({"code":0,"msg":"","data":{"sz300750":{"data":{"data":["0930 333.06 5328 177454368.00",)"
        R"("0931 335.22 16386 545610452.56"],"date":"20260911"}}}})");
    const nlohmann::json simulated = nlohmann::json::parse(market.MinuteReply("sz300750"));
    EXPECT_EQ(real["code"], simulated["code"]);
    EXPECT_EQ(real["msg"], simulated["msg"]);
    const auto& a = real["data"]["sz300750"]["data"];
    const auto& b = simulated["data"]["sz300750"]["data"];
    ASSERT_TRUE(b["data"].is_array());
    ASSERT_GE(b["data"].size(), 2u);
    EXPECT_EQ(a["date"].get<std::string>().size(), b["date"].get<std::string>().size());
    for (std::size_t row = 0; row < 2; ++row) {
        const std::vector<std::string> x = SplitFields(a["data"][row].get<std::string>(), " ");
        const std::vector<std::string> y = SplitFields(b["data"][row].get<std::string>(), " ");
        ASSERT_EQ(x.size(), y.size());
        EXPECT_EQ(x[0], y[0]); // 0930, 0931
        for (std::size_t i = 1; i < x.size(); ++i)
            EXPECT_EQ(FormOf(x[i]), FormOf(y[i])) << "row " << row << " field " << i;
        // Volume in hands, amount in yuan, both since the open.
        const double perShare = AtoF(y[3]) / (AtoF(y[2]) * 100);
        EXPECT_NEAR(perShare, AtoF(y[1]), AtoF(y[1]) * 0.2);
    }
}

TEST(RealReplyForm, SuggestionReply) {
    const sim::Market market = FixedMarket();
    // Recorded by another project (date not stated), two entries: an A share and a Hong Kong
    // stock; the reply ends without a ";" after the last entry.
    const std::string real = "var suggestvalue=\"龙芯中科,11,688047,sh688047,龙芯中科,,龙芯中科,99,1,,;"
                             "绿叶制药,31,02186,02186,绿叶制药,,绿叶制药,99,1,ESG,\";";
    const std::string simulated = GbkToUtf8(market.SuggestReply("600"));
    const std::vector<std::string> a = SplitFields(ValueOf(real), ";");
    const std::vector<std::string> b = SplitFields(ValueOf(simulated), ";");
    ASSERT_GE(b.size(), 2u);
    const std::vector<std::string> realEntry = SplitFields(a[0], ",");
    for (const std::string& entry : b) {
        const std::vector<std::string> fields = SplitFields(entry, ",");
        ASSERT_EQ(fields.size(), realEntry.size()) << entry;
        for (std::size_t i = 1; i < fields.size(); ++i)
            EXPECT_EQ(FormOf(realEntry[i]), FormOf(fields[i])) << "field " << i << " of " << entry;
        EXPECT_EQ(fields[4], fields[6]); // the name twice
    }
    EXPECT_EQ(real.substr(real.size() - 3), simulated.substr(simulated.size() - 3)); // ,";
}
