// Colour key on Windows: a layered window whose pixels in the key colour are
// see-through (SetLayeredWindowAttributes with LWA_COLORKEY). The system applies the
// key to whatever is painted, so nothing needs refreshing after a repaint.
#if defined(_WIN32)

#include "platform/WindowPlatform.h"

#include <QVariant>
#include <QWidget>
#include <windows.h>

namespace marlune::platform {

namespace {
constexpr char kKeyProperty[] = "marluneColorKey";

HWND WindowHandle(const QWidget* window) {
    return reinterpret_cast<HWND>(window->winId());
}
} // namespace

bool SetColorKey(QWidget* window, QColor key) {
    const HWND hwnd = WindowHandle(window);
    SetWindowLongPtrW(hwnd, GWL_EXSTYLE, GetWindowLongPtrW(hwnd, GWL_EXSTYLE) | WS_EX_LAYERED);
    if (!SetLayeredWindowAttributes(hwnd, RGB(key.red(), key.green(), key.blue()), 0, LWA_COLORKEY))
        return false;
    window->setProperty(kKeyProperty, key);
    return true;
}

void ClearColorKey(QWidget* window) {
    const HWND hwnd = WindowHandle(window);
    SetWindowLongPtrW(hwnd, GWL_EXSTYLE, GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & ~WS_EX_LAYERED);
    RedrawWindow(hwnd, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN);
    window->setProperty(kKeyProperty, QVariant());
}

bool HasColorKey(const QWidget* window) {
    return window->property(kKeyProperty).isValid();
}

void RefreshColorKey(QWidget*) {}

// A layered window's colour key needs no alpha channel.
void PrepareColorKeyAlpha(QWidget*) {}

bool UpdateColorKeyMode(QWidget*) {
    return false;
}

bool ColorKeyUsesAlpha(const QWidget*) {
    return false;
}

QColor ColorKeyFill(const QWidget*, QColor key) {
    return key;
}

void SetCompositorProbe(std::function<bool()>) {}

} // namespace marlune::platform

#endif
