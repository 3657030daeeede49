#include "ticker/OneShotTimers.h"

#include <QTimer>

namespace marlune {

OneShotTimers::OneShotTimers(std::function<void(int id)> onTimeout, QObject* parent)
    : QObject(parent), m_onTimeout(std::move(onTimeout)) {}

void OneShotTimers::Start(int id, int milliseconds) {
    auto found = m_timers.find(id);
    if (found == m_timers.end()) {
        auto* timer = new QTimer(this);
        timer->setSingleShot(true);
        connect(timer, &QTimer::timeout, this, [this, id] { m_onTimeout(id); });
        found = m_timers.emplace(id, timer).first;
    }
    found->second->start(milliseconds);
}

void OneShotTimers::Stop(int id) {
    auto found = m_timers.find(id);
    if (found != m_timers.end())
        found->second->stop();
}

bool OneShotTimers::IsActive(int id) const {
    auto found = m_timers.find(id);
    return found != m_timers.end() && found->second->isActive();
}

} // namespace marlune
