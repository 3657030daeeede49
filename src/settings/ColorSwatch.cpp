#include "settings/ColorSwatch.h"

#include <QMouseEvent>

namespace marlune {

ColorSwatch::ColorSwatch(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setAlignment(Qt::AlignCenter);
    setMinimumSize(44, 22);
    setCursor(Qt::PointingHandCursor);
}

void ColorSwatch::SetColor(const QColor& color) {
    m_color = color;
    updateLook();
}

void ColorSwatch::SetBackground(const QColor& background) {
    m_background = background;
    updateLook();
}

void ColorSwatch::SetShowsBackground(bool showsBackground) {
    m_showsBackground = showsBackground;
    updateLook();
}

QColor ColorSwatch::ReadableOn(const QColor& fill) {
    // Perceived lightness (ITU-R BT.601 weights): dark words on light fills and the reverse.
    const int lightness = (299 * fill.red() + 587 * fill.green() + 114 * fill.blue()) / 1000;
    return lightness >= 128 ? QColor(Qt::black) : QColor(Qt::white);
}

void ColorSwatch::updateLook() {
    // A text colour is shown as the ticker shows it, on its background; the background's own
    // swatch is filled with it and labelled in whatever reads there.
    const QColor fill = m_showsBackground ? m_color : m_background;
    QPalette colored = palette();
    if (fill.isValid()) {
        colored.setColor(QPalette::Window, fill);
        setAutoFillBackground(true);
    } else {
        colored.setColor(QPalette::Window, QPalette().color(QPalette::Window));
        setAutoFillBackground(false);
    }
    colored.setColor(QPalette::WindowText, m_showsBackground ? ReadableOn(m_color) : m_color);
    setPalette(colored);
    update();
}

void ColorSwatch::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QLabel::mouseReleaseEvent(event);
}

} // namespace marlune
