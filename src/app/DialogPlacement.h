#pragma once
// Where the program's small dialogs appear: on the monitor the anchor window (the ticker) is
// on, in the middle of its work area (the screen without its panels) as
// ticker/ScreenPlacement.h centres: on a primary screen at (0, 0), left = (work-area right
// - width) / 2 and top = (work-area bottom - height) / 2.

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace marlune {

// The top left corner for a window of the size; workArea is the screen's available
// geometry.
QPoint CentredInWorkArea(const QSize& size, const QRect& workArea);

// Moves the window there, sized as it will be shown, on the anchor's monitor.
void CentreInWorkArea(QWidget* window);

// The window whose monitor the dialogs open on (not owned; forgotten when it goes).
void SetDialogAnchor(QWidget* window);

// Keeps the window above every other window.
void MakeTopMost(QWidget* window);

} // namespace marlune
