#pragma once
// Where the program's small dialogs appear: in the middle of the work area (the primary
// screen without its panels), left = (work-area right - width) / 2 and top =
// (work-area bottom - height) / 2.

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace marlune {

// The top left corner for a window of the size; workArea is the screen's available
// geometry.
QPoint CentredInWorkArea(const QSize& size, const QRect& workArea);

// Moves the window there, sized as it will be shown.
void CentreInWorkArea(QWidget* window);

// Keeps the window above every other window.
void MakeTopMost(QWidget* window);

} // namespace marlune
