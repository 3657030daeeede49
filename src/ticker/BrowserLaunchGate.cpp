#include "ticker/BrowserLaunchGate.h"

#include <QChildEvent>
#include <QEvent>
#include <QWidget>

#include <utility>

namespace marlune {

BrowserLaunchGate::BrowserLaunchGate(Clock clock) : m_clock(std::move(clock)) {}

void BrowserLaunchGate::NoteUserClick() {
    m_clicked = true;
    m_clickAt = m_clock();
}

bool BrowserLaunchGate::TakeLaunch() {
    const auto now = m_clock();
    if (!m_clicked || now - m_clickAt > kClickAnswerTime || now < m_clickAt)
        return false;
    if (m_launched && now - m_launchAt < kMinLaunchInterval)
        return false;
    m_clicked = false;
    m_launched = true;
    m_launchAt = now;
    return true;
}

UserClickWatcher::UserClickWatcher(QWidget* watched, BrowserLaunchGate& gate)
    : QObject(watched), m_gate(gate) {
    watch(watched);
}

void UserClickWatcher::watch(QObject* object) {
    if (!object->isWidgetType())
        return;
    object->installEventFilter(this);
    for (QObject* child : object->children())
        watch(child);
}

bool UserClickWatcher::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        // Only the window system makes these: a page can neither make nor fake them.
        m_gate.NoteUserClick();
        break;
    case QEvent::ChildAdded:
        watch(static_cast<QChildEvent*>(event)->child());
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace marlune
