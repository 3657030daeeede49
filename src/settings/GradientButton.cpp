#include "settings/GradientButton.h"

#include <QEnterEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

#include <algorithm>

namespace marlune {
namespace {

// Edge pens: left, right, top, bottom.
struct EdgePen {
    int width;
    QRgb color;
};
constexpr EdgePen kHoverPens[4] = {{3, 0xFAC458}, {3, 0xFBCA6A}, {2, 0xFCD279}, {2, 0xE59700}};
constexpr EdgePen kFocusPens[4] = {{3, 0x99C6FC}, {3, 0xA2BDFC}, {2, 0xA2C9FF}, {2, 0xA2C9FF}};

constexpr int kCornerDiameter = 5;

QPen EdgePenOf(const EdgePen& pen) {
    QPen p(QColor::fromRgb(pen.color), pen.width);
    p.setCapStyle(Qt::FlatCap);
    return p;
}

} // namespace

QColor GradientStepColor(int step, bool hovered, bool pressedLook) {
    const int i = std::clamp(step, 0, kGradientSteps - 1);
    int redGreen = 0;
    int blue = 0;
    if (!hovered) {
        redGreen = 255 - i / 3;
        blue = pressedLook ? 255 - i / 4 : 255 - i / 5;
    } else {
        redGreen = 255 - i / 4;
        blue = pressedLook ? 255 - i / 3 : 255 - i / 5;
    }
    return QColor(redGreen, redGreen, blue);
}

int GradientStepForRow(int rowFromTop, int gradientHeight) {
    if (gradientHeight <= 0)
        return 0;
    return std::clamp(rowFromTop * (kGradientSteps - 1) / gradientHeight, 0, kGradientSteps - 1);
}

GradientButton::GradientButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {
    setAutoDefault(false);
    setDefault(false);
    setAttribute(Qt::WA_Hover);
}

bool GradientButton::HasPressedLook() const {
    return hasFocus() || isDown() || isDefault();
}

QSize GradientButton::sizeHint() const {
    const QSize text = fontMetrics().size(Qt::TextShowMnemonic, this->text());
    return QSize(std::max(75, text.width() + 16), std::max(23, text.height() + 8));
}

void GradientButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect item = rect();
    const bool focused = hasFocus();
    const bool pressedLook = HasPressedLook();

    // The gradient, one pixel row at a time.
    const QRect inner = item.adjusted(kGradientEdge, kGradientEdge, -kGradientEdge, -kGradientEdge);
    for (int y = inner.top(); y <= inner.bottom(); ++y) {
        const QColor color =
            GradientStepColor(GradientStepForRow(y - item.top(), inner.height()), m_hovered, pressedLook);
        painter.fillRect(QRect(inner.left(), y, inner.width(), 1), color);
    }

    // The rounded outline over the whole button.
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(item).adjusted(0.5, 0.5, -0.5, -0.5), kCornerDiameter / 2.0,
                            kCornerDiameter / 2.0);

    // Warm edges while hovered, blue ones while focused and not hovered.
    if (m_hovered || focused) {
        const EdgePen* pens = m_hovered ? kHoverPens : kFocusPens;
        const int left = inner.left();
        const int right = inner.right() + 1;
        const int top = inner.top();
        const int bottom = inner.bottom() + 1;
        painter.setPen(EdgePenOf(pens[0]));
        painter.drawLine(QPoint(left + 1, bottom - 1), QPoint(left + 1, top + 1));
        painter.setPen(EdgePenOf(pens[1]));
        painter.drawLine(QPoint(right - 2, bottom - 1), QPoint(right - 2, top));
        painter.setPen(EdgePenOf(pens[2]));
        painter.drawLine(QPoint(left, top + 1), QPoint(right - 1, top + 1));
        painter.setPen(EdgePenOf(pens[3]));
        painter.drawLine(QPoint(left, bottom - 1), QPoint(right - 1, bottom - 1));
        if (!m_hovered) {
            QStyleOptionFocusRect option;
            option.initFrom(this);
            option.rect = inner.adjusted(2, 2, -2, -2);
            style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
        }
    }

    // The text, centred, shifted while pressed, grey while disabled.
    QRect textRect = item;
    if (isDown())
        textRect.translate(1, 1);
    painter.setPen(isEnabled() ? palette().color(QPalette::Active, QPalette::ButtonText)
                               : palette().color(QPalette::Disabled, QPalette::ButtonText));
    painter.setFont(font());
    painter.drawText(textRect, Qt::AlignCenter | Qt::TextShowMnemonic, text());
}

void GradientButton::keyPressEvent(QKeyEvent* event) {
    // Enter presses the button that has the keyboard, as Space does.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        if (!event->isAutoRepeat())
            click();
        event->accept();
        return;
    }
    QPushButton::keyPressEvent(event);
}

void GradientButton::enterEvent(QEnterEvent* event) {
    m_hovered = true;
    update();
    QPushButton::enterEvent(event);
}

void GradientButton::leaveEvent(QEvent* event) {
    m_hovered = false;
    update();
    QPushButton::leaveEvent(event);
}

} // namespace marlune
