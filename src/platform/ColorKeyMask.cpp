// Colour key for window systems without layered windows (X11, Wayland, offscreen).
// Where a compositing manager runs, the window has an alpha channel and fills its
// see-through background with transparent pixels: the compositor blends the rest, soft
// text edges included. Without one, the window gets a shape mask made from the pixels
// it paints: pixels in the key colour are cut out, so they show what lies below and let
// clicks through, as a layered window with a colour key does on Windows. A shape mask
// works without a compositor, unlike a translucent background, which paints black there.
#if !defined(_WIN32)

#include "platform/WindowPlatform.h"

#include <QBitmap>
#include <QGuiApplication>
#include <QImage>
#include <QRegion>
#include <QVariant>
#include <QWidget>

#if defined(MARLUNE_HAVE_XCB)
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#endif

namespace marlune::platform {

namespace {
constexpr char kKeyProperty[] = "marluneColorKey";

// A compositing manager owns the selection _NET_WM_CM_S<n> of the screen it composites.
bool CompositorRunning() {
#if defined(MARLUNE_HAVE_XCB)
    if (QGuiApplication::platformName() != QStringLiteral("xcb"))
        return false;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 != nullptr ? x11->connection() : nullptr;
    if (connection == nullptr)
        return false;
    const int screens = xcb_setup_roots_length(xcb_get_setup(connection));
    for (int screen = 0; screen < screens; ++screen) {
        const std::string name = "_NET_WM_CM_S" + std::to_string(screen);
        xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 1, static_cast<std::uint16_t>(name.size()), name.c_str()),
            nullptr);
        if (atom == nullptr)
            continue;
        const xcb_atom_t selection = atom->atom;
        std::free(atom);
        if (selection == XCB_ATOM_NONE)
            continue; // nobody ever asked for the name, so nobody owns it
        xcb_get_selection_owner_reply_t* owner = xcb_get_selection_owner_reply(
            connection, xcb_get_selection_owner(connection, selection), nullptr);
        const bool owned = owner != nullptr && owner->owner != XCB_WINDOW_NONE;
        std::free(owner);
        if (owned)
            return true;
    }
#endif
    return false;
}

bool UsesAlpha(const QWidget* window) {
    return window->testAttribute(Qt::WA_TranslucentBackground);
}
} // namespace

void PrepareColorKeyAlpha(QWidget* window) {
    if (CompositorRunning())
        window->setAttribute(Qt::WA_TranslucentBackground);
}

QColor ColorKeyFill(const QWidget* window, QColor key) {
    return UsesAlpha(window) ? QColor(Qt::transparent) : key;
}

bool SetColorKey(QWidget* window, QColor key) {
    window->setProperty(kKeyProperty, key);
    RefreshColorKey(window);
    return true;
}

void ClearColorKey(QWidget* window) {
    window->setProperty(kKeyProperty, QVariant());
    window->clearMask();
}

bool HasColorKey(const QWidget* window) {
    return window->property(kKeyProperty).isValid();
}

void RefreshColorKey(QWidget* window) {
    const QVariant stored = window->property(kKeyProperty);
    if (!stored.isValid() || window->size().isEmpty())
        return;
    if (UsesAlpha(window)) {
        // The window paints its see-through parts transparent itself; nothing is cut.
        window->clearMask();
        window->update();
        return;
    }
    const QColor key = stored.value<QColor>();
    // Render at one image pixel per window pixel: the mask is in window coordinates.
    // The whole window is rendered, not only what the mask kept so far: a render clipped
    // by the old mask would cut every pixel that a new text, value or colour adds.
    QImage image(window->size(), QImage::Format_RGB32);
    image.setDevicePixelRatio(1.0);
    image.fill(key);
    window->render(&image, QPoint(), QRegion(),
                   QWidget::DrawWindowBackground | QWidget::DrawChildren | QWidget::IgnoreMask);
    // One bit per pixel, set (black, Qt::color1) where the window keeps its pixel.
    QImage mask(image.size(), QImage::Format_Mono);
    mask.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    mask.fill(0);
    const QRgb keyRgb = key.rgb() & RGB_MASK;
    for (int y = 0; y < image.height(); ++y) {
        const auto* pixels = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        uchar* bits = mask.scanLine(y);
        for (int x = 0; x < image.width(); ++x) {
            if ((pixels[x] & RGB_MASK) != keyRgb)
                bits[x >> 3] |= static_cast<uchar>(0x80 >> (x & 7));
        }
    }
    QRegion visible(QBitmap::fromImage(mask));
    // An empty mask would mean "no mask" to the window system: keep one pixel instead
    // so that an all-key window really is see-through.
    if (visible.isEmpty())
        visible = QRegion(0, 0, 1, 1);
    window->setMask(visible);
}

} // namespace marlune::platform

#endif
