#pragma once
// One colour swatch of the display page: a sunken box with a centred word ("涨", "跌", ...)
// drawn in the swatch's colour on the ticker's background colour, as the ticker will show
// it; the background's own swatch is filled with its colour and labelled in black or white,
// whichever reads there. A click asks for a new colour.

#include <QColor>
#include <QLabel>

namespace marlune {

class ColorSwatch final : public QLabel {
    Q_OBJECT
public:
    ColorSwatch(const QString& text, QWidget* parent);

    void SetColor(const QColor& color);
    QColor Color() const { return m_color; }
    // The fill behind a text colour's word.
    void SetBackground(const QColor& background);
    // This swatch's colour is a background: the box is filled with it.
    void SetShowsBackground(bool showsBackground);

    // Black or white, whichever reads on the fill.
    static QColor ReadableOn(const QColor& fill);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void updateLook();

    QColor m_color;
    QColor m_background;
    bool m_showsBackground = false;
};

} // namespace marlune
