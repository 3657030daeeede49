#include "app/DialogPlacement.h"

#include "ticker/ScreenPlacement.h"

#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QWidget>

namespace marlune {
namespace {

QPointer<QWidget>& Anchor() {
    static QPointer<QWidget> anchor;
    return anchor;
}

} // namespace

void SetDialogAnchor(QWidget* window) {
    Anchor() = window;
}

QPoint CentredInWorkArea(const QSize& size, const QRect& workArea) {
    const int right = workArea.x() + workArea.width();
    const int bottom = workArea.y() + workArea.height();
    return QPoint((right - size.width()) / 2, (bottom - size.height()) / 2);
}

void CentreInWorkArea(QWidget* window) {
    const QScreen* screen = ScreenOfWindow(Anchor().data());
    if (screen == nullptr)
        return;
    window->adjustSize();
    window->move(CentredOnScreen(window->size(), screen->geometry(), screen->availableGeometry()));
}

void MakeTopMost(QWidget* window) {
    if (!(window->windowFlags() & Qt::WindowStaysOnTopHint))
        window->setWindowFlag(Qt::WindowStaysOnTopHint, true);
}

} // namespace marlune
