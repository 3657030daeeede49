#pragma once
// A caption button of the ticker window: a picture strip of two frames side by side
// (normal, then hover); the hover frame shows while the mouse is over the button.
// A click reports the button's command id.

#include "ticker/ChromeRules.h"

#include <QColor>
#include <QPixmap>
#include <QWidget>

namespace marlune {

class HoverButton final : public QWidget {
    Q_OBJECT
public:
    HoverButton(int commandId, QWidget* parent);

    // The two-frame strip; the frame is half the strip's width and its full height.
    void SetStrip(const QPixmap& strip);
    // The background strip button has no hover effect and no hand cursor.
    void SetHoverEnabled(bool enabled);
    void SetTransparency(const ChromeTransparency& transparency, const QColor& background);

    int CommandId() const { return m_commandId; }
    int HoverState() const { return m_hover; }
    QSize FrameSize() const { return m_frameSize; }

signals:
    void clicked(int commandId);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void startHover();
    void setHover(int state);

    int m_commandId;
    QPixmap m_strip;
    QSize m_frameSize;
    int m_hover = 0;
    bool m_hoverEnabled = true;
    bool m_pressed = false;
    ChromeTransparency m_transparency;
    QColor m_background;
};

} // namespace marlune
