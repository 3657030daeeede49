#pragma once
// The ticker window's caption buttons (close, minimise, settings, data, refresh) and the
// background strip, which the window template has as a button of no size: made, placed for
// the window's width and given the transparent mode's look together.

#include "ticker/ChromeRules.h"

#include <QObject>

#include <map>

class QColor;
class QPixmap;
class QWidget;

namespace marlune {

class HoverButton;

// Control ids of the caption buttons; a click is the command of the same number.
enum CaptionButtonId : int {
    kButtonClose = 1001,
    kButtonFresh = 1002,
    kButtonHide = 1062,
    kButtonSet = 1063,
    kButtonData = 1064,
    kButtonStrip = 1065,
};

class CaptionButtons final : public QObject {
    Q_OBJECT
public:
    // The buttons are children of `body`; the strip is the window's background picture.
    CaptionButtons(const QPixmap& strip, QWidget* body);

    // Each button where a window of this width has it.
    void Place(int windowWidth);
    // The transparent mode's look; the tips show only where that mode lets them.
    void SetTransparency(const ChromeTransparency& transparency, const QColor& background);
    // The button of a control id, or null.
    HoverButton* Button(int id) const;

signals:
    // A caption button was clicked (never the strip).
    void clicked(int id);

private:
    std::map<int, HoverButton*> m_buttons;
};

} // namespace marlune
