// Colour key for window systems without layered windows (X11, Wayland, offscreen).
//
// Two ways to make the key's pixels see-through, chosen by what the desktop can show:
// - Alpha: where a compositing manager blends windows, a window prepared before it was
//   first shown has an alpha channel. Its see-through parts are painted fully
//   transparent (ColorKeyFill); texts, lines and buttons stay opaque with soft edges.
//   Its shape mask keeps every pixel that is not fully transparent, so that clicks on
//   the see-through parts reach what lies below.
// - Shape mask: everywhere else the window paints the key itself and gets a shape mask
//   made from every pixel not exactly the key; the key's pixels are cut out, so they show
//   what lies below and let clicks through, as a layered window with a colour key does on
//   Windows. Only while the pointer is over the window's rectangle is the mask lifted
//   (SetPointerOverColorKey): a shaped window takes the mouse on its kept pixels alone, and
//   moving over a row or dragging the window would otherwise work only on a text's strokes.
// An alpha window shows its transparent pixels black when no compositor blends it, so the
// choice follows the compositor: the window asks UpdateColorKeyMode now and then and falls
// back to the mask while none runs (its pixels are then all opaque, the alpha unused).
#if !defined(_WIN32)

#include "platform/WindowPlatform.h"

#include <QBitmap>
#include <QGuiApplication>
#include <QImage>
#include <QRegion>
#include <QVariant>
#include <QWidget>

#include <utility>

#if defined(MARLUNE_HAVE_XCB)
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>
#endif

namespace marlune::platform {

namespace {
constexpr char kKeyProperty[] = "marluneColorKey";
// true while the window's colour key is made with alpha.
constexpr char kAlphaProperty[] = "marluneColorKeyAlpha";
// true while the shape mask is lifted for the pointer over the window.
constexpr char kLiftedProperty[] = "marluneColorKeyLifted";

std::function<bool()>& ProbeOverride() {
    static std::function<bool()> probe;
    return probe;
}

#if defined(MARLUNE_HAVE_XCB)
// The selection _NET_WM_CM_S<n> of every screen, interned once: atoms live as long as
// the X server.
const std::vector<xcb_atom_t>& CompositorSelections(xcb_connection_t* connection) {
    static std::vector<xcb_atom_t> selections = [connection] {
        std::vector<xcb_atom_t> atoms;
        const int screens = xcb_setup_roots_length(xcb_get_setup(connection));
        for (int screen = 0; screen < screens; ++screen) {
            const std::string name = "_NET_WM_CM_S" + std::to_string(screen);
            xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
                connection,
                xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(name.size()), name.c_str()),
                nullptr);
            atoms.push_back(atom != nullptr ? atom->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE));
            std::free(atom);
        }
        return atoms;
    }();
    return selections;
}

// Whether the screen offers a 32-bit true-colour visual, the one an alpha window needs.
bool HasAlphaVisual(const xcb_screen_t* screen) {
    for (xcb_depth_iterator_t depth = xcb_screen_allowed_depths_iterator(screen); depth.rem != 0;
         xcb_depth_next(&depth)) {
        if (depth.data->depth != 32)
            continue;
        for (xcb_visualtype_iterator_t visual = xcb_depth_visuals_iterator(depth.data); visual.rem != 0;
             xcb_visualtype_next(&visual)) {
            if (visual.data->_class == XCB_VISUAL_CLASS_TRUE_COLOR)
                return true;
        }
    }
    return false;
}

// A compositing manager owns the selection _NET_WM_CM_S<n> of the screen it composites.
bool X11CompositorBlends() {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 != nullptr ? x11->connection() : nullptr;
    if (connection == nullptr || xcb_connection_has_error(connection) != 0)
        return false;
    const std::vector<xcb_atom_t>& selections = CompositorSelections(connection);
    xcb_screen_iterator_t screen = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (std::size_t i = 0; i < selections.size() && screen.rem != 0; ++i, xcb_screen_next(&screen)) {
        if (selections[i] == XCB_ATOM_NONE || !HasAlphaVisual(screen.data))
            continue;
        xcb_get_selection_owner_reply_t* owner = xcb_get_selection_owner_reply(
            connection, xcb_get_selection_owner(connection, selections[i]), nullptr);
        const bool owned = owner != nullptr && owner->owner != XCB_WINDOW_NONE;
        std::free(owner);
        if (owned)
            return true;
    }
    return false;
}
#endif

bool CompositorBlends() {
    if (ProbeOverride())
        return ProbeOverride()();
    const QString platform = QGuiApplication::platformName();
    // A Wayland compositor blends every window; there is nothing to ask.
    if (platform.startsWith(QLatin1String("wayland")))
        return true;
#if defined(MARLUNE_HAVE_XCB)
    if (platform == QLatin1String("xcb"))
        return X11CompositorBlends();
#endif
    return false;
}

bool HasAlphaChannel(const QWidget* window) {
    return window->testAttribute(Qt::WA_TranslucentBackground);
}
} // namespace

void SetCompositorProbe(std::function<bool()> probe) {
    ProbeOverride() = std::move(probe);
}

void PrepareColorKeyAlpha(QWidget* window) {
    if (!CompositorBlends())
        return;
    window->setAttribute(Qt::WA_TranslucentBackground);
    window->setProperty(kAlphaProperty, true);
}

bool UpdateColorKeyMode(QWidget* window) {
    // A window made without an alpha channel keeps the mask: its visual cannot change.
    if (!HasAlphaChannel(window))
        return false;
    const bool alpha = CompositorBlends();
    if (alpha == ColorKeyUsesAlpha(window))
        return false;
    window->setProperty(kAlphaProperty, alpha);
    return true;
}

bool ColorKeyUsesAlpha(const QWidget* window) {
    return HasAlphaChannel(window) && window->property(kAlphaProperty).toBool();
}

QColor ColorKeyFill(const QWidget* window, QColor key) {
    return ColorKeyUsesAlpha(window) ? QColor(Qt::transparent) : key;
}

bool SetColorKey(QWidget* window, QColor key) {
    window->setProperty(kKeyProperty, key);
    RefreshColorKey(window);
    return true;
}

void ClearColorKey(QWidget* window) {
    window->setProperty(kKeyProperty, QVariant());
    window->setProperty(kLiftedProperty, QVariant());
    window->clearMask();
}

bool HasColorKey(const QWidget* window) {
    return window->property(kKeyProperty).isValid();
}

bool SetPointerOverColorKey(QWidget* window, bool over) {
    const bool lift = over && HasColorKey(window) && !ColorKeyUsesAlpha(window);
    if (lift == ColorKeyLifted(window))
        return false;
    window->setProperty(kLiftedProperty, lift);
    RefreshColorKey(window);
    return true;
}

bool ColorKeyLifted(const QWidget* window) {
    return window->property(kLiftedProperty).toBool();
}

void RefreshColorKey(QWidget* window) {
    const QVariant stored = window->property(kKeyProperty);
    if (!stored.isValid() || window->size().isEmpty())
        return;
    const QColor key = stored.value<QColor>();
    const bool alpha = ColorKeyUsesAlpha(window);
    if (!alpha && ColorKeyLifted(window)) {
        window->clearMask();
        return;
    }
    // Render at one image pixel per window pixel: the mask is in window coordinates.
    // The whole window is rendered, not only what the mask kept so far: a render clipped
    // by the old mask would cut every pixel that a new text, value or colour adds.
    QImage image(window->size(), alpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    image.setDevicePixelRatio(1.0);
    image.fill(alpha ? QColor(Qt::transparent) : key);
    window->render(&image, QPoint(), QRegion(),
                   QWidget::DrawWindowBackground | QWidget::DrawChildren | QWidget::IgnoreMask);
    // One bit per pixel, set (black, Qt::color1) where the window keeps its pixel: every
    // pixel not exactly the key, or with alpha every pixel not fully transparent. With
    // alpha the mask hides nothing that would show; it lets clicks on the see-through
    // background through to what lies below, as the key's cut pixels do.
    QImage mask(image.size(), QImage::Format_Mono);
    mask.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    mask.fill(0);
    const QRgb keyRgb = key.rgb() & RGB_MASK;
    for (int y = 0; y < image.height(); ++y) {
        const auto* pixels = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        uchar* bits = mask.scanLine(y);
        for (int x = 0; x < image.width(); ++x) {
            const bool keep = alpha ? qAlpha(pixels[x]) != 0 : (pixels[x] & RGB_MASK) != keyRgb;
            if (keep)
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
