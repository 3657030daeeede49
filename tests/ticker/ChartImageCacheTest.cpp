// The chart images of the detail popup: each file decoded off the GUI thread, once when
// first shown and once after each download, never on a hover.

#include "ticker/ChartImageCache.h"
#include "ticker/QuoteDetailPopup.h"

#include <QImage>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>

using namespace marlune;

namespace {

const std::string kSummary = "600000,浦发银行,1,1,12.00,8.00,100,10.00";
const std::string kDetail =
    "10.50,9.80,10.60,10.00,10.00,12345,678.90,+5.00%,+0.50,,8.00%,5.00%,50.00,2024-05-06 15:00:00";

std::string WriteChart(const QTemporaryDir& dir, const QString& name, QColor colour) {
    QImage image(120, 80, QImage::Format_RGB32);
    image.fill(colour);
    const QString path = dir.filePath(name);
    EXPECT_TRUE(image.save(path, "PNG"));
    return path.toStdString();
}

// Counts the decodings and notes the threads they ran on.
struct CountingDecoder {
    std::atomic<int> calls{0};
    std::atomic<bool> onGuiThread{false};
    std::thread::id guiThread = std::this_thread::get_id();

    ChartImageCache::Decoder decoder() {
        return [this](const std::string& path) {
            ++calls;
            if (std::this_thread::get_id() == guiThread)
                onGuiThread = true;
            return LoadChartImage(path);
        };
    }
};

} // namespace

TEST(ChartImageCache, DecodesAFileOnceOffTheGuiThreadAndAgainAfterItsDownload) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string path = WriteChart(dir, "sh600000.dat", QColor(10, 20, 30));
    CountingDecoder counting;
    ChartImageCache cache;
    cache.setDecoder(counting.decoder());
    QSignalSpy changed(&cache, &ChartImageCache::imageChanged);

    EXPECT_TRUE(cache.Image(path).isNull()) << "the first ask only starts the decoding";
    ASSERT_TRUE(QTest::qWaitFor([&] { return !cache.Image(path).isNull(); }, 5000));
    EXPECT_EQ(cache.Image(path).pixelColor(5, 5), QColor(10, 20, 30));
    EXPECT_EQ(changed.count(), 1);
    for (int i = 0; i < 20; ++i)
        cache.Image(path);
    EXPECT_EQ(counting.calls.load(), 1);

    // A download replaced the file: decoded again, once, and shown in its new colour.
    WriteChart(dir, "sh600000.dat", QColor(200, 100, 0));
    cache.FileDownloaded(path);
    EXPECT_TRUE(cache.IsDecoding(path));
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return cache.Image(path).pixelColor(5, 5) == QColor(200, 100, 0); }, 5000));
    EXPECT_EQ(counting.calls.load(), 2);
    // Files nobody looked at are not decoded when they arrive.
    cache.FileDownloaded(WriteChart(dir, "sz000001.dat", Qt::red));
    // A failed download leaves no file and no image.
    cache.FileGone(path);
    EXPECT_TRUE(cache.Image(path).isNull());
    QTest::qWait(50);
    EXPECT_EQ(counting.calls.load(), 2);
    EXPECT_FALSE(counting.onGuiThread.load());
}

TEST(ChartImageCache, HoveringRowsOfThePopupOnlyLooksImagesUp) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string first = WriteChart(dir, "sh600000.dat", Qt::darkCyan);
    const std::string second = WriteChart(dir, "sz000001.dat", Qt::darkRed);
    CountingDecoder counting;
    QuoteDetailPopup popup;
    popup.chartImages().setDecoder(counting.decoder());

    ASSERT_TRUE(popup.Fill(kSummary, kDetail, first));
    ASSERT_TRUE(QTest::qWaitFor([&] { return popup.hasChart(); }, 5000)); // shown as soon as it is decoded
    EXPECT_EQ(popup.chart().pixelColor(1, 1), QColor(Qt::darkCyan));
    for (int hover = 0; hover < 10; ++hover) {
        ASSERT_TRUE(popup.Fill(kSummary, kDetail, hover % 2 == 0 ? second : first));
        QTest::qWait(5);
    }
    EXPECT_EQ(counting.calls.load(), 2);
    ASSERT_TRUE(popup.Fill(kSummary, kDetail, second));
    ASSERT_TRUE(QTest::qWaitFor([&] { return popup.chart().pixelColor(1, 1) == QColor(Qt::darkRed); }, 5000));

    // The chart on show is replaced when its download brings a new one.
    WriteChart(dir, "sz000001.dat", Qt::yellow);
    popup.chartImages().FileDownloaded(second);
    ASSERT_TRUE(QTest::qWaitFor([&] { return popup.chart().pixelColor(1, 1) == QColor(Qt::yellow); }, 5000));
    EXPECT_EQ(counting.calls.load(), 3);
    EXPECT_FALSE(counting.onGuiThread.load());
}
