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

} // namespace

ScreenPoint FitOnScreen(ScreenPoint topLeft, int width, int height, const std::vector<ScreenRect>& screens,
                        std::size_t primary) {
    if (screens.empty())
        return topLeft;
    std::size_t best = primary < screens.size() ? primary : 0;
    long long most = 0;
    for (std::size_t i = 0; i < screens.size(); ++i) {
        const long long overlap = Overlap(topLeft, width, height, screens[i]);
        if (overlap > most) {
            most = overlap;
            best = i;
        }
    }
    const ScreenRect& screen = screens[best];
    return {FitSpan(topLeft.x, width, screen.left, screen.right),
            FitSpan(topLeft.y, height, screen.top, screen.bottom)};
}

ScreenPoint StartPosition(ScreenPoint stored, int width, int height, const ScreenArea& area) {
    if (IsStartPositionUsable(stored, width, height, area))
        return stored;
    return {area.workRight - width - 20, area.workBottom - height - 50};
}

std::optional<ScreenPoint> ReplacePosition(int left, int top, int right, int bottom, int width, int height,
                                           const ScreenArea& area) {
    if (left <= 10 || top <= 10 || bottom >= area.screenHeight - 10 || right >= area.workRight - 10)
        return ScreenPoint{area.workRight - width - 20, area.workBottom - height - 20};
    return std::nullopt;
}

} // namespace marlune
