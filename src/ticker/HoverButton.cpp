#include "ticker/HoverButton.h"

#include <QMouseEvent>
#include <QPainter>

namespace marlune {

HoverButton::HoverButton(int commandId, QWidget* parent) : QWidget(parent), m_commandId(commandId) {
    setMouseTracking(true);
    // Not opaque: at a fractional scale the button's device pixels do not match its frame's
    // logical size exactly, and a pixel the frame leaves must show the window behind it.
}

void HoverButton::SetStrip(const QPixmap& strip) {
    m_strip = strip;
    m_frameSize = QSize(strip.width() / 2, strip.height());
    update();
}

void HoverButton::SetHoverEnabled(bool enabled) {
    m_hoverEnabled = enabled;
    if (!enabled) {
        setHover(0);
        unsetCursor();
    }
}

void HoverButton::SetTransparency(const ChromeTransparency& transparency, const QColor& background) {
    m_transparency = transparency;
    m_background = background;
    update();
}

void HoverButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (!ButtonShowsPicture(m_transparency)) {
        // Filled like the window background, the button vanishes with the header (the
        // fill replaces what was there: it may be transparent).
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.fillRect(rect(), m_background);
        return;
    }
    if (m_strip.isNull())
        return;
    // The frame fills the whole button, whatever pixels the scale gives it.
    const QRectF source(m_frameSize.width() * m_hover, 0, m_frameSize.width(), m_frameSize.height());
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(QRectF(0, 0, m_frameSize.width(), m_frameSize.height()), m_strip, source);
}

void HoverButton::startHover() {
    if (!m_hoverEnabled || !ButtonTracksHover(m_transparency))
        return;
    setHover(1);
    setCursor(Qt::PointingHandCursor);
}

void HoverButton::mouseMoveEvent(QMouseEvent* event) {
    startHover();
    QWidget::mouseMoveEvent(event);
}

void HoverButton::enterEvent(QEnterEvent* event) {
    startHover();
    QWidget::enterEvent(event);
}

void HoverButton::leaveEvent(QEvent* event) {
    if (m_hoverEnabled)
        setHover(0);
    QWidget::leaveEvent(event);
}

void HoverButton::setHover(int state) {
    if (m_hover == state)
        return;
    m_hover = state;
    update();
}

void HoverButton::mousePressEvent(QMouseEvent* event) {
    m_pressed = event->button() == Qt::LeftButton;
    event->accept();
}

void HoverButton::mouseReleaseEvent(QMouseEvent* event) {
    const bool click =
        m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_pressed = false;
    event->accept();
    if (click)
        emit clicked(m_commandId);
}

} // namespace marlune
