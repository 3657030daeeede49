// The quote detail popup: labels, values by meaning, sign colours, the part counts that are
// refused, and the chart (missing, corrupt, half written, valid, grey) scaled into its box.
#include "ticker/QuoteDetailPopup.h"

#include "ticker/MinuteChartSource.h"
#include "ticker/QuoteGrid.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <cstdlib>

using namespace marlune;

namespace {

const std::string kSummary = "600000,浦发银行,1,1,12.00,8.00,100,10.00";
// price, low, high, open, previous close, volume, amount, change rate, change, (spare),
// amplitude, P/L rate, P/L amount, date time
const std::string kRising =
    "10.50,9.80,10.60,10.00,10.00,12345,678.90,+5.00%,+0.50,,8.00%,5.00%,50.00,2024-05-06 15:00:00";
const std::string kFalling =
    "9.50,9.40,10.10,10.00,10.00,222,333.00,-5.00%,-0.50,,7.00%,-5.00%,-50.00,2024-05-07 15:00:00";

std::string WritePng(const QString& path, const QImage& image) {
    EXPECT_TRUE(image.save(path, "PNG"));
    return path.toStdString();
}

// A popup without a chart image asks for minute data; these tests start no download.
void KeepOffline(QuoteDetailPopup& popup) {
    popup.minuteSource().setStartJob([](const QuoteFetchJob&) { return true; });
}

QString Value(const QuoteDetailPopup& popup, int k) {
    return popup.grid().text(k / 3, 2 * (k % 3) + 1);
}

} // namespace

TEST(QuoteDetailPopup, SetsUpItsLabelsSizeAndColours) {
    QuoteDetailPopup popup;
    KeepOffline(popup);
    EXPECT_FALSE(popup.isVisible());
    EXPECT_EQ(popup.size(), QSize(430, 400));
    const QuoteGrid& grid = popup.grid();
    EXPECT_EQ(grid.rows(), 5);
    EXPECT_EQ(grid.cols(), 6);
    EXPECT_EQ(grid.fixedRows(), 0);
    EXPECT_EQ(grid.geometry(), QRect(0, 0, 430, 110));
    for (int c = 0; c < 6; ++c)
        EXPECT_EQ(grid.colWidth(c), 70);
    for (int r = 0; r < 5; ++r)
        EXPECT_EQ(grid.rowHeight(r), 20);
    const char* labels[] = {"代码",   "简称",   "当前价", "最低价", "最高价", "开盘价", "昨收盘",  "成交量",
                            "成交额", "涨跌率", "涨跌额", "振幅",   "收益率", "收益额", "数据日期"};
    for (int k = 0; k < 15; ++k)
        EXPECT_EQ(grid.text(k / 3, 2 * (k % 3)), QString::fromUtf8(labels[k])) << k;
    EXPECT_EQ(grid.backColor(), QColor(255, 255, 230));
    EXPECT_EQ(grid.backColorBkg(), QColor(255, 255, 230));
    EXPECT_EQ(grid.backColorSel(), QColor(0, 18, 255));
    EXPECT_EQ(grid.cellForeColor(0, 0), QColor(0, 0x99, 0)); // the cell current at set-up
    EXPECT_FALSE(popup.hasChart());
}

TEST(QuoteDetailPopup, FillsValuesByMeaningWithSignColours) {
    QuoteDetailPopup popup;
    KeepOffline(popup);
    ASSERT_TRUE(popup.Fill(kSummary, kRising, "/nonexistent/chart.dat"));
    const char* expected[] = {"600000", "浦发银行", "10.50", "9.80",   "10.60",
                              "10.00",  "10.00",    "12345", "678.90", "+5.00%",
                              "+0.50",  "8.00%",    "5.00%", "50.00",  "2024-05-06 15:00:00"};
    for (int k = 0; k < 15; ++k)
        EXPECT_EQ(Value(popup, k), QString::fromUtf8(expected[k])) << k;
    const QColor red(255, 0, 0), green(0, 0x99, 0);
    for (int k : {2, 9, 10})
        EXPECT_EQ(popup.grid().effectiveForeColor(k / 3, 2 * (k % 3) + 1), red) << k;
    EXPECT_EQ(popup.grid().effectiveForeColor(1, 1), QColor(Qt::black)); // no sign colour

    // A falling stock replaces every value and turns the sign colour green.
    ASSERT_TRUE(popup.Fill("000002,万科A,2,0,0.00,0.00,0,0.00", kFalling, ""));
    EXPECT_EQ(Value(popup, 0), "000002");
    EXPECT_EQ(Value(popup, 14), "2024-05-07 15:00:00");
    for (int k : {2, 9, 10})
        EXPECT_EQ(popup.grid().effectiveForeColor(k / 3, 2 * (k % 3) + 1), green) << k;

    // A change that starts with a digit is no rise either.
    std::string flat = kRising;
    flat.replace(flat.find("+0.50"), 5, "0.00");
    ASSERT_TRUE(popup.Fill(kSummary, flat, ""));
    EXPECT_EQ(popup.grid().effectiveForeColor(0, 5), green);
}

TEST(QuoteDetailPopup, RefusesTextsWithTooFewParts) {
    QuoteDetailPopup popup;
    KeepOffline(popup);
    ASSERT_TRUE(popup.Fill(kSummary, kRising, ""));
    // Summary of 7 parts, detail of 12 parts: nothing changes.
    EXPECT_FALSE(popup.Fill("1,2,3,4,5,6,7", kFalling, ""));
    EXPECT_FALSE(popup.Fill(kSummary, "a,b,c,d,e,f,g,h,i,j,k,l", ""));
    EXPECT_EQ(Value(popup, 0), "600000");
    EXPECT_EQ(Value(popup, 2), "10.50");
    // Exactly 8 and 13 parts fill; the missing date is left empty.
    ASSERT_TRUE(popup.Fill("1,2,3,4,5,6,7,8", "a,b,c,d,e,f,g,h,+i,j,k,l,m", ""));
    EXPECT_EQ(Value(popup, 0), "1");
    EXPECT_EQ(Value(popup, 10), "+i");
    EXPECT_EQ(Value(popup, 11), "k");
    EXPECT_EQ(Value(popup, 13), "m");
    EXPECT_EQ(Value(popup, 14), QString());
}

TEST(QuoteDetailPopup, ShowsNoChartForMissingCorruptOrHalfWrittenFiles) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QuoteDetailPopup popup;
    KeepOffline(popup);
    const std::string valid = WritePng(dir.filePath("valid.dat"), QImage(300, 200, QImage::Format_RGB32));
    ASSERT_TRUE(popup.Fill(kSummary, kRising, valid));
    ASSERT_TRUE(QTest::qWaitFor([&] { return popup.hasChart(); }, 5000));

    EXPECT_TRUE(popup.Fill(kSummary, kRising, dir.filePath("missing.dat").toStdString()));
    EXPECT_FALSE(popup.hasChart());
    QTest::qWait(50); // decoded meanwhile: still nothing to show
    EXPECT_FALSE(popup.hasChart());

    ASSERT_TRUE(popup.Fill(kSummary, kRising, valid));
    QFile garbage(dir.filePath("garbage.dat"));
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write("<html>not found</html>");
    garbage.close();
    EXPECT_TRUE(popup.Fill(kSummary, kRising, garbage.fileName().toStdString()));
    QTest::qWait(50);
    EXPECT_FALSE(popup.hasChart());

    QFile whole(QString::fromStdString(valid));
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    const QByteArray bytes = whole.readAll();
    QFile half(dir.filePath("half.dat"));
    ASSERT_TRUE(half.open(QIODevice::WriteOnly));
    half.write(bytes.left(bytes.size() / 2));
    half.close();
    ASSERT_TRUE(popup.Fill(kSummary, kRising, valid));
    EXPECT_TRUE(popup.Fill(kSummary, kRising, half.fileName().toStdString()));
    QTest::qWait(50);
    EXPECT_FALSE(popup.hasChart());
    // The popup still paints without chart: background below the grid.
    const QImage shot = popup.grab().toImage();
    EXPECT_EQ(shot.pixelColor(200, 250), QColor(255, 255, 230));
}

TEST(QuoteDetailPopup, ScalesTheChartIntoItsBoxAndDrawsItAt20_110) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QImage grey(400, 250, QImage::Format_Grayscale8);
    grey.fill(QColor(77, 77, 77));
    QuoteDetailPopup popup;
    KeepOffline(popup);
    ASSERT_TRUE(popup.Fill(kSummary, kRising, WritePng(dir.filePath("grey.dat"), grey)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return popup.hasChart(); }, 5000));
    EXPECT_EQ(popup.chart().size(), QSize(400, 250));
    // The box is 426 x 290, narrowed to 390 pixels, 20 from either side: factor 390 / 400.
    EXPECT_EQ(popup.scaledChart().size(), QSize(390, 244));
    EXPECT_EQ(popup.chartRect(), QRect(20, 110, 390, 244));
    const QImage shot = popup.grab().toImage();
    EXPECT_EQ(shot.pixelColor(25, 115), QColor(77, 77, 77)); // grey: blue = green = red
    EXPECT_EQ(shot.pixelColor(200, 300), QColor(77, 77, 77));
    EXPECT_EQ(shot.pixelColor(10, 200), QColor(255, 255, 230));  // left of the chart
    EXPECT_EQ(shot.pixelColor(200, 380), QColor(255, 255, 230)); // below it
    EXPECT_EQ(shot.pixelColor(415, 200), QColor(255, 255, 230)); // right of it

    // A coloured chart keeps its colours; a tall one is bounded by the box height.
    QImage tall(100, 580, QImage::Format_RGB32);
    tall.fill(QColor(200, 30, 40));
    ASSERT_TRUE(popup.Fill(kSummary, kRising, WritePng(dir.filePath("tall.dat"), tall)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return popup.scaledChart().size() == QSize(50, 290); }, 5000));
    EXPECT_EQ(popup.grab().toImage().pixelColor(40, 200), QColor(200, 30, 40));
}

TEST(QuoteDetailPopup, ADelayedQuoteSaysSoAboveTheChart) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QImage grey(400, 250, QImage::Format_Grayscale8);
    grey.fill(QColor(77, 77, 77));
    const std::string chart = WritePng(dir.filePath("grey.dat"), grey);
    QuoteDetailPopup popup;
    KeepOffline(popup);
    const QRect note = popup.delayedNote().geometry();
    // In the middle of the chart box's top, clear of the grid.
    EXPECT_EQ(note.top(), 110);
    EXPECT_NEAR(note.center().x(), 20 + 50 + (390 - 50 - 46) / 2, 1);
    const auto notePixels = [&popup, &note] {
        const QImage shot = popup.grab().toImage();
        int count = 0;
        for (int y = note.top(); y <= note.bottom(); ++y) {
            for (int x = note.left(); x <= note.right(); ++x) {
                const QColor c = shot.pixelColor(x, y);
                count += c.blue() > c.red() + 60; // the note's blue, neither grey nor pale
            }
        }
        return count;
    };

    ASSERT_TRUE(popup.Fill(kSummary, kRising, chart, true));
    ASSERT_TRUE(QTest::qWaitFor([&] { return popup.hasChart(); }, 5000));
    EXPECT_TRUE(popup.delayedNote().isVisibleTo(&popup));
    EXPECT_EQ(popup.delayedNote().text(), "延时行情");
    EXPECT_GT(notePixels(), 20);
    const QImage shot = popup.grab().toImage();
    EXPECT_EQ(shot.pixelColor(note.left() + 1, note.top() + 1), QColor(255, 255, 230)); // its own ground
    EXPECT_EQ(shot.pixelColor(25, 115), QColor(77, 77, 77));                            // the chart beside it
    if (const char* keep = std::getenv("MARLUNE_KEEP_SHOTS"))
        shot.save(QString::fromUtf8(keep) + QStringLiteral("/delayed-popup.png"));

    // The next fill of a real-time quote shows no note, also over the drawn chart.
    ASSERT_TRUE(popup.Fill(kSummary, kFalling, chart));
    EXPECT_FALSE(popup.delayedNote().isVisibleTo(&popup));
    EXPECT_EQ(notePixels(), 0);
    ASSERT_TRUE(popup.Fill(kSummary, kFalling, dir.filePath("missing.dat").toStdString(), true));
    EXPECT_TRUE(popup.delayedNote().isVisibleTo(&popup));
    EXPECT_GT(notePixels(), 20);
    if (const char* keep = std::getenv("MARLUNE_KEEP_SHOTS"))
        popup.grab().save(QString::fromUtf8(keep) + QStringLiteral("/delayed-popup-drawn.png"));
}
