// Draws the ticker's picture resources: the caption-button strips (two 17 x 17 frames,
// normal then hover), the 900 x 19 caption background, the 11 x 11 menu check mark and
// the program icon. Build and run from the repository root:
//   g++ -std=c++17 -fPIC resources/tools/DrawImages.cpp $(pkg-config --cflags --libs Qt6Gui) -o
//   /tmp/draw-images QT_QPA_PLATFORM=offscreen /tmp/draw-images resources/images
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>
#include <cstdio>
#include <functional>

namespace {

const QColor kStripTop(0xF4, 0xF8, 0xFD);
const QColor kStripBottom(0xDC, 0xE7, 0xF4);
const QColor kStripLine(0xB4, 0xC8, 0xE0);
const QColor kGlyph(0x3F, 0x51, 0x6B);
const QColor kGlyphHover(0x1F, 0x4E, 0x8C);
const QColor kHoverFill(0xFF, 0xFF, 0xFF, 0xD0);
const QColor kHoverBorder(0x7D, 0xA2, 0xCE);
constexpr int kStripHeight = 19;
constexpr int kFrame = 17;

// The caption background as it is seen behind a 17-pixel button placed at y = 1.
void paintStripBackground(QPainter& p, const QRect& area, int stripOffsetY) {
    QLinearGradient gradient(0, -stripOffsetY, 0, kStripHeight - stripOffsetY);
    gradient.setColorAt(0.0, kStripTop);
    gradient.setColorAt(1.0, kStripBottom);
    p.fillRect(area, gradient);
}

using GlyphPainter = std::function<void(QPainter&, const QColor&)>;

QImage drawButton(const GlyphPainter& glyph, bool redHover = false) {
    QImage image(2 * kFrame, kFrame, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    for (int frame = 0; frame < 2; ++frame) {
        p.save();
        p.translate(frame * kFrame, 0);
        paintStripBackground(p, QRect(0, 0, kFrame, kFrame), 1);
        QColor ink = kGlyph;
        if (frame == 1) {
            const QRectF box(0.5, 0.5, kFrame - 1, kFrame - 1);
            if (redHover) {
                p.setPen(QColor(0xB8, 0x1D, 0x24));
                p.setBrush(QColor(0xE0, 0x3C, 0x3C));
                ink = Qt::white;
            } else {
                p.setPen(kHoverBorder);
                p.setBrush(kHoverFill);
                ink = kGlyphHover;
            }
            p.drawRoundedRect(box, 3, 3);
        }
        glyph(p, ink);
        p.restore();
    }
    return image;
}

QPen glyphPen(const QColor& ink, qreal width = 1.6) {
    QPen pen(ink, width);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

void closeGlyph(QPainter& p, const QColor& ink) {
    p.setPen(glyphPen(ink, 1.7));
    p.drawLine(QPointF(5, 5), QPointF(12, 12));
    p.drawLine(QPointF(12, 5), QPointF(5, 12));
}

void hideGlyph(QPainter& p, const QColor& ink) {
    p.setPen(glyphPen(ink, 1.8));
    p.drawLine(QPointF(4.5, 11.5), QPointF(12.5, 11.5));
}

void settingsGlyph(QPainter& p, const QColor& ink) {
    // A gear: eight teeth around a ring.
    QPainterPath gear;
    const QPointF c(8.5, 8.5);
    const int teeth = 8;
    for (int i = 0; i < teeth * 2; ++i) {
        const qreal outer = (i % 2 == 0) ? 6.4 : 4.9;
        const qreal a0 = (i - 0.5) * M_PI / teeth;
        const qreal a1 = (i + 0.5) * M_PI / teeth;
        const QPointF p0 = c + QPointF(outer * qCos(a0), outer * qSin(a0));
        const QPointF p1 = c + QPointF(outer * qCos(a1), outer * qSin(a1));
        if (i == 0)
            gear.moveTo(p0);
        else
            gear.lineTo(p0);
        gear.lineTo(p1);
    }
    gear.closeSubpath();
    gear.addEllipse(c, 2.1, 2.1);
    gear.setFillRule(Qt::OddEvenFill);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawPath(gear);
}

void dataGlyph(QPainter& p, const QColor& ink) {
    // Bars and a rising line: the market data page.
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawRect(QRectF(4, 10, 2, 4));
    p.drawRect(QRectF(7.5, 8, 2, 6));
    p.drawRect(QRectF(11, 6, 2, 8));
    QPen line = glyphPen(QColor(0xD0, 0x30, 0x30), 1.3);
    if (ink == Qt::white)
        line.setColor(Qt::white);
    p.setPen(line);
    p.setBrush(Qt::NoBrush);
    QPainterPath path;
    path.moveTo(3.5, 8);
    path.lineTo(7, 5.5);
    path.lineTo(9.5, 6.5);
    path.lineTo(13.5, 3);
    p.drawPath(path);
}

void refreshGlyph(QPainter& p, const QColor& ink) {
    // A circular arrow.
    p.setPen(glyphPen(ink, 1.6));
    p.setBrush(Qt::NoBrush);
    const QRectF ring(4, 4, 9, 9);
    p.drawArc(ring, 60 * 16, 280 * 16);
    const QPointF tip(8.5 + 4.5 * qCos(qDegreesToRadians(60.0)), 8.5 - 4.5 * qSin(qDegreesToRadians(60.0)));
    QPainterPath head;
    head.moveTo(tip + QPointF(-3.2, -1.4));
    head.lineTo(tip + QPointF(0.6, 0.2));
    head.lineTo(tip + QPointF(-1.6, 3.0));
    head.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawPath(head);
}

QImage drawCaptionStrip() {
    QImage image(900, kStripHeight, QImage::Format_ARGB32);
    QPainter p(&image);
    paintStripBackground(p, image.rect(), 0);
    p.setPen(kStripLine);
    p.drawLine(0, kStripHeight - 1, image.width() - 1, kStripHeight - 1);
    p.setPen(QColor(255, 255, 255, 200));
    p.drawLine(0, 0, image.width() - 1, 0);
    // The program's name after the three left buttons, where the caption would be.
    QFont font(QStringLiteral("WenQuanYi Micro Hei"));
    font.setPixelSize(11);
    font.setBold(true);
    p.setFont(font);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setPen(QColor(0x5A, 0x6E, 0x8A));
    p.drawText(QRect(60, 0, 200, kStripHeight - 1), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Marlune"));
    return image;
}

QImage drawCheckMark() {
    QImage image(11, 11, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(glyphPen(QColor(0x22, 0x22, 0x22), 1.8));
    QPainterPath path;
    path.moveTo(1.8, 5.8);
    path.lineTo(4.3, 8.4);
    path.lineTo(9.2, 2.2);
    p.drawPath(path);
    return image;
}

QImage drawIcon(int size) {
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    QLinearGradient back(0, 0, 0, 64);
    back.setColorAt(0, QColor(0x3C, 0x7D, 0xD9));
    back.setColorAt(1, QColor(0x1D, 0x4F, 0x9C));
    p.setPen(QPen(QColor(0x17, 0x3E, 0x7A), 1.5));
    p.setBrush(back);
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);
    // Candles: green falling, red rising, as the ticker colours them.
    auto candle = [&p](qreal x, qreal wickTop, qreal top, qreal bottom, qreal wickBottom,
                       const QColor& colour) {
        p.setPen(QPen(colour.darker(120), 1.5));
        p.drawLine(QPointF(x + 4, wickTop), QPointF(x + 4, wickBottom));
        p.setPen(Qt::NoPen);
        p.setBrush(colour);
        p.drawRect(QRectF(x, top, 8, bottom - top));
    };
    candle(11, 30, 34, 46, 52, QColor(0x2E, 0xC2, 0x5B));
    candle(25, 22, 27, 41, 46, QColor(0xFF, 0x4D, 0x4D));
    candle(39, 12, 16, 33, 39, QColor(0xFF, 0x4D, 0x4D));
    QPen line(Qt::white, 3);
    line.setCapStyle(Qt::RoundCap);
    line.setJoinStyle(Qt::RoundJoin);
    p.setPen(line);
    p.setBrush(Qt::NoBrush);
    QPainterPath trend;
    trend.moveTo(9, 44);
    trend.lineTo(22, 35);
    trend.lineTo(33, 38);
    trend.lineTo(54, 14);
    p.drawPath(trend);
    return image;
}

bool save(const QImage& image, const QDir& dir, const char* name) {
    const QString path = dir.filePath(QString::fromLatin1(name));
    if (!image.save(path, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QDir dir(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));
    if (!QDir().mkpath(dir.path()))
        return 1;
    bool ok = true;
    ok &= save(drawButton(closeGlyph, true), dir, "button_close.png");
    ok &= save(drawButton(hideGlyph), dir, "button_hide.png");
    ok &= save(drawButton(settingsGlyph), dir, "button_set.png");
    ok &= save(drawButton(dataGlyph), dir, "button_data.png");
    ok &= save(drawButton(refreshGlyph), dir, "button_fresh.png");
    ok &= save(drawCaptionStrip(), dir, "caption_strip.png");
    ok &= save(drawCheckMark(), dir, "check_mark.png");
    ok &= save(drawIcon(64), dir, "marlune.png");
    ok &= save(drawIcon(32), dir, "marlune32.png");
    ok &= save(drawIcon(16), dir, "marlune16.png");
    return ok ? 0 : 1;
}
