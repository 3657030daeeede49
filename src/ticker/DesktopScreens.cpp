#include "ticker/DesktopScreens.h"

#include <QGuiApplication>
#include <QScreen>

namespace marlune {

ScreenArea ReadScreenArea() {
    ScreenArea area;
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return area;
    const QRect whole = screen->geometry();
    const QRect work = screen->availableGeometry();
    area.screenWidth = whole.width();
    area.screenHeight = whole.height();
    area.workRight = work.x() + work.width();
    area.workBottom = work.y() + work.height();
    return area;
}

std::vector<ScreenRect> ReadScreens(std::size_t& primary) {
    std::vector<ScreenRect> screens;
    primary = 0;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect work = screen->availableGeometry();
        if (screen == QGuiApplication::primaryScreen())
            primary = screens.size();
        screens.push_back({work.x(), work.y(), work.x() + work.width(), work.y() + work.height()});
    }
    return screens;
}

std::vector<DockRect> ReadDockScreens() {
    std::size_t primary = 0;
    std::vector<DockRect> rects;
    for (const ScreenRect& screen : ReadScreens(primary))
        rects.push_back({screen.left, screen.top, screen.right, screen.bottom});
    return rects;
}

} // namespace marlune
