#pragma once
// The ticker window's geometry: its size from the column widths and the row count, where
// its parts sit, and the rules that bring a window placed off the work area back into view.

#include <array>
#include <cstddef>
#include <optional>
#include <vector>

namespace marlune {

// Widths of the 15 grid columns, in pixels.
constexpr std::array<int, 15> kTickerColumnWidths = {45, 60, 60, 60, 60, 60, 60, 40,
                                                     60, 60, 40, 60, 60, 60, 40};

constexpr int TickerWidth() {
    int sum = 26;
    for (int width : kTickerColumnWidths)
        sum += width;
    return sum;
}
constexpr int TickerHeight(int entryCount) {
    return 21 * entryCount + 86;
}

// Parts of the window, in window coordinates.
constexpr int kCaptionButtonSize = 17;
constexpr int kCaptionButtonY = 1;
constexpr int kCloseButtonX = 1;
constexpr int kHideButtonX = 18;
constexpr int kSetButtonX = 35;
constexpr int DataButtonX(int width) {
    return width - 36;
}
constexpr int FreshButtonX(int width) {
    return width - 19;
}
constexpr int kGridX = 5;
constexpr int kGridY = 20;
constexpr int GridWidth(int width) {
    return width - 10;
}
constexpr int kStatusX = 4;
constexpr int StatusY(int entryCount) {
    return 21 * entryCount + 62;
}
constexpr int StatusWidth(int width) {
    return width - 8;
}
constexpr int kStatusHeight = 20;

struct ScreenPoint {
    int x = 0;
    int y = 0;
    friend bool operator==(ScreenPoint a, ScreenPoint b) { return a.x == b.x && a.y == b.y; }
};

// The screen and its work area (the screen without panels). Right and bottom are one
// past the last pixel, so a 1920-pixel wide screen has right 1920.
struct ScreenArea {
    int screenWidth = 0;
    int screenHeight = 0;
    int workRight = 0;
    int workBottom = 0;
};

// One screen's work area in desktop coordinates (screens left of or above the primary one
// have negative ones); right and bottom are one past the last pixel.
struct ScreenRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// Where a width x height window at topLeft goes so that all of it is on one screen: on the
// screen that holds most of it (the primary one, index `primary`, when it is on none), moved
// in as little as it takes. A window larger than that screen keeps its left or top edge on it.
ScreenPoint FitOnScreen(ScreenPoint topLeft, int width, int height, const std::vector<ScreenRect>& screens,
                        std::size_t primary);

// The stored position when it is usable, or the lower right corner of the work area
// when the window would reach within 10 pixels of the work area's right edge or start
// in the top 3 pixels (where it would dock at once). A window wholly right of the work
// area or above the screen is on another screen and keeps its place. The caller fits the
// result on a screen and stores a corrected position.
ScreenPoint StartPosition(ScreenPoint stored, int width, int height, const ScreenArea& area);
bool IsStartPositionUsable(ScreenPoint stored, int width, int height, const ScreenArea& area);

// Where re-placing puts a width x height window at topLeft: nothing when all of it is on
// one screen's work area (wherever it is there, at an edge too), else the lower right
// corner of the screen holding most of it (the primary one, index `primary`, when it is
// on none), 20 pixels in from both edges, its left and top edges on that screen.
std::optional<ScreenPoint> RePlacedPosition(ScreenPoint topLeft, int width, int height,
                                            const std::vector<ScreenRect>& screens, std::size_t primary);

} // namespace marlune
