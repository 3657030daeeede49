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
    QPalette colored = palette();
    colored.setColor(QPalette::WindowText, color);
    setPalette(colored);
    update();
}

void ColorSwatch::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QLabel::mouseReleaseEvent(event);
}

} // namespace marlune
