// The simulated Tencent minute data: the exact syntax, one row per minute across the lunch
// break, and rows that add up to the market's quote at the same moment.
#include "sim/Market.h"
#include "sim/ServiceRouter.h"
#include "text/CNumber.h"
#include "text/Fields.h"

#include <gtest/gtest.h>
#include <regex>

using namespace marlune;
using namespace marlune::sim;

namespace {

// 13:00 Beijing time on a Monday: the session that began at 09:30 is at 14:30 on the
// exchange's clock.
constexpr std::int64_t kAfternoon = 1765161000 + 9000;

std::vector<std::string> Rows(const std::string& reply) {
    const std::size_t open = reply.find('[');
    const std::size_t close = reply.find(']');
    std::vector<std::string> rows = SplitFields(reply.substr(open + 1, close - open - 1), ",");
    for (std::string& row : rows)
        row = row.substr(1, row.size() - 2); // the quotes
    return rows;
}

} // namespace

TEST(MinuteReply, TheServicesSyntaxWithOneRowPerMinute) {
    const Market market(20261208, [] { return kAfternoon; });
    const std::string reply = market.MinuteReply("sh600000");
    static const std::regex shape(
        R"(\{"code":0,"msg":"","data":\{"sh600000":\{"data":\{"data":\[("\d{4} \d+\.\d{2} \d+ \d+\.\d{2}",)*)"
        R"("\d{4} \d+\.\d{2} \d+ \d+\.\d{2}"\],"date":"\d{8}"\}\}\}\})");
    EXPECT_TRUE(std::regex_match(reply, shape)) << reply.substr(0, 200);

    const std::vector<std::string> rows = Rows(reply);
    ASSERT_EQ(rows.size(), 211u); // the auction and 210 minutes
    EXPECT_EQ(rows[0].substr(0, 4), "0930");
    EXPECT_EQ(rows[1].substr(0, 4), "0931");
    EXPECT_EQ(rows[120].substr(0, 4), "1130");
    EXPECT_EQ(rows[121].substr(0, 4), "1301");
    EXPECT_EQ(rows.back().substr(0, 4), "1430");
    double volume = 0;
    for (const std::string& row : rows) {
        const std::vector<std::string> fields = SplitFields(row, " ");
        ASSERT_EQ(fields.size(), 4u) << row;
        EXPECT_GE(AtoF(fields[2]), volume) << "volume since the open only grows";
        volume = AtoF(fields[2]);
    }

    const SimQuote quote = market.QuoteAt(*FindStock(1, "600000"), kAfternoon);
    const std::vector<std::string> last = SplitFields(rows.back(), " ");
    EXPECT_EQ(last[1], Format("%.2f", quote.price));
    EXPECT_EQ(last[2], Format("%.0f", quote.volume / 100));
    EXPECT_NEAR(AtoF(last[3]), quote.amount, 0.01);
    EXPECT_NE(reply.find(R"("date":")" + quote.time.Date().substr(0, 4) + quote.time.Date().substr(5, 2) +
                         quote.time.Date().substr(8, 2) + "\""),
              std::string::npos);
}

TEST(MinuteReply, RoutedByItsPathAndEmptyForUnknownCodes) {
    const Market market(20261208, [] { return kAfternoon; });
    const SiteSettings site{"http://127.0.0.1:1", "1.1.0.0"};
    const HttpReply reply = RouteServiceRequest(market, site, "/appstock/app/minute/query?code=sz000002");
    EXPECT_EQ(reply.status, 200);
    EXPECT_EQ(reply.contentType, "application/json; charset=utf-8");
    EXPECT_EQ(reply.body, market.MinuteReply("sz000002"));
    for (const char* unknown : {"sz999999", "SZ000002", "000002", "", "sh600000\"}"})
        EXPECT_EQ(market.MinuteReply(unknown), R"({"code":0,"data":{}})") << unknown;
    EXPECT_EQ(RouteServiceRequest(market, site, "/appstock/app/minute/query").body,
              R"({"code":0,"data":{}})");
}
