#include "app/DialogPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace marlune {

QPoint CentredInWorkArea(const QSize& size, const QRect& workArea) {
    const int right = workArea.x() + workArea.width();
    const int bottom = workArea.y() + workArea.height();
    return QPoint((right - size.width()) / 2, (bottom - size.height()) / 2);
}

void CentreInWorkArea(QWidget* window) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    window->adjustSize();
    window->move(CentredInWorkArea(window->size(), screen->availableGeometry()));
}

void MakeTopMost(QWidget* window) {
    if (!(window->windowFlags() & Qt::WindowStaysOnTopHint))
        window->setWindowFlag(Qt::WindowStaysOnTopHint, true);
}

} // namespace marlune
