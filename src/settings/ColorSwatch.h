#pragma once
// One colour swatch of the display page: a sunken box with a centred word ("涨", "跌", ...)
// drawn in the swatch's colour; a click asks for a new colour.

#include <QColor>
#include <QLabel>

namespace marlune {

class ColorSwatch final : public QLabel {
    Q_OBJECT
public:
    ColorSwatch(const QString& text, QWidget* parent);

    void SetColor(const QColor& color);
    QColor Color() const { return m_color; }

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QColor m_color;
};

} // namespace marlune
