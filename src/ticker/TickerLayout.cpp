#include "ticker/TickerLayout.h"

#include <algorithm>

namespace marlune {

bool IsStartPositionUsable(ScreenPoint stored, int width, int height, const ScreenArea& area) {
    const bool atRightEdge = stored.x < area.workRight && stored.x + width + 10 >= area.workRight;
    const bool atTop = stored.y <= 3 && stored.y + height > 0;
    return !(atRightEdge || atTop);
}

namespace {

long long Overlap(ScreenPoint topLeft, int width, int height, const ScreenRect& screen) {
    const long long w = std::min(topLeft.x + width, screen.right) - std::max(topLeft.x, screen.left);
    const long long h = std::min(topLeft.y + height, screen.bottom) - std::max(topLeft.y, screen.top);
    return w > 0 && h > 0 ? w * h : 0;
}

// The start of a window of the length on the span: moved in as little as it takes, its
// start on the span when it is longer.
int FitSpan(int start, int length, int low, int high) {
    return std::max(low, std::min(start, high - length));
}

// The screen holding most of the window; the primary one when it is on none.
const ScreenRect& ScreenHoldingMost(ScreenPoint topLeft, int width, int height,
                                    const std::vector<ScreenRect>& screens, std::size_t primary) {
    std::size_t best = primary < screens.size() ? primary : 0;
    long long most = 0;
    for (std::size_t i = 0; i < screens.size(); ++i) {
        const long long overlap = Overlap(topLeft, width, height, screens[i]);
        if (overlap > most) {
            most = overlap;
            best = i;
        }
    }
    return screens[best];
}

bool WhollyOn(ScreenPoint topLeft, int width, int height, const ScreenRect& screen) {
    return topLeft.x >= screen.left && topLeft.y >= screen.top && topLeft.x + width <= screen.right &&
           topLeft.y + height <= screen.bottom;
}

} // namespace

ScreenPoint FitOnScreen(ScreenPoint topLeft, int width, int height, const std::vector<ScreenRect>& screens,
                        std::size_t primary) {
    if (screens.empty())
        return topLeft;
    const ScreenRect& screen = ScreenHoldingMost(topLeft, width, height, screens, primary);
    return {FitSpan(topLeft.x, width, screen.left, screen.right),
            FitSpan(topLeft.y, height, screen.top, screen.bottom)};
}

ScreenPoint StartPosition(ScreenPoint stored, int width, int height, const ScreenArea& area) {
    if (IsStartPositionUsable(stored, width, height, area))
        return stored;
    return {area.workRight - width - 20, area.workBottom - height - 50};
}

std::optional<ScreenPoint> RePlacedPosition(ScreenPoint topLeft, int width, int height,
                                            const std::vector<ScreenRect>& screens, std::size_t primary) {
    if (screens.empty())
        return std::nullopt;
    for (const ScreenRect& screen : screens)
        if (WhollyOn(topLeft, width, height, screen))
            return std::nullopt;
    const ScreenRect& screen = ScreenHoldingMost(topLeft, width, height, screens, primary);
    return ScreenPoint{FitSpan(screen.right - width - 20, width, screen.left, screen.right),
                       FitSpan(screen.bottom - height - 20, height, screen.top, screen.bottom)};
}

} // namespace marlune
