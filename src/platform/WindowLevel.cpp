// Window levels through Qt's stacking hints, which every window system we run on
// honours: on X11 they become _NET_WM_STATE_ABOVE / _BELOW, on Windows HWND_TOPMOST /
// HWND_BOTTOM.
#include "platform/WindowPlatform.h"

#include <QVariant>
#include <QWidget>

namespace marlune::platform {

namespace {
constexpr char kLevelProperty[] = "marluneWindowLevel";
}

void SetWindowLevel(QWidget* window, WindowLevel level) {
    Qt::WindowFlags flags = window->windowFlags() & ~(Qt::WindowStaysOnTopHint | Qt::WindowStaysOnBottomHint);
    if (level == WindowLevel::TopMost)
        flags |= Qt::WindowStaysOnTopHint;
    else if (level == WindowLevel::Desktop)
        flags |= Qt::WindowStaysOnBottomHint;
    window->setProperty(kLevelProperty, static_cast<int>(level));
    if (flags != window->windowFlags())
        window->setWindowFlags(flags);
}

WindowLevel CurrentWindowLevel(const QWidget* window) {
    const QVariant stored = window->property(kLevelProperty);
    if (stored.isValid())
        return static_cast<WindowLevel>(stored.toInt());
    if (window->windowFlags() & Qt::WindowStaysOnTopHint)
        return WindowLevel::TopMost;
    if (window->windowFlags() & Qt::WindowStaysOnBottomHint)
        return WindowLevel::Desktop;
    return WindowLevel::Normal;
}

} // namespace marlune::platform
