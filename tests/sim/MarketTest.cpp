#include "sim/Market.h"
#include "sim/QuoteReplies.h"
#include "sim/TradingClock.h"
#include "text/Gbk.h"

#include <cmath>
#include <gtest/gtest.h>
#include <set>

using namespace marlune;
using namespace marlune::sim;

namespace {

// 2026-12-08 09:30:00 Beijing time: the start of a session.
constexpr std::int64_t kMorningOpen = 1796693400;

bool OnTick(double price, double tick) {
    return std::fabs(price / tick - std::round(price / tick)) < 1e-6;
}

} // namespace

TEST(StockTable, RealSharesAndIndicesWithNamesAndInitials) {
    const auto& stocks = AllStocks();
    std::set<std::string> keys;
    int shares = 0;
    for (const StockInfo& stock : stocks) {
        const std::string code = stock.code;
        ASSERT_EQ(code.size(), 6u) << code;
        EXPECT_TRUE(keys.insert(std::to_string(stock.market) + code).second) << "twice: " << code;
        EXPECT_TRUE(stock.market == 1 || stock.market == 2) << code;
        EXPECT_GT(stock.baseClose, 0) << code;
        // Every name survives the trip to GBK, as the services send it.
        EXPECT_EQ(GbkToUtf8(Utf8ToGbk(stock.name)), stock.name) << code;
        EXPECT_EQ(Utf8ToGbk(stock.name).find('?'), std::string::npos) << code;
        for (const char* c = stock.initials; *c; ++c) {
            EXPECT_TRUE((*c >= 'A' && *c <= 'Z') || (*c >= '0' && *c <= '9'))
                << code << " " << stock.initials;
        }
        if (!stock.IsIndex()) {
            ++shares;
            const std::string head = code.substr(0, 3);
            if (stock.market == 1) {
                EXPECT_TRUE(head[0] == '6' || head == "688") << code;
            } else {
                EXPECT_TRUE(head == "000" || head == "002" || head == "300") << code;
            }
        }
    }
    EXPECT_GE(shares, 300);
    EXPECT_STREQ(FindStock(1, "600000")->name, "浦发银行");
    EXPECT_STREQ(FindStock(1, "600000")->initials, "PFYH");
    EXPECT_STREQ(FindStock(1, "000001")->name, "上证指数");
    EXPECT_STREQ(FindStock(2, "000001")->name, "平安银行");
    for (const char* index : {"sh000001", "sz399001", "sz399006", "sh000300", "sh000016", "sz399005"}) {
        ASSERT_NE(FindStockByPrefixedCode(index), nullptr) << index;
        EXPECT_TRUE(FindStockByPrefixedCode(index)->IsIndex()) << index;
    }
    EXPECT_EQ(FindStockByPrefixedCode("SH600000"), nullptr);
    EXPECT_EQ(FindStockByPrefixedCode("sh60000"), nullptr);
    EXPECT_EQ(FindStock(3, "600000"), nullptr);
}

TEST(TradingClock, FourHourSessionsPlayTheTradingDayAtRealSpeed) {
    SessionTime open = SessionAt(kMorningOpen);
    EXPECT_EQ(open.second, 0);
    EXPECT_EQ(open.Date(), "2026-12-08");
    EXPECT_EQ(open.Time(), "09:30:00");
    EXPECT_EQ(SessionAt(kMorningOpen + 7199).Time(), "11:29:59");
    EXPECT_EQ(SessionAt(kMorningOpen + 7200).Time(), "13:00:00"); // the lunch break is skipped
    EXPECT_EQ(SessionAt(kMorningOpen + 14399).Time(), "14:59:59");
    const SessionTime next = SessionAt(kMorningOpen + 14400);
    EXPECT_EQ(next.session, open.session + 1);
    EXPECT_EQ(next.Time(), "09:30:00");
    // The 21:30 session runs past midnight and keeps the date it began on.
    const SessionTime night = SessionAt(kMorningOpen + 12 * 3600 + 3 * 3600);
    EXPECT_EQ(night.Date(), "2026-12-08");
    EXPECT_EQ(night.Time(), "14:00:00");
    EXPECT_EQ(SessionAt(kMorningOpen + 16 * 3600).Date(), "2026-12-09");
    // Before 1970 the arithmetic still floors.
    EXPECT_EQ(SessionAt(-1).Time(), SessionAt(-1 + 14400).Time());
}

TEST(Market, SameSeedAndTimeGiveTheSameMarket) {
    std::int64_t now = kMorningOpen + 5000;
    Market first(7, [&now] { return now; });
    Market second(7, [&now] { return now; });
    Market other(8, [&now] { return now; });
    const std::vector<std::string> codes = {"sh600000", "sz000001", "sh000001", "sz300750"};
    EXPECT_EQ(first.SinaReply(codes), second.SinaReply(codes));
    EXPECT_NE(first.SinaReply(codes), other.SinaReply(codes));
    const std::string before = first.SinaReply(codes);
    now += 5;
    EXPECT_NE(first.SinaReply(codes), before);
    EXPECT_EQ(first.SinaReply(codes), second.SinaReply(codes));
}

TEST(Market, PricesStayConsistentOverASimulatedDay) {
    const Market market(20261208);
    std::vector<const StockInfo*> sample;
    const auto& stocks = AllStocks();
    for (std::size_t i = 0; i < stocks.size(); i += 7) {
        sample.push_back(&stocks[i]);
    }
    for (const char* index : {"sh000001", "sz399001", "sz399006"}) {
        sample.push_back(FindStockByPrefixedCode(index));
    }
    for (const StockInfo* stock : sample) {
        SCOPED_TRACE(stock->code);
        const double tick = stock->IsIndex() ? 0.001 : 0.01;
        double lastVolume = -1;
        double lastAmount = -1;
        double lastHigh = 0;
        double lastLow = 1e18;
        for (int second = 0; second < kSessionSeconds; second += 97) {
            const SimQuote q = market.QuoteAt(*stock, kMorningOpen + second);
            ASSERT_GT(q.previousClose, 0);
            EXPECT_GE(q.high, std::max(q.open, q.price) - 1e-9);
            EXPECT_LE(q.low, std::min(q.open, q.price) + 1e-9);
            EXPECT_GE(q.high, lastHigh - 1e-9);
            EXPECT_LE(q.low, lastLow + 1e-9);
            EXPECT_GE(q.volume, lastVolume);
            EXPECT_GE(q.amount, lastAmount);
            EXPECT_LE(q.high, q.previousClose * 1.1 + tick);
            EXPECT_GE(q.low, q.previousClose * 0.9 - tick);
            EXPECT_TRUE(OnTick(q.price, tick) && OnTick(q.high, tick) && OnTick(q.low, tick) &&
                        OnTick(q.open, tick));
            EXPECT_GT(q.volume, 0);
            const double averagePrice = q.amount / q.volume;
            if (stock->IsIndex()) {
                EXPECT_TRUE(averagePrice > 5 && averagePrice < 25) << averagePrice;
                EXPECT_GT(q.volume, 1e8); // an index counts the whole market's shares
                EXPECT_EQ(q.book.bidPrice[0], 0);
            } else {
                EXPECT_EQ(std::fmod(q.volume, 100), 0);
                EXPECT_GE(averagePrice, q.low - 1e-6);
                EXPECT_LE(averagePrice, q.high + 1e-6);
                for (int level = 0; level < 5; ++level) {
                    if (q.book.bidPrice[level] > 0 && q.book.askPrice[level] > 0) {
                        EXPECT_LT(q.book.bidPrice[level], q.book.askPrice[level]);
                    }
                    if (level > 0 && q.book.bidPrice[level] > 0) {
                        EXPECT_LT(q.book.bidPrice[level], q.book.bidPrice[level - 1]);
                    }
                    if (level > 0 && q.book.askPrice[level] > 0) {
                        EXPECT_GT(q.book.askPrice[level], q.book.askPrice[level - 1]);
                    }
                }
            }
            lastVolume = q.volume;
            lastAmount = q.amount;
            lastHigh = q.high;
            lastLow = q.low;
        }
        // The session ends where the next one's previous close starts.
        const SimQuote last = market.QuoteAt(*stock, kMorningOpen + kSessionSeconds - 1);
        const SimQuote next = market.QuoteAt(*stock, kMorningOpen + kSessionSeconds);
        EXPECT_NEAR(last.price, next.previousClose, next.previousClose * 0.003 + 2 * tick);
        EXPECT_LT(next.volume, last.volume); // a new day starts with the opening auction only
    }
}

TEST(Market, PricesMoveBetweenRefreshesAtAnyHour) {
    const Market market(20261208);
    // Moments spread over a day, including the night and the lunch hour.
    for (std::int64_t start : {kMorningOpen - 9 * 3600, kMorningOpen + 2 * 3600, kMorningOpen + 14 * 3600}) {
        int moves = 0;
        int steps = 0;
        for (std::size_t i = 0; i < 60; i += 3) {
            const StockInfo& stock = AllStocks()[20 + i];
            for (int step = 0; step < 10; ++step) {
                const SimQuote before = market.QuoteAt(stock, start + step * 5);
                const SimQuote after = market.QuoteAt(stock, start + step * 5 + 5);
                moves += before.price != after.price;
                EXPECT_GE(after.volume, before.volume);
                ++steps;
            }
        }
        EXPECT_GT(moves, steps / 4) << "start " << start;
    }
}

TEST(Market, ChangeTextsNeverShowNegativeZero) {
    EXPECT_EQ(FixedText(-0.0000001, 2), "0.00");
    EXPECT_EQ(FixedText(-0.004, 2), "0.00");
    EXPECT_EQ(FixedText(-0.006, 2), "-0.01");
    EXPECT_EQ(FixedText(12.345, 0), "12");
}

TEST(DayPath, OrderBookEmptiesOneSideAtTheDailyLimits) {
    const DayPath path(3, *FindStock(1, "600000"), 1234);
    EXPECT_NEAR(path.LimitUp(), std::round(path.PreviousClose() * 110) / 100, 1e-9);
    EXPECT_NEAR(path.LimitDown(), std::round(path.PreviousClose() * 90) / 100, 1e-9);
    const BookLevels up = path.Book(100, path.LimitUp());
    EXPECT_DOUBLE_EQ(up.bidPrice[0], path.LimitUp());
    for (int level = 0; level < 5; ++level) {
        EXPECT_EQ(up.askPrice[level], 0); // nobody sells at the upper limit
        EXPECT_EQ(up.askVolume[level], 0);
        EXPECT_GT(up.bidVolume[level], 0);
    }
    const BookLevels down = path.Book(100, path.LimitDown());
    EXPECT_DOUBLE_EQ(down.askPrice[0], path.LimitDown());
    for (int level = 0; level < 5; ++level) {
        EXPECT_EQ(down.bidPrice[level], 0); // nor buys at the lower one
        EXPECT_GT(down.askVolume[level], 0);
    }
    // Minute bars add up to the day: volume, and the last close is the latest price.
    const std::vector<MinuteBar> bars = path.BarsUntil(5000);
    ASSERT_EQ(bars.size(), 84u); // 83 whole minutes and the one in progress
    double volume = 0;
    for (const MinuteBar& bar : bars) {
        volume += bar.volume;
        EXPECT_GE(bar.high, std::max(bar.open, bar.close));
        EXPECT_LE(bar.low, std::min(bar.open, bar.close));
    }
    const DaySnapshot day = path.At(5000);
    EXPECT_DOUBLE_EQ(volume, day.volume);
    EXPECT_DOUBLE_EQ(bars.back().close, day.price);
    EXPECT_EQ(path.BarsUntil(4980).size(), 83u);
}
