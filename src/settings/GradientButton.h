#pragma once
// The push button of the settings dialog, its my-stocks and basic pages and the unlock
// dialog: a rounded black outline around a vertical gradient from near white to a light
// blue-grey, warm edges while the mouse is over it, blue edges and a focus rectangle while it
// has the keyboard focus, the text one pixel lower and to the right while pressed, grey text
// while disabled.
//
// Enter, like Space, presses the button while it has the keyboard focus. It is not a default
// button unless its dialog makes it one.

#include <QColor>
#include <QPushButton>

namespace marlune {

// Steps of the gradient, from the top (0) to the bottom (kGradientSteps - 1).
inline constexpr int kGradientSteps = 64;

// Colour of gradient step i (0 to 63). The "pressed look" is the look of a focused, pressed
// or default button.
QColor GradientStepColor(int step, bool hovered, bool pressedLook);

// The gradient step of a pixel row, rowFromTop counted from the top of the whole button,
// in a gradient area of the given height; the bottom rows reach the last step.
int GradientStepForRow(int rowFromTop, int gradientHeight);

// The width of the frame between the outline and the gradient area, each side.
inline constexpr int kGradientEdge = 2;

class GradientButton final : public QPushButton {
    Q_OBJECT
public:
    explicit GradientButton(const QString& text, QWidget* parent = nullptr);

    bool IsHovered() const { return m_hovered; }
    // Whether the button is drawn in its pressed look (focused, pressed or default).
    bool HasPressedLook() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    bool m_hovered = false;
};

} // namespace marlune
