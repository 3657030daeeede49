#include "ticker/TickerLayout.h"

namespace marlune {

bool IsStartPositionUsable(ScreenPoint stored, int width, const ScreenArea& area) {
    return !(stored.x + width + 10 >= area.workRight || stored.y <= 3);
}

ScreenPoint StartPosition(ScreenPoint stored, int width, int height, const ScreenArea& area) {
    if (IsStartPositionUsable(stored, width, area))
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
