#pragma once
// Looks where the pointer is while a window is see-through, so that the window takes the
// mouse over its whole rectangle while the pointer is there (platform::SetPointerOverColorKey).
// Over a pixel its shape mask cuts out the window hears nothing of the pointer, so it is asked
// for now and then rather than waited for.

#include <QObject>
#include <QPoint>
#include <QTimer>

#include <functional>

class QWidget;

namespace marlune {

class ColorKeyPointerWatch final : public QObject {
    Q_OBJECT
public:
    static constexpr int kLookMs = 100;
    // Where the pointer is on the desktop; tests stand in for the real one.
    using PointerPosition = std::function<QPoint()>;

    explicit ColorKeyPointerWatch(QWidget* window);

    // On while the window's background is see-through; off puts its mask back.
    void SetOn(bool on);
    bool IsOn() const { return m_timer.isActive(); }
    // Looks now (also on enter and leave events, which come at once).
    void Look();
    void SetPointerPosition(PointerPosition pointer) { m_pointer = std::move(pointer); }

private:
    QWidget* m_window;
    QTimer m_timer;
    PointerPosition m_pointer;
};

} // namespace marlune
