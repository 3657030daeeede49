// Window geometry and refresh periods as plain rules.
#include "ticker/TickerLayout.h"
#include "ticker/ScreenPlacement.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace marlune {
namespace {

constexpr ScreenArea kFullHd{1920, 1080, 1920, 1040};

TEST(TickerLayout, StartPositionRule) {
    // Usable: right edge more than 10 pixels inside the work area, top below 3.
    EXPECT_EQ(StartPosition({100, 400}, 851, 128, kFullHd), (ScreenPoint{100, 400}));
    EXPECT_EQ(StartPosition({1920 - 851 - 11, 4}, 851, 128, kFullHd), (ScreenPoint{1920 - 851 - 11, 4}));
    const ScreenPoint corner{1920 - 851 - 20, 1040 - 128 - 50};
    EXPECT_EQ(StartPosition({1920 - 851 - 10, 400}, 851, 128, kFullHd), corner);
    EXPECT_EQ(StartPosition({100, 3}, 851, 128, kFullHd), corner);
    EXPECT_EQ(StartPosition({0, 0}, 851, 128, kFullHd), corner); // a missing base.ini
}

TEST(TickerLayout, TheWholeWindowGoesOnTheScreenHoldingMostOfIt) {
    const std::vector<ScreenRect> one = {{0, 0, 1920, 1040}};
    // 20 rows stored at y=862: the bottom rows and the total line come back onto the screen.
    EXPECT_EQ(FitOnScreen({100, 862}, 851, TickerHeight(20), one, 0),
              (ScreenPoint{100, 1040 - TickerHeight(20)}));
    // Off the left and the bottom; a window already whole stays put.
    EXPECT_EQ(FitOnScreen({-300, 1000}, 851, 128, one, 0), (ScreenPoint{0, 1040 - 128}));
    EXPECT_EQ(FitOnScreen({500, 500}, 851, 128, one, 0), (ScreenPoint{500, 500}));
    // Wider than the screen: its left edge stays on it.
    EXPECT_EQ(FitOnScreen({-71, 300}, 851, 128, {{0, 0, 800, 800}}, 0), (ScreenPoint{0, 300}));

    // A second screen left of the primary one, at negative coordinates.
    const std::vector<ScreenRect> two = {{0, 0, 1920, 1040}, {-1280, 0, 0, 1024}};
    EXPECT_EQ(FitOnScreen({-1000, 900}, 851, 170, two, 0), (ScreenPoint{-1000, 1024 - 170}));
    EXPECT_EQ(FitOnScreen({-600, 300}, 851, 170, two, 0), (ScreenPoint{-851, 300})); // mostly on the left one
    EXPECT_EQ(FitOnScreen({-200, 300}, 851, 170, two, 0), (ScreenPoint{0, 300}));    // mostly on the primary
    // On no screen at all: the primary one.
    EXPECT_EQ(FitOnScreen({5000, 5000}, 851, 170, two, 0), (ScreenPoint{1920 - 851, 1040 - 170}));
    EXPECT_EQ(FitOnScreen({5000, 5000}, 851, 170, two, 1), (ScreenPoint{-851, 1024 - 170}));

    // Stored on a screen right of or above the primary one: not the docking zone, kept.
    EXPECT_EQ(StartPosition({2000, 400}, 851, 128, kFullHd), (ScreenPoint{2000, 400}));
    EXPECT_EQ(StartPosition({100, -500}, 851, 128, kFullHd), (ScreenPoint{100, -500}));
}

TEST(TickerLayout, ReplacingLeavesAWindowThatIsAllOnAScreen) {
    const std::vector<ScreenRect> two = {{0, 0, 1920, 1040}, {1920, 0, 3840, 1080}};
    // Anywhere wholly on one monitor, its edges included (where a drag fits or docks it).
    EXPECT_FALSE(RePlacedPosition({0, 300}, 851, 128, two, 0));
    EXPECT_FALSE(RePlacedPosition({300, 0}, 851, 128, two, 0));
    EXPECT_FALSE(RePlacedPosition({1920 - 851, 1040 - 128}, 851, 128, two, 0));
    EXPECT_FALSE(RePlacedPosition({3840 - 851, 11}, 851, 128, two, 0));
    EXPECT_FALSE(RePlacedPosition({1920, 0}, 851, 128, two, 0));
    // Partly off the desktop (slid out at an edge) or across two monitors: the lower right
    // corner of the monitor holding most of it.
    const ScreenPoint rightCorner{3840 - 851 - 20, 1080 - 128 - 20};
    EXPECT_EQ(RePlacedPosition({3840 - 2, 300}, 851, 128, two, 0), rightCorner);
    EXPECT_EQ(RePlacedPosition({1920 - 100, 300}, 851, 128, two, 0), rightCorner);
    EXPECT_EQ(RePlacedPosition({1920 - 800, 300}, 851, 128, two, 0),
              (ScreenPoint{1920 - 851 - 20, 1040 - 128 - 20}));
    EXPECT_EQ(RePlacedPosition({500, 3 - 128}, 851, 128, two, 0),
              (ScreenPoint{1920 - 851 - 20, 1040 - 128 - 20}));
    // On no monitor: the primary one. Larger than its monitor: left and top edges on it.
    EXPECT_EQ(RePlacedPosition({9000, 300}, 851, 128, two, 1), rightCorner);
    EXPECT_EQ(RePlacedPosition({3, 300}, 851, 128, {{0, 0, 800, 600}}, 0), (ScreenPoint{0, 600 - 128 - 20}));
}

TEST(ScreenPlacement, DialogsCentreOnTheirOwnMonitor) {
    // The primary monitor with a panel at its bottom: (work-area right - width) / 2.
    EXPECT_EQ(CentredOnScreen({400, 300}, {0, 0, 1920, 1080}, {0, 0, 1920, 1040}), QPoint(760, 370));
    // A left panel keeps the program's old place on the primary monitor.
    EXPECT_EQ(CentredOnScreen({480, 400}, {0, 0, 1920, 1080}, {60, 0, 1860, 1080}), QPoint(720, 340));
    // The right monitor of two: the middle of that monitor, not the boundary.
    EXPECT_EQ(CentredOnScreen({400, 300}, {1920, 0, 1920, 1080}, {1920, 0, 1920, 1080}), QPoint(2680, 390));
    // A monitor above the primary one.
    EXPECT_EQ(CentredOnScreen({400, 300}, {0, -1080, 1920, 1080}, {0, -1080, 1920, 1080}), QPoint(760, -690));
}

} // namespace
} // namespace marlune
