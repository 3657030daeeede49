#pragma once
// One-shot timers known by number, as the docking asks for them (DockingHost::StartTimer):
// each is made at its first start, and every time-out goes to one handler with its number.

#include <QObject>

#include <functional>
#include <map>

class QTimer;

namespace marlune {

class OneShotTimers final : public QObject {
public:
    OneShotTimers(std::function<void(int id)> onTimeout, QObject* parent);

    // Starts the timer afresh, a running one too.
    void Start(int id, int milliseconds);
    void Stop(int id);
    bool IsActive(int id) const;

private:
    std::function<void(int id)> m_onTimeout;
    std::map<int, QTimer*> m_timers;
};

} // namespace marlune
