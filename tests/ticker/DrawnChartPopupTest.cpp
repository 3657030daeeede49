// The detail popup draws the intraday chart itself when the stock's chart image is missing:
// from the simulated market's minute data, and never with another stock's data.
#include "net/ServiceEndpoints.h"
#include "sim/SimServer.h"
#include "text/CNumber.h"
#include "ticker/IntradayChartView.h"
#include "ticker/MinuteChartSource.h"
#include "ticker/QuoteDetailPopup.h"

#include <QImage>
#include <QPixmap>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <cstdlib>

using namespace marlune;

namespace {

constexpr std::int64_t kMorningSession = 1765161000; // 10:30 Beijing time on a Monday
const QColor kUp(0xff, 0, 0);
const QColor kDown(0, 0x99, 0);

// The summary and detail texts the grid gives the popup for a stock at a previous close.
std::string Summary(const std::string& code, int market) {
    return code + ",name," + std::to_string(market) + ",0,0.00,0.00,0,0.00";
}
std::string Detail(double previousClose) {
    const std::string close = Format("%.2f", previousClose);
    return close + "," + close + "," + close + "," + close + "," + close + ",1,1,0.00%,0.00,,0.00%,,,";
}

// Pixels of the drawn chart's box in the user's rising or falling colour.
int SideColouredPixels(QuoteDetailPopup& popup) {
    const QImage image = popup.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRect box(QPoint(QuoteDetailPopup::kChartLeft, QuoteDetailPopup::kChartTop),
                    QuoteDetailPopup::ChartBox(popup.size()));
    int count = 0;
    for (int y = box.top(); y <= box.bottom(); ++y)
        for (int x = box.left(); x <= box.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            count += c == kUp || c == kDown;
        }
    return count;
}

std::string MinuteJson(const std::string& symbol, const std::string& rows) {
    return R"({"code":0,"data":{")" + symbol + R"(":{"data":{"data":[)" + rows + R"(],"date":"20260630"}}}})";
}

FetchReport Finished(const std::string& url, std::string reply) {
    FetchReport report;
    report.status = kFetchFinished;
    report.jobKind = kJobSideDownload;
    report.url = url;
    report.reply = std::move(reply);
    return report;
}

} // namespace

TEST(DrawnChartPopup, DrawsTheChartFromTheMarketsMinuteDataWhenTheImageIsMissing) {
    sim::SimOptions options;
    options.clock = [] { return kMorningSession; };
    sim::SimServer sim(options);
    ASSERT_GT(sim.Start(), 0);
    ASSERT_TRUE(PointAllServicesAt(sim.BaseUrl()));
    const sim::SimQuote quote = sim.market().QuoteAt(*sim::FindStock(1, "600519"), kMorningSession);

    {
        QuoteDetailPopup popup;
        popup.SetChartColors(kUp, kDown);
        ASSERT_TRUE(
            popup.Fill(Summary("600519", 1), Detail(quote.previousClose), "/nonexistent/sh600519.dat"));
        const IntradayChartView& drawn = popup.drawnChart();
        // Once the file is found to be no chart, the drawn chart takes its box.
        QTRY_VERIFY_WITH_TIMEOUT(!drawn.isHidden(), 5000);
        EXPECT_FALSE(popup.hasChart());
        EXPECT_EQ(drawn.geometry(), QRect(20, 110, 390, 290));
        QTRY_COMPARE_WITH_TIMEOUT(drawn.state(), IntradayChartView::State::kChart, 10000);
        EXPECT_GT(SideColouredPixels(popup), 50);
        const IntradayChartModel model = drawn.Model();
        EXPECT_NEAR(model.previousClose(), quote.previousClose, 0.006);
        ASSERT_FALSE(model.priceLines().empty());
        // The line ends at the market's price at 10:30, a quarter of the way along.
        const QPointF last = model.priceLines().back().points.back();
        EXPECT_NEAR(last.y(), model.PriceY(quote.price), 0.01);
        EXPECT_NEAR(last.x(), model.SlotX(60), 0.01);
        if (quote.price != quote.previousClose) {
            EXPECT_EQ(model.priceLines().back().color, quote.price > quote.previousClose ? kUp : kDown);
        }
        // The note of a delayed quote hides nothing of the drawn chart.
        const int coloured = SideColouredPixels(popup);
        ASSERT_TRUE(
            popup.Fill(Summary("600519", 1), Detail(quote.previousClose), "/nonexistent/sh600519.dat", true));
        QTRY_COMPARE_WITH_TIMEOUT(drawn.state(), IntradayChartView::State::kChart, 10000);
        EXPECT_EQ(SideColouredPixels(popup), coloured);
        if (const char* keep = std::getenv("MARLUNE_KEEP_SHOTS"))
            popup.grab().save(QString::fromUtf8(keep) + QStringLiteral("/delayed-popup-chart.png"));

        // The image path failing at the market (here: the file never written) keeps the
        // drawn chart; the minute path failing too gives the short text, not a chart.
        sim::Fault broken;
        broken.status = 500;
        sim.SetFault("/appstock/", broken);
        ASSERT_TRUE(popup.Fill(Summary("000002", 2), Detail(10), ""));
        QTRY_COMPARE_WITH_TIMEOUT(drawn.state(), IntradayChartView::State::kFailed, 10000);
        EXPECT_EQ(drawn.stateText(), QString::fromUtf8("分时数据获取失败"));
        EXPECT_EQ(SideColouredPixels(popup), 0);

        // Back to the first stock: its day is still at hand and shows at once.
        const std::size_t requests = sim.Requests().size();
        ASSERT_TRUE(popup.Fill(Summary("600519", 1), Detail(quote.previousClose), ""));
        EXPECT_EQ(drawn.state(), IntradayChartView::State::kChart);
        EXPECT_EQ(sim.Requests().size(), requests);
    }
    RestoreDefaultServices();
}

TEST(DrawnChartPopup, NeverShowsAnotherStocksChart) {
    QuoteDetailPopup popup;
    popup.SetChartColors(kUp, kDown);
    std::vector<QuoteFetchJob> jobs;
    popup.minuteSource().setStartJob([&](const QuoteFetchJob& job) {
        jobs.push_back(job);
        return true;
    });
    auto now = std::chrono::steady_clock::time_point{} + std::chrono::hours(1);
    popup.minuteSource().setClock([&] { return now; });
    const IntradayChartView& drawn = popup.drawnChart();

    ASSERT_TRUE(popup.Fill(Summary("600000", 1), Detail(10), ""));
    ASSERT_TRUE(popup.Fill(Summary("000001", 2), Detail(10), ""));
    ASSERT_EQ(jobs.size(), 2u);
    EXPECT_EQ(drawn.symbol(), "sz000001");

    // The first stock's day arrives after the popup moved on: it is kept, not shown.
    const std::string rows =
        R"("0930 10.00 100 100000.00","0931 10.50 200 205000.00","0932 9.60 300 301000.00")";
    popup.minuteSource().HandleReport(Finished(jobs[0].url, MinuteJson("sh600000", rows)));
    EXPECT_EQ(drawn.state(), IntradayChartView::State::kLoading);
    EXPECT_EQ(SideColouredPixels(popup), 0);

    // A reply for the second stock that carries another stock's day is a failure.
    popup.minuteSource().HandleReport(Finished(jobs[1].url, MinuteJson("sh600000", rows)));
    EXPECT_EQ(drawn.state(), IntradayChartView::State::kFailed);
    EXPECT_EQ(SideColouredPixels(popup), 0);

    // The first stock again: its own day, at once, without asking again.
    ASSERT_TRUE(popup.Fill(Summary("600000", 1), Detail(10), ""));
    EXPECT_EQ(drawn.state(), IntradayChartView::State::kChart);
    EXPECT_GT(SideColouredPixels(popup), 20);
    EXPECT_EQ(jobs.size(), 2u);

    // A minute later it is asked for again; meanwhile the day at hand stays on screen.
    now += std::chrono::seconds(61);
    ASSERT_TRUE(popup.Fill(Summary("600000", 1), Detail(10), ""));
    EXPECT_EQ(jobs.size(), 3u);
    EXPECT_EQ(drawn.state(), IntradayChartView::State::kChart);

    // A stock whose image loads shows the image and no drawn chart.
    QTemporaryDir dir;
    QImage image(100, 50, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    ASSERT_TRUE(image.save(dir.filePath("sz000002.dat"), "PNG"));
    ASSERT_TRUE(popup.Fill(Summary("000002", 2), Detail(10), dir.filePath("sz000002.dat").toStdString()));
    EXPECT_TRUE(drawn.isHidden()) << "nothing drawn while the image is decoded";
    QTRY_VERIFY_WITH_TIMEOUT(popup.hasChart(), 5000);
    EXPECT_TRUE(drawn.isHidden());
    EXPECT_EQ(jobs.size(), 3u);

    // A stock of no known market cannot be asked for: the short text at once.
    ASSERT_TRUE(popup.Fill(Summary("000003", 0), Detail(10), ""));
    EXPECT_EQ(drawn.state(), IntradayChartView::State::kFailed);
    EXPECT_EQ(jobs.size(), 3u);
}

TEST(DrawnChartPopup, APopupLeftOpenFollowsTheDay) {
    QuoteDetailPopup popup;
    std::vector<QuoteFetchJob> jobs;
    popup.minuteSource().setStartJob([&](const QuoteFetchJob& job) {
        jobs.push_back(job);
        return true;
    });
    auto now = std::chrono::steady_clock::time_point{} + std::chrono::hours(1);
    popup.minuteSource().setClock([&] { return now; });
    popup.drawnChart().setRefreshInterval(20);

    ASSERT_TRUE(popup.Fill(Summary("600000", 1), Detail(10), ""));
    popup.show();
    ASSERT_EQ(jobs.size(), 1u);
    popup.minuteSource().HandleReport(
        Finished(jobs[0].url, MinuteJson("sh600000", R"("0930 10.00 100 100000.00")")));
    QTest::qWait(100);
    EXPECT_EQ(jobs.size(), 1u) << "a fresh day is not asked for again";
    now += std::chrono::seconds(61);
    QTRY_COMPARE_WITH_TIMEOUT(jobs.size(), std::size_t(2), 5000);
    popup.minuteSource().HandleReport(
        Finished(jobs[1].url, MinuteJson("sh600000", R"("0930 10.00 100 100000.00")")));

    // Hidden, it asks for nothing.
    popup.hide();
    now += std::chrono::seconds(61);
    QTest::qWait(100);
    EXPECT_EQ(jobs.size(), 2u);
}
