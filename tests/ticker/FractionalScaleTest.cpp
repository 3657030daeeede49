// The ticker window as the screen shows it at the scale the environment asks for (ctest runs
// these tests once more at QT_SCALE_FACTOR=1.25): the caption buttons leave no seams.
#include "config/FirstRun.h"
#include "config/ProgramFolder.h"
#include "ticker/HoverButton.h"
#include "ticker/TickerLayout.h"
#include "ticker/TickerWindow.h"

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace marlune {
namespace {

class FractionalScale : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        SetProgramFolder(m_dir.path().toStdString());
        ASSERT_TRUE(CreateFirstRunFiles());
    }
    void TearDown() override { SetProgramFolder(""); }
    QTemporaryDir m_dir;
};

// A device pixel that nothing painted: left transparent in the grab, black on a screen. The
// caption strip has no colour that dark.
bool IsUnpainted(QRgb pixel) {
    return qAlpha(pixel) < 255 || (qRed(pixel) < 16 && qGreen(pixel) < 16 && qBlue(pixel) < 16);
}

TEST_F(FractionalScale, CaptionButtonsLeaveNoSeams) {
    TickerWindow::JobsAndClocks jobsAndClocks;
    jobsAndClocks.startJob = [](const QuoteFetchJob&) {};
    TickerWindow window(nullptr, jobsAndClocks);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QTest::qWait(50);
    // The window's pixels as it paints them, one image pixel per device pixel.
    const QImage shown = window.grab().toImage();
    const double scale = window.devicePixelRatio();
    ASSERT_NEAR(shown.width(), window.width() * scale, 1.0);

    // The device pixels from one pixel left of the first button to one right of the last,
    // and from one above them to one below: every one of them painted, also those that a
    // button's edge covers only in part.
    const int left = static_cast<int>(std::floor(kCloseButtonX * scale)) - 1;
    const int right = static_cast<int>(std::ceil((kSetButtonX + kCaptionButtonSize) * scale));
    const int top = std::max(static_cast<int>(std::floor(kCaptionButtonY * scale)) - 1, 0);
    const int bottom = static_cast<int>(std::ceil((kCaptionButtonY + kCaptionButtonSize) * scale));
    int unpainted = 0;
    for (int x = left; x <= right; ++x)
        for (int y = top; y <= bottom; ++y)
            if (IsUnpainted(shown.pixel(x, y)))
                ++unpainted;
    EXPECT_EQ(unpainted, 0) << "unpainted pixels beside the caption buttons at scale " << scale;
}

} // namespace
} // namespace marlune
