// Colour key on Windows: a layered window whose pixels in the key colour are
// see-through (SetLayeredWindowAttributes with LWA_COLORKEY). The system applies the
// key to whatever is painted, so a repaint needs nothing; only the layered style must
// stay on the window.
#if defined(_WIN32)

#include "platform/WindowPlatform.h"

#include <QEvent>
#include <QObject>
#include <QVariant>
#include <QWidget>
#include <windows.h>

namespace marlune::platform {

namespace {
constexpr char kKeyProperty[] = "marluneColorKey";
constexpr char kKeeperName[] = "marluneColorKeyKeeper";

HWND WindowHandle(const QWidget* window) {
    return reinterpret_cast<HWND>(window->winId());
}

bool ApplyColorKey(QWidget* window, QColor key) {
    const HWND hwnd = WindowHandle(window);
    const LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_EXSTYLE);
    if ((style & WS_EX_LAYERED) == 0)
        SetWindowLongPtrW(hwnd, GWL_EXSTYLE, style | WS_EX_LAYERED);
    return SetLayeredWindowAttributes(hwnd, RGB(key.red(), key.green(), key.blue()), 0, LWA_COLORKEY) != 0;
}

// Qt sets a window's extended style anew whenever its flags change (a new stacking
// level, the title shown or hidden) and makes a new native window when it needs one;
// either drops the layered style. The keeper puts the key back each time the window is
// shown again or gets a new handle.
class ColorKeyKeeper final : public QObject {
public:
    explicit ColorKeyKeeper(QWidget* window) : QObject(window), m_window(window) {
        setObjectName(QLatin1String(kKeeperName));
        window->installEventFilter(this);
    }

private:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_window && (event->type() == QEvent::Show || event->type() == QEvent::WinIdChange)) {
            const QVariant key = m_window->property(kKeyProperty);
            if (key.isValid())
                ApplyColorKey(m_window, key.value<QColor>());
        }
        return false;
    }

    QWidget* m_window;
};

} // namespace

bool SetColorKey(QWidget* window, QColor key) {
    if (!ApplyColorKey(window, key))
        return false;
    window->setProperty(kKeyProperty, key);
    if (window->findChild<ColorKeyKeeper*>(QLatin1String(kKeeperName), Qt::FindDirectChildrenOnly) == nullptr)
        new ColorKeyKeeper(window); // owned by the window
    return true;
}

void ClearColorKey(QWidget* window) {
    delete window->findChild<ColorKeyKeeper*>(QLatin1String(kKeeperName), Qt::FindDirectChildrenOnly);
    const HWND hwnd = WindowHandle(window);
    SetWindowLongPtrW(hwnd, GWL_EXSTYLE, GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & ~WS_EX_LAYERED);
    RedrawWindow(hwnd, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN);
    window->setProperty(kKeyProperty, QVariant());
}

bool HasColorKey(const QWidget* window) {
    return window->property(kKeyProperty).isValid();
}

void RefreshColorKey(QWidget* window) {
    // The system keys whatever is painted; only the style may have been taken away.
    const QVariant key = window->property(kKeyProperty);
    if (key.isValid())
        ApplyColorKey(window, key.value<QColor>());
}

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

bool SetPointerOverColorKey(QWidget*, bool) {
    return false;
}

bool ColorKeyLifted(const QWidget*) {
    return false;
}

} // namespace marlune::platform

#endif
