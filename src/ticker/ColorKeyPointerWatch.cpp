#include "ticker/ColorKeyPointerWatch.h"

#include "platform/WindowPlatform.h"

#include <QCursor>
#include <QWidget>

namespace marlune {

ColorKeyPointerWatch::ColorKeyPointerWatch(QWidget* window)
    : QObject(window), m_window(window), m_pointer([] { return QCursor::pos(); }) {
    m_timer.setInterval(kLookMs);
    connect(&m_timer, &QTimer::timeout, this, &ColorKeyPointerWatch::Look);
}

void ColorKeyPointerWatch::SetOn(bool on) {
    if (on == IsOn())
        return;
    if (on) {
        m_timer.start();
        Look();
    } else {
        m_timer.stop();
        platform::SetPointerOverColorKey(m_window, false);
    }
}

void ColorKeyPointerWatch::Look() {
    if (!IsOn())
        return;
    // Only a shaped window needs it; with alpha the pointer is not even asked for.
    const bool shaped = platform::HasColorKey(m_window) && !platform::ColorKeyUsesAlpha(m_window);
    const bool over = shaped && m_window->isVisible() && m_window->geometry().contains(m_pointer());
    platform::SetPointerOverColorKey(m_window, over);
}

} // namespace marlune
