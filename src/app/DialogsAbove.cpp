#include "app/DialogsAbove.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QWindow>

namespace marlune {

DialogsAbove::DialogsAbove(QObject* parent) : QObject(parent) {
    qApp->installEventFilter(this);
}

DialogsAbove::~DialogsAbove() {
    qApp->removeEventFilter(this);
}

bool DialogsAbove::KeepsAbove(const QWidget* window) {
    const auto* dialog = qobject_cast<const QDialog*>(window);
    if (dialog == nullptr || !dialog->isWindow())
        return false;
    return dialog->isModal() || dialog->windowModality() != Qt::NonModal ||
           dialog->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

void DialogsAbove::RaiseOpenDialogs() const {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible() && KeepsAbove(window))
            window->raise();
    }
}

bool DialogsAbove::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Show && watched->isWidgetType()) {
        auto* window = static_cast<QWidget*>(watched);
        if (KeepsAbove(window) && window->windowHandle() != nullptr) {
            // On the window itself rather than through the widget, which would hide and
            // recreate a window that is being shown.
            QWindow* handle = window->windowHandle();
            if (!handle->flags().testFlag(Qt::WindowStaysOnTopHint))
                handle->setFlags(handle->flags() | Qt::WindowStaysOnTopHint);
            window->raise();
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace marlune
