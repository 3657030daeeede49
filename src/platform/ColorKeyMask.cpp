// Colour key for window systems without layered windows (X11, Wayland, offscreen).
// The window gets a shape mask made from the pixels it paints: pixels in the key colour
// are cut out, so they show what lies below and let clicks through, as a layered window
// with a colour key does on Windows. A shape mask works with and without a compositor.
// (A translucent background paints black without one, and under xcompmgr the grid drawn
// into an alpha window lost its quote texts, so transparent mode keeps to the mask.)
#if !defined(_WIN32)

#include "platform/WindowPlatform.h"

#include <QBitmap>
#include <QGuiApplication>
#include <QImage>
#include <QRegion>
#include <QVariant>
#include <QWidget>

namespace marlune::platform {

namespace {
constexpr char kKeyProperty[] = "marluneColorKey";

bool UsesAlpha(const QWidget* window) {
    return window->testAttribute(Qt::WA_TranslucentBackground);
}
} // namespace

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
