#pragma once
// Which monitor the program's windows open on, and where on it: dialogs and popups open on
// the monitor the ticker window is on, centred as the program always centred its dialogs.

#include <QPoint>
#include <QRect>
#include <QSize>

class QScreen;
class QWidget;

namespace marlune {

// The screen holding the middle of the window; the primary one for no window, a hidden one
// or one on no screen.
QScreen* ScreenOfWindow(const QWidget* window);

// The top left corner of a window of the size centred between the screen's left and top
// edges and its work area's right and bottom edges: left = (screen left + work-area right
// - width) / 2, likewise for the top. On a primary screen at (0, 0) that is
// (work-area right - width) / 2; on any other monitor the same place on that monitor.
QPoint CentredOnScreen(const QSize& size, const QRect& screen, const QRect& workArea);

// The same for the screen the anchor window is on.
QPoint CentredOnScreenOf(const QWidget* anchor, const QSize& size);

} // namespace marlune
