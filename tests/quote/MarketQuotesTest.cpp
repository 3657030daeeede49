// Quotes of the Beijing, Hong Kong and US markets and of open-end funds, on reply lines the
// services sent (recorded in public projects' tests), grouped by service; the exchange rates;
// and what damaged replies of these markets give.

#include "quote/MarketQuotes.h"
#include "QuoteTestSupport.h"
#include "quote/DerivedValues.h"
#include "quote/EastMoneyQuotes.h"
#include "quote/ExchangeRates.h"
#include "quote/FundEstimate.h"
#include "quote/QuoteParsers.h"
#include "quote/QuoteTable.h"
#include "quote/TencentQuotes.h"
#include "text/Gbk.h"

#include <gtest/gtest.h>

namespace marlune {
namespace {

using test::BookOf;
using test::Entry;

const std::string kSinaHongKong =
    "var hq_str_rt_hk00700=\"TENCENT,腾讯控股,479.000,479.200,483.200,475.400,478.800,-0.400,-0.083,478.600,"
    "478.800,7803757295.250,16319939,17.403,0.000,675.134,411.000,2026/08/07,16:08:22,1\";\n";
const std::string kSinaHongKongLongTail =
    "var hq_str_rt_hk00700=\"TENCENT,腾讯控股,444.000,447.800,462.200,443.400,455.200,7.400,1.653,455.200,"
    "455.400,12655334445.330,27742475,16.556,0.000,675.134,411.000,2026/08/28,16:08:36,100|0,N|Y|Y,"
    "455.400|432.800|478.000,0|||0.000|0.000|0.000, |0,Y\";\n";
const std::string kSinaHongKongDelayed =
    "var hq_str_hk00700=\"TENCENT,腾讯控股,482.600,484.000,491.200,478.600,486.800,2.800,0.579,486.60001,"
    "486.79999,3930914563,8102711,0.000,0.000,763.287,422.000,2021/08/12,11:59\";\n";
const std::string kSinaUs =
    "var hq_str_gb_aapl=\"苹果,319.7000,1.63,2026-08-29 08:14:52,5.1200,316.8450,322.3700,315.4504,344.5700,"
    "225.1600,38649398,38515168,4665759510006,8.30,38.520000,0.00,0.00,0.00,0.00,14594180513,63,319.9000,0."
    "06,"
    "0.20,Aug 28 07:59PM EDT,Aug 28 04:00PM EDT,314.5800,2782520,1,2026,12348919893.0000,320.2500,303.9100,"
    "889590318.6141,319.6400,314.5800\";\n";
const std::string kSinaUsShort =
    "var hq_str_gb_aapl=\"苹果,306.5662,-2.07,2026-08-11 01:15:29,-6.4938,306.8300,307.4900,304.6100,"
    "344.5700,222.9900,24418981,63792962,4474082304409,8.30,36.940000,0.00,0.86,0.00,0.00,14594179999,63,"
    "0.0000,\";\n";
const std::string kSinaBeijing =
    "var "
    "hq_str_bj920118=\"太湖远大,16.440,16.530,17.260,17.360,16.380,17.250,17.260,588716,9976849.670,75313,"
    "17.250,378,17.240,1000,17.230,500,17.150,2500,17.020,2038,17.260,7183,17.280,3002,17.290,1113,17.300,"
    "1200,"
    "17.320,2026-07-23,15:30:02,00,33.2261,0.0000,0,8300000,B,T\";\n";
const std::string kSinaShanghai =
    "var hq_str_sh600519=\"贵州茅台,1308.000,1308.550,1309.220,1315.280,1301.000,24976,3274560000,12060,"
    "1309.220,12916,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,2026-08-07,15:00:00,00\";\n";

const std::string kTencentHongKong =
    "v_r_hk00700=\"100~腾讯控股~00700~409.600~412.200~414.000~41115421.0~0~0~409.600~0~0~0~0~0~0~0~0~0~409."
    "600~"
    "0~0~0~0~0~0~0~0~0~41115421.0~2018/03/29 16:08:11~-2.600~-0.63~417.000~405.200~409.600~41115421.0~"
    "16899465578.300~0~44.97~~0~0~2.86~38909.443~38909.443~TENCENT~0.21~476.600~222.400~0.40~0~0~0~0~0~0~"
    "42.25~12.70~\"; v_r_hk00980=\"100~联华超市~00980~2.390~2.380~2.380~825000.0~0~0~2.390~0~0~0~0~0~0~0~0~0~"
    "2.390~0~0~0~0~0~0~0~0~0~825000.0~2018/03/29 "
    "16:08:11~0.010~0.42~2.440~2.330~2.390~825000.0~1949820.000~0~"
    "-5.38~~0~0~4.62~8.905~26.758~LIANHUA~0.00~4.530~2.330~1.94~0~0~0~0~0~0~-0.01~0.94~\";";
const std::string kTencentHongKongDelayed =
    "v_hk00700=\"100~腾讯控股~00700~479.200~473.800~474.600~19321018.0~0~0~479.200~0~0~0~0~0~0~0~0~0~479.200~"
    "0~0~"
    "0~0~0~0~0~0~0~19321018.0~2026/04/29 "
    "16:08:43~5.400~1.14~480.600~474.600~479.200~19321018.0~9231869057.790~"
    "0~17.57~~0~0~1.27~43729.8639~43729.8639~TENCENT~0.95~683.000~464.900~0.71~-43.20~0~0~0~0~0~17.57~3.45~0."
    "21~"
    "100~-20.00~-4.92~GP~19.48~11.27~-3.97~-2.88~-21.05~9125597636.00~9125597636.00~17.57~4.531~477.815~-12."
    "87~"
    "HKD~1~50\";\n";
const std::string kTencentUs = "v_usAAPL=\"200~苹果~AAPL.OQ~134.18~129.04~132.76~152470142~29222201081093~"
                               "29258751598320~134.99~36~0~0~0~0~"
                               "0~0~0~0~135.00~91~0~0~0~0~0~0~0~0~~2020-09-01 "
                               "16:00:01~5.14~3.98~134.80~130.53~USD~152470142~20266788153~"
                               "0.89~40.69~~45.14~~3.31~~22948.18280~Apple "
                               "Inc~3.30~134.80~50.26~-55~31.75~0.59~22948.18280~84.29~~SHARE~"
                               "69.25~18.27~\";\n";

// The watch list of every reply here: the parsers give records of watched codes only.
QuoteBook WatchingAll() {
    return BookOf({Entry("00700", kMarketHongKong), Entry("00980", kMarketHongKong),
                   Entry("AAPL", kMarketUnitedStates), Entry("SNDL", kMarketUnitedStates),
                   Entry("920118", kMarketBeijing), Entry("600519", kMarketShanghai)});
}

QuoteRecord OnlyRecord(void (*parse)(QuoteBook&, std::string_view), const std::string& utf8Reply) {
    QuoteBook book = WatchingAll();
    parse(book, Utf8ToGbk(utf8Reply));
    EXPECT_EQ(book.quoteList.size(), 1u);
    return book.quoteList.empty() ? QuoteRecord{} : book.quoteList.front();
}

TEST(SinaMarkets, HongKongUsAndBeijingStatementsOfRealReplies) {
    QuoteRecord hk = OnlyRecord(ParseSinaReply, kSinaHongKong);
    EXPECT_EQ(hk.market, kMarketHongKong);
    EXPECT_EQ(hk.code, "00700");
    EXPECT_EQ(hk.name, "腾讯控股");
    EXPECT_EQ(hk.open, "479.000");
    EXPECT_EQ(hk.previousClose, "479.200");
    EXPECT_EQ(hk.high, "483.200");
    EXPECT_EQ(hk.low, "475.400");
    EXPECT_EQ(hk.price, "478.800");
    EXPECT_EQ(hk.change, "-0.400");
    EXPECT_EQ(hk.changeRate, "-0.08%");
    EXPECT_EQ(hk.amplitude, "1.63%");
    EXPECT_EQ(hk.volume, "16319939");  // shares
    EXPECT_EQ(hk.amount, "780375.73"); // 10,000 HKD
    EXPECT_EQ(hk.dateTime, "2026-08-07 16:08:22");
    EXPECT_FALSE(hk.delayed);
    QuoteRecord rising = OnlyRecord(ParseSinaReply, kSinaHongKongLongTail);
    EXPECT_EQ(rising.change, "+7.400");
    EXPECT_EQ(rising.changeRate, "+1.65%");
    // The delayed form: the same fields, a time of minutes only, and the record says so.
    QuoteRecord delayed = OnlyRecord(ParseSinaReply, kSinaHongKongDelayed);
    EXPECT_TRUE(delayed.delayed);
    EXPECT_EQ(delayed.code, "00700");
    EXPECT_EQ(delayed.price, "486.800");
    EXPECT_EQ(delayed.change, "+2.800");
    EXPECT_EQ(delayed.volume, "8102711");
    EXPECT_EQ(delayed.amount, "393091.46");
    EXPECT_EQ(delayed.dateTime, "2021-08-12 11:59:00");

    QuoteRecord us = OnlyRecord(ParseSinaReply, kSinaUs);
    EXPECT_EQ(us.market, kMarketUnitedStates);
    EXPECT_EQ(us.code, "AAPL");
    EXPECT_EQ(us.name, "苹果");
    EXPECT_EQ(us.price, "319.70");
    EXPECT_EQ(us.previousClose, "314.58");
    EXPECT_EQ(us.high, "322.37");
    EXPECT_EQ(us.low, "315.45");
    EXPECT_EQ(us.change, "+5.12");
    EXPECT_EQ(us.changeRate, "+1.63%");
    EXPECT_EQ(us.volume, "38649398");
    EXPECT_EQ(us.amount, "1234891.99");
    EXPECT_EQ(us.dateTime, "2026-08-29 08:14:52"); // Sina's US time is Beijing time
    EXPECT_FALSE(us.delayed);
    // An older, shorter reply: the previous close is price - change, the amount unknown.
    QuoteRecord shortUs = OnlyRecord(ParseSinaReply, kSinaUsShort);
    EXPECT_EQ(shortUs.previousClose, "313.06");
    EXPECT_EQ(shortUs.change, "-6.49");
    EXPECT_EQ(shortUs.changeRate, "-2.07%");
    EXPECT_EQ(shortUs.amount, "-");

    // Beijing: the A-share statement and rules, market 3.
    QuoteRecord bj = OnlyRecord(ParseSinaReply, kSinaBeijing);
    EXPECT_EQ(bj.market, kMarketBeijing);
    EXPECT_EQ(bj.code, "920118");
    EXPECT_EQ(bj.price, "17.260");
    EXPECT_EQ(bj.change, "+0.73");
    EXPECT_EQ(bj.changeRate, "+4.42%");
    EXPECT_EQ(bj.volume, "5887");   // hands
    EXPECT_EQ(bj.amount, "997.68"); // 10,000 yuan
    EXPECT_EQ(bj.dateTime, "2026-07-23 15:30:02");

    // One reply of all markets gives every row its quote.
    QuoteBook book =
        BookOf({Entry("600519", kMarketShanghai), Entry("00700", kMarketHongKong),
                Entry("AAPL", kMarketUnitedStates, 10, 300.0f), Entry("920118", kMarketBeijing)});
    ParseSinaReply(book, Utf8ToGbk(kSinaShanghai + kSinaHongKong + kSinaUs + kSinaBeijing));
    ASSERT_EQ(book.quoteList.size(), 4u);
    for (const StockEntry& entry : book.watchList)
        EXPECT_FALSE(entry.quote.price.empty()) << entry.code;
    EXPECT_EQ(book.watchList[2].quote.plAmount, "197.00"); // (319.70 - 300) x 10, in USD
}

TEST(TencentMarkets, HongKongAndUsStatementsOfRealReplies) {
    QuoteBook book = WatchingAll();
    ParseTencentReply(book, Utf8ToGbk(kTencentHongKong));
    ASSERT_EQ(book.quoteList.size(), 2u);
    const QuoteRecord& hk = book.quoteList[0];
    EXPECT_EQ(hk.market, kMarketHongKong);
    EXPECT_EQ(hk.code, "00700");
    EXPECT_EQ(hk.price, "409.600");
    EXPECT_EQ(hk.previousClose, "412.200");
    EXPECT_EQ(hk.open, "414.000");
    EXPECT_EQ(hk.high, "417.000");
    EXPECT_EQ(hk.low, "405.200");
    EXPECT_EQ(hk.change, "-2.600");
    EXPECT_EQ(hk.changeRate, "-0.63%");
    EXPECT_EQ(hk.volume, "41115421");
    EXPECT_EQ(hk.amount, "1689946.56");
    EXPECT_EQ(hk.dateTime, "2018-03-29 16:08:11");
    EXPECT_FALSE(hk.delayed);
    QuoteRecord delayed = OnlyRecord(ParseTencentReply, kTencentHongKongDelayed);
    EXPECT_TRUE(delayed.delayed);
    EXPECT_EQ(delayed.price, "479.200");
    EXPECT_EQ(delayed.change, "+5.400");
    EXPECT_EQ(delayed.changeRate, "+1.14%");
    EXPECT_EQ(delayed.dateTime, "2026-04-29 16:08:43");
    // A low-priced stock keeps its third decimal: it trades in steps of 0.001.
    const QuoteRecord& cheap = book.quoteList[1];
    EXPECT_EQ(cheap.name, "联华超市");
    EXPECT_EQ(cheap.price, "2.390");
    EXPECT_EQ(cheap.change, "+0.010");
    EXPECT_EQ(cheap.changeRate, "+0.42%");

    QuoteRecord us = OnlyRecord(ParseTencentReply, kTencentUs);
    EXPECT_EQ(us.market, kMarketUnitedStates);
    EXPECT_EQ(us.code, "AAPL");
    EXPECT_EQ(us.price, "134.18");
    EXPECT_EQ(us.previousClose, "129.04");
    EXPECT_EQ(us.change, "+5.14");
    EXPECT_EQ(us.changeRate, "+3.98%");
    EXPECT_EQ(us.high, "134.80");
    EXPECT_EQ(us.low, "130.53");
    EXPECT_EQ(us.volume, "152470142");
    EXPECT_EQ(us.amount, "2026678.82");
    // 16:00:01 in New York (daylight saving) is 04:00:01 the next day in Beijing.
    EXPECT_EQ(us.dateTime, "2020-09-02 04:00:01");
    EXPECT_FALSE(us.delayed);
}

TEST(MarketQuotes, TheSameFiguresGiveTheSameTextsFromEitherService) {
    // Sina's Hong Kong statement and a Tencent statement of the same figures.
    const std::string tencent =
        "v_r_hk00700=\"100~腾讯控股~00700~478.800~479.200~479.000~16319939.0~0~0~478.800~0~0~0~0~0~0~0~0~0~"
        "478.800~0~0~0~0~0~0~0~0~0~16319939.0~2026/08/07 16:08:22~-0.400~-0.08~483.200~475.400~478.800~"
        "16319939.0~7803757295.250~0\";";
    QuoteRecord fromSina = OnlyRecord(ParseSinaReply, kSinaHongKong);
    QuoteRecord fromTencent = OnlyRecord(ParseTencentReply, tencent);
    fromTencent.open = fromSina.open; // the only figure the two statements differ in
    EXPECT_EQ(fromTencent.price, fromSina.price);
    EXPECT_EQ(fromTencent.change, fromSina.change);
    EXPECT_EQ(fromTencent.changeRate, fromSina.changeRate);
    EXPECT_EQ(fromTencent.amplitude, fromSina.amplitude);
    EXPECT_EQ(fromTencent.volume, fromSina.volume);
    EXPECT_EQ(fromTencent.amount, fromSina.amount);
    EXPECT_EQ(fromTencent.dateTime, fromSina.dateTime);

    // US decimals: two from 1 USD up, four below.
    EXPECT_STREQ(MarketPriceFormat(kMarketUnitedStates, 0.4567), "%.4f");
    EXPECT_STREQ(MarketPriceFormat(kMarketUnitedStates, 1.0), "%.2f");
    QuoteRecord penny;
    SetMarketPriceTexts(penny, kMarketUnitedStates, 0.5, 0.5123, 0.5, 0.52, 0.49);
    EXPECT_EQ(penny.price, "0.5123");
    EXPECT_EQ(penny.change, "+0.0123");
    EXPECT_EQ(penny.changeRate, "+2.46%");
}

TEST(MarketQuotes, TheSmallestStepOfEachMarketsDecimalsCountsAsARise) {
    // A fund's estimate half a thousandth above its net value.
    std::optional<QuoteRecord> fund = ParseFundEstimate(
        "jsonpgz({\"fundcode\":\"161725\",\"name\":\"招商中证白酒指数(LOF)\",\"jzrq\":\"2026-12-08\","
        "\"dwjz\":\"1.0229\",\"gsz\":\"1.0234\",\"gszzl\":\"0.05\",\"gztime\":\"2026-12-09 14:35\"});",
        "161725");
    ASSERT_TRUE(fund.has_value());
    EXPECT_EQ(fund->change, "+0.0005");
    EXPECT_EQ(fund->changeRate, "+0.05%");
    StockEntry row;
    row.quote = *fund;
    EXPECT_EQ(QuoteCellColor(row, kColChange), CellColor::Up);

    struct Case {
        int market;
        double previousClose, price;
        const char *change, *rate;
    };
    const Case cases[] = {
        {kMarketFund, 1.0229, 1.0230, "+0.0001", "+0.01%"},
        {kMarketFund, 1.0229, 1.0229, "0.0000", "0.00%"},
        {kMarketFund, 1.0229, 1.0228, "-0.0001", "-0.01%"},
        {kMarketHongKong, 0.250, 0.251, "+0.001", "+0.40%"}, // a stock of 0.001 steps
        {kMarketHongKong, 0.250, 0.249, "-0.001", "-0.40%"},
        {kMarketUnitedStates, 0.5000, 0.5001, "+0.0001", "+0.02%"}, // under 1 USD: 0.0001 steps
        {kMarketUnitedStates, 0.5000, 0.4999, "-0.0001", "-0.02%"},
        {kMarketUnitedStates, 12.00, 12.01, "+0.01", "+0.08%"},
    };
    for (const Case& c : cases) {
        QuoteRecord record;
        SetMarketPriceTexts(record, c.market, c.previousClose, c.price, c.price, c.price, c.price);
        EXPECT_EQ(record.change, c.change) << c.market << " " << c.price;
        EXPECT_EQ(record.changeRate, c.rate) << c.market << " " << c.price;
    }

    // Two decimals keep the A-share rule: "+" from 0.001, even where it prints as 0.00.
    QuoteRecord aShare;
    SetChangeTexts(aShare, false, 10.0, 10.001, 10.001, 10.0);
    EXPECT_EQ(aShare.change, "+0.00");
    SetChangeTexts(aShare, false, 10.0, 10.0005, 10.0005, 10.0);
    EXPECT_EQ(aShare.change, "0.00");
    EXPECT_EQ(aShare.changeRate, "0.01%");
    SetChangeTexts(aShare, true, 3000.0, 3000.001, 3000.001, 3000.0);
    EXPECT_EQ(aShare.change, "+0.001");
}

TEST(MarketQuotes, DamagedOrForeignStatementsGiveNoRecordAndSpareTheOthers) {
    const std::string broken[] = {
        "var hq_str_rt_hk00700=\"\";\n",                                 // unknown or delisted
        "var hq_str_gb_xyzq=\"\";\n",                                    //
        "var hq_str_rt_hk00700=\"TENCENT,腾讯控股,479.000,479.200\";\n", // fields missing
        "var hq_str_rt_hk00700=\"TENCENT,腾讯控股,479.000,479.200,483.200,475.400,abc,-0.400,-0.083,478.600,"
        "478.800,7803757295.250,16319939,17.403,0.000,675.134,411.000,2026/08/07,16:08:22,1\";\n", // no price
        "var "
        "hq_str_rt_hk00700=\"TENCENT,腾讯控股,479.000,479.200,483.200,475.400,1e300,-0.400,-0.083,478.600,"
        "478.800,7803757295.250,16319939,17.403,0.000,675.134,411.000,2026/08/07,16:08:22,1\";\n", // huge
        "var "
        "hq_str_rt_hk00700=\"TENCENT,腾讯控股,479.000,479.200,483.200,475.400,478.800,-0.400,-0.083,478.600,"
        "478.800,7803757295.250,16319939,17.403,0.000,675.134,411.000,yesterday,16:08:22,1\";\n", // no date
        "var hq_str_gb_aapl=\"苹果,319.7000,1.63,2026-08-29 08:14:52\";\n",
        "var "
        "hq_str_rt_hk09988=\"TENCENT,腾讯控股,479.000,479.200,483.200,475.400,478.800,-0.400,-0.083,478.600,"
        "478.800,7803757295.250,16319939,17.403,0.000,675.134,411.000,2026/08/07,16:08:22,1\";\n", // not
                                                                                                   // asked
        "var hq_str_rt_hk7=\"TENCENT,腾讯控股,479.000,479.200,483.200,475.400,478.800,-0.400,-0.083,478.600,"
        "478.800,7803757295.250,16319939,17.403,0.000,675.134,411.000,2026/08/07,16:08:22,1\";\n", // bad code
    };
    for (const std::string& statement : broken) {
        QuoteBook book = BookOf({Entry("00700", kMarketHongKong), Entry("600519", kMarketShanghai)});
        ParseSinaReply(book, Utf8ToGbk(statement + kSinaShanghai));
        ASSERT_EQ(book.quoteList.size(), 1u) << statement;
        EXPECT_EQ(book.quoteList[0].code, "600519");
        EXPECT_TRUE(book.watchList[0].quote.price.empty());
    }

    const std::string brokenTencent[] = {
        "v_r_hk00700=\"100~腾讯控股~00700~508.5~501.0\";", // fields missing
        "v_usAAPL=\"200~苹果~MSFT.OQ~134.18~129.04~132.76~152470142~0~0~0~0~0~0~0~0~0~0~0~0~0~0~0~0~0~0~0~0~"
        "0~0~~"
        "2020-09-01 16:00:01~5.14~3.98~134.80~130.53~USD~152470142~20266788153~\";", // another code
        "v_r_hk00700=\"100~腾讯控股~00700~409.600~412.200~414.000~41115421.0~0~0~409.600~0~0~0~0~0~0~0~0~0~"
        "409.600~"
        "0~0~0~0~0~0~0~0~0~41115421.0~2018/03/29 16:08:11~-2.600~-0.63~417.000~405.200~409.600~41115421.0~"
        "99e99~0\";", // a huge amount
        "v_usAAPL=\"200~苹果~AAPL.OQ~134.18~129.04~132.76~152470142~0~0~0~0~0~0~0~0~0~0~0~0~0~0~0~0~0~0~0~0~"
        "0~0~~"
        "-~5.14~3.98~134.80~130.53~USD~152470142~20266788153~\";", // no time
        "v_pv_none_match=\"1\";",
    };
    for (const std::string& statement : brokenTencent) {
        QuoteBook book = WatchingAll();
        ParseTencentReply(book, Utf8ToGbk(statement + kTencentUs));
        ASSERT_EQ(book.quoteList.size(), 1u) << statement;
        EXPECT_EQ(book.quoteList[0].code, "AAPL");
        EXPECT_EQ(book.quoteList[0].price, "134.18");
    }
}

TEST(EastMoneyMarkets, HongKongUsAndBeijingElements) {
    // The Hong Kong element of a recorded reply (f2, f3, f6, f12-f14, f124) with the fields
    // this program asks for besides.
    const std::string reply =
        "{\"rc\":0,\"data\":{\"total\":4,\"diff\":["
        "{\"f2\":461.6,\"f3\":-1.95,\"f5\":27469300,\"f6\":12679743488,\"f12\":\"00700\",\"f13\":116,"
        "\"f14\":\"腾讯控股\",\"f15\":470.2,\"f16\":459.8,\"f17\":468,\"f18\":470.8,\"f124\":1786522086},"
        "{\"f2\":0.6432,\"f3\":1.2,\"f5\":1200,\"f6\":771.8,\"f12\":\"SNDL\",\"f13\":105,\"f14\":\"x\","
        "\"f15\":0.65,\"f16\":0.63,\"f17\":0.64,\"f18\":0.6355,\"f124\":1786522086},"
        "{\"f2\":17.26,\"f3\":4.42,\"f5\":5887,\"f6\":9976849.67,\"f12\":\"920118\",\"f13\":0,"
        "\"f14\":\"太湖远大\",\"f15\":17.36,\"f16\":16.38,\"f17\":16.44,\"f18\":16.53,\"f124\":1784791802},"
        "{\"f2\":1,\"f3\":1,\"f5\":1,\"f6\":1,\"f12\":\"600000\",\"f13\":116,\"f14\":\"x\",\"f15\":1,"
        "\"f16\":1,\"f17\":1,\"f18\":1,\"f124\":1}]}}";
    QuoteBook book = WatchingAll();
    ParseEastMoneyReply(book, reply);
    ASSERT_EQ(book.quoteList.size(), 3u); // a six-digit code is no Hong Kong code
    const QuoteRecord& hk = book.quoteList[0];
    EXPECT_EQ(hk.market, kMarketHongKong);
    EXPECT_EQ(hk.price, "461.600");
    EXPECT_EQ(hk.change, "-9.200");
    EXPECT_EQ(hk.changeRate, "-1.95%");
    EXPECT_EQ(hk.volume, "27469300");
    EXPECT_EQ(hk.amount, "1267974.35");
    const QuoteRecord& penny = book.quoteList[1];
    EXPECT_EQ(penny.market, kMarketUnitedStates);
    EXPECT_EQ(penny.price, "0.6432");
    EXPECT_EQ(penny.change, "+0.0077");
    const QuoteRecord& bj = book.quoteList[2];
    EXPECT_EQ(bj.market, kMarketBeijing);
    EXPECT_EQ(bj.price, "17.26");
    EXPECT_EQ(bj.volume, "5887");
    EXPECT_EQ(bj.amount, "997.68");
    EXPECT_EQ(bj.dateTime, "2026-07-23 15:30:02");
}

TEST(FundEstimate, EstimatesNetValuesAndDamagedReplies) {
    const std::string reply = "jsonpgz({\"fundcode\":\"161725\",\"name\":\"招商中证白酒指数(LOF)\",\"jzrq\":"
                              "\"2026-01-31\",\"dwjz\":\"1.2345\",\"gsz\":\"1.2501\",\"gszzl\":\"1.26\","
                              "\"gztime\":\"2026-02-01 10:21\"});";
    std::optional<QuoteRecord> fund = ParseFundEstimate(reply, "161725");
    ASSERT_TRUE(fund.has_value());
    EXPECT_EQ(fund->market, kMarketFund);
    EXPECT_EQ(fund->name, "招商中证白酒指数(LOF)");
    EXPECT_EQ(fund->price, "1.2501");
    EXPECT_EQ(fund->previousClose, "1.2345");
    EXPECT_EQ(fund->change, "+0.0156");
    EXPECT_EQ(fund->changeRate, "+1.26%");
    EXPECT_EQ(fund->dateTime, "2026-02-01 10:21:00");
    for (const std::string* dash :
         {&fund->high, &fund->low, &fund->open, &fund->volume, &fund->amount, &fund->amplitude})
        EXPECT_EQ(*dash, "-");
    std::optional<QuoteRecord> other = ParseFundEstimate(
        "jsonpgz({\"fundcode\":\"110011\",\"name\":\"易方达中小盘混合\",\"jzrq\":\"2026-05-15\","
        "\"dwjz\":\"3.7080\",\"gsz\":\"3.7150\",\"gszzl\":\"0.19\",\"gztime\":\"2026-05-16 "
        "15:00\"});\n",
        "110011");
    ASSERT_TRUE(other.has_value());
    EXPECT_EQ(other->changeRate, "+0.19%");

    // No estimate (a reply without gsz and gztime), or one the evening's net value has
    // overtaken: the last net value, with no change or rate.
    std::optional<QuoteRecord> netValue =
        ParseFundEstimate("jsonpgz({\"fundcode\":\"161125\",\"name\":\"n\",\"jzrq\":\"2026-07-01\",\"dwjz\":"
                          "\"3.0893\",\"gsz\":\"3.11\"});",
                          "161125");
    ASSERT_TRUE(netValue.has_value());
    EXPECT_EQ(netValue->price, "3.0893");
    EXPECT_EQ(netValue->changeRate, "-");
    EXPECT_EQ(netValue->change, "-");
    EXPECT_EQ(netValue->dateTime, "2026-07-01");
    std::optional<QuoteRecord> published = ParseFundEstimate(
        "jsonpgz({\"fundcode\":\"161725\",\"name\":\"招商中证白酒指数(LOF)\",\"jzrq\":\"2026-02-01\","
        "\"dwjz\":"
        "\"1.2480\",\"gsz\":\"1.2501\",\"gszzl\":\"1.26\",\"gztime\":\"2026-02-01 15:00\"});",
        "161725");
    ASSERT_TRUE(published.has_value());
    EXPECT_EQ(published->price, "1.2480");
    EXPECT_EQ(published->changeRate, "-");

    // A holding of a fund is valued at the estimate.
    QuoteBook book = BookOf({Entry("161725", kMarketFund, 1000, 1.10f)});
    book.quoteList.push_back(*fund);
    ComputeDerivedValues(book);
    EXPECT_EQ(book.watchList[0].quote.plAmount, "150.10");

    for (const char* bad :
         {"jsonpgz();", "jsonpgz();\n", "", "jsonpgz(", "callback({\"fundcode\":\"161725\"});",
          "jsonpgz({\"fundcode\":\"161725\",\"name\":\"x\",\"jzrq\":\"2026-01-31\"});",
          "jsonpgz({\"fundcode\":\"161725\",\"name\":\"x\",\"jzrq\":\"2026-01-31\",\"dwjz\":"
          "\"1e400\"});",
          "jsonpgz({\"fundcode\":\"161725\",\"name\":\"x\",\"jzrq\":\"2026-01-31\",\"dwjz\":1.2});",
          "jsonpgz({\"fundcode\":\"161725\",\"name\":\"x\",\"jzrq\":\"2026-01-31\",\"dwjz\":\"0\"});",
          "jsonpgz([1,2,3]);", "jsonpgz({\"fundcode\":\"161725\",);",
          // A field given again as an object, the code only inside another object, a second value.
          "jsonpgz({\"fundcode\":\"161725\",\"name\":\"x\",\"jzrq\":\"2026-01-31\",\"dwjz\":\"1.2\","
          "\"dwjz\":{\"v\":\"1.2\"}});",
          "jsonpgz({\"x\":{\"fundcode\":\"161725\"},\"name\":\"x\",\"jzrq\":\"2026-01-31\",\"dwjz\":\"1.2\"})"
          ";",
          "jsonpgz({\"fundcode\":\"161725\",\"name\":\"x\",\"jzrq\":\"2026-01-31\",\"dwjz\":\"1.2\"} {});"})
        EXPECT_FALSE(ParseFundEstimate(bad, "161725").has_value()) << bad;
    // A name given twice counts with its last value.
    const std::optional<QuoteRecord> twice = ParseFundEstimate(
        "jsonpgz({\"fundcode\":\"161725\",\"name\":\"x\",\"jzrq\":\"2026-01-31\",\"dwjz\":\"0\","
        "\"dwjz\":\"1.2\"});",
        "161725");
    ASSERT_TRUE(twice.has_value());
    EXPECT_EQ(twice->price, "1.2000");
    EXPECT_FALSE(ParseFundEstimate(reply, "110011").has_value()); // the reply of another fund

    EXPECT_EQ(FundEstimatePath("161725", 7), "/js/161725.js?rt=7");
    EXPECT_EQ(FundCodeOfRequest("/js/161725.js?rt=7"), "161725");
    EXPECT_EQ(FundCodeOfRequest("/rn=1&list=sh600000"), std::nullopt);
}

TEST(ExchangeRates, SinaStatementsRateZeroAndTheTenMinuteRefresh) {
    const std::string reply = Utf8ToGbk(
        "var hq_str_fx_shkdcny=\"03:21:44,0.8646255739,0.8646255739,0.8657633869,15.5660370000,0.8657633869,"
        "0.8658608388,0.8643042351,0.8646255739,港元兑人民币,-0.1314,-0.0011,0.0016,此行情由新浪财经计算得出,"
        "0.0000,0.0000,,2026-07-04\";\n"
        "var hq_str_fx_susdcny=\"16:55:58,0,0,0\";\n" // a rate of 0 is no rate
        "var hq_str_fx_seurusd=\"16:55:58,1.1,0,0\";\n"
        "var hq_str_fx_susdcny=\"\";\n");
    std::vector<ExchangeRate> rates = ParseSinaExchangeRates(reply);
    ASSERT_EQ(rates.size(), 1u);
    EXPECT_EQ(rates[0].currency, "HKD");
    EXPECT_DOUBLE_EQ(rates[0].yuan, 0.8646255739);
    EXPECT_EQ(rates[0].time, "2026-07-04 03:21:44");
    EXPECT_EQ(SinaExchangeRateCodes({"CNY", "HKD", "USD"}), "fx_shkdcny,fx_susdcny");

    ExchangeRateBook book;
    EXPECT_TRUE(book.IsDue(1000));
    book.OnRequested(1000);
    EXPECT_FALSE(book.IsDue(1599));
    EXPECT_TRUE(book.IsDue(1600));
    book.OnRates(rates);
    EXPECT_EQ(book.YuanPer("CNY"), 1.0);
    EXPECT_EQ(book.YuanPer("HKD"), 0.8646255739);
    EXPECT_EQ(book.YuanPer("USD"), std::nullopt);
    book.OnRates({{"HKD", 0.9, "2026-07-05 10:00:00"}});
    EXPECT_EQ(book.YuanPer("HKD"), 0.9);
    EXPECT_EQ(book.Rates().size(), 1u);
}

TEST(ExchangeRates, TheTotalCountsInYuanAndLeavesOutHoldingsWithoutARate) {
    QuoteBook book =
        BookOf({Entry("600519", kMarketShanghai, 100, 1300.0f), Entry("00700", kMarketHongKong, 100, 400.0f),
                Entry("AAPL", kMarketUnitedStates, 10, 300.0f)});
    ParseSinaReply(book, Utf8ToGbk(kSinaShanghai + kSinaHongKong + kSinaUs));
    // Rows in their own currency: 922.00 yuan, 7880.00 HKD, 197.00 USD.
    EXPECT_EQ(book.watchList[0].quote.plAmount, "922.00");
    EXPECT_EQ(book.watchList[1].quote.plAmount, "7880.00");
    EXPECT_EQ(book.watchList[2].quote.plAmount, "197.00");
    // No rate at all: only the yuan holding counts, and the total says what it left out.
    EXPECT_EQ(book.totalPlAmount, "922.00");
    EXPECT_EQ(book.totalLeavesOut, (std::vector<std::string>{"HKD", "USD"}));
    // With the Hong Kong dollar's rate: 922 + 7880 x 0.92 = 8171.60; cost 130000 + 36800.
    book.exchangeRates = {{"HKD", 0.92, "2026-08-07 16:08:00"}};
    ComputeDerivedValues(book);
    EXPECT_EQ(book.totalPlAmount, "8171.60");
    EXPECT_EQ(book.totalPlRate, "4.90%");
    EXPECT_EQ(book.totalLeavesOut, std::vector<std::string>{"USD"});
    EXPECT_EQ(TotalRatesText(book.exchangeRates, book.totalLeavesOut),
              "汇率：1 港元 = 0.9200 元（2026-08-07 16:08:00）\n未计入合计（无汇率）：美元");
    // The total line says it too, after its rate.
    EXPECT_EQ(TotalLineTextOf(book, false), "总盈亏:8171.60  4.90%（未含美元）  ");
    book.exchangeRatesStale = true;
    EXPECT_EQ(TotalRatesText(book.exchangeRates, book.totalLeavesOut, true),
              "汇率：1 港元 = 0.9200 元（2026-08-07 "
              "16:08:00）\n汇率未能更新，沿用以上汇率\n未计入合计（无汇率）：美元");
    // A rate of 0 is no rate.
    book.exchangeRates = {{"HKD", 0.92, ""}, {"USD", 0.0, ""}};
    ComputeDerivedValues(book);
    EXPECT_EQ(book.totalPlAmount, "8171.60");
    book.exchangeRates.push_back({"USD", 7.1, ""});
    ComputeDerivedValues(book);
    EXPECT_EQ(book.totalPlAmount, "9570.30"); // + 197 x 7.1
    EXPECT_TRUE(book.totalLeavesOut.empty());
    // Every holding converted, at rates the last request did not renew: "*".
    EXPECT_EQ(TotalLineMark(book), "*");
    book.exchangeRatesStale = false;
    EXPECT_EQ(TotalLineMark(book), "");
    // A rate request that brings none marks the rates held as stale; the next that brings
    // one clears it.
    ExchangeRateBook rates;
    rates.OnRates({});
    EXPECT_FALSE(rates.IsStale()); // nothing held, nothing stale
    rates.OnRates({{"HKD", 0.92, ""}});
    rates.OnRates({});
    EXPECT_TRUE(rates.IsStale());
    rates.OnRates({{"HKD", 0.93, ""}});
    EXPECT_FALSE(rates.IsStale());
}

} // namespace
} // namespace marlune
