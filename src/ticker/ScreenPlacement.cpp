#include "ticker/ScreenPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace marlune {

QScreen* ScreenOfWindow(const QWidget* window) {
    if (window != nullptr && window->isVisible()) {
        const QWidget* top = window->window();
        if (QScreen* screen = QGuiApplication::screenAt(top->frameGeometry().center()))
            return screen;
    }
    return QGuiApplication::primaryScreen();
}

QPoint CentredOnScreen(const QSize& size, const QRect& screen, const QRect& workArea) {
    const int right = workArea.x() + workArea.width();
    const int bottom = workArea.y() + workArea.height();
    return {(screen.x() + right - size.width()) / 2, (screen.y() + bottom - size.height()) / 2};
}

QPoint CentredOnScreenOf(const QWidget* anchor, const QSize& size) {
    const QScreen* screen = ScreenOfWindow(anchor);
    if (screen == nullptr)
        return {};
    return CentredOnScreen(size, screen->geometry(), screen->availableGeometry());
}

} // namespace marlune
