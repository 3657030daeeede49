#include "net/BlockingHandoff.h"

namespace marlune {

BlockingHandoff::BlockingHandoff() : m_state(std::make_shared<State>()) {}

bool BlockingHandoff::Run(const Post& post, Task task) {
    struct Ticket {
        bool done = false;
        bool ran = false;
    };
    // Ends the wait when the posted function has run, and also when it is dropped
    // without running (its receiver was destroyed), so the worker never waits for
    // a function that will not come.
    struct Completion {
        std::shared_ptr<State> state;
        std::shared_ptr<Ticket> ticket;
        void finish(bool ran) const {
            std::lock_guard<std::mutex> lock(state->mutex);
            if (!ticket->done) {
                ticket->done = true;
                ticket->ran = ran;
                state->changed.notify_all();
            }
        }
        ~Completion() { finish(false); }
    };
    auto ticket = std::make_shared<Ticket>();
    {
        std::lock_guard<std::mutex> lock(m_state->mutex);
        if (m_state->released) {
            return false;
        }
    }
    auto completion = std::make_shared<Completion>();
    completion->state = m_state;
    completion->ticket = ticket;
    // The posted function holds the shared state, not this object: it may run (or
    // be dropped) after the handoff is gone.
    post([completion, task = std::move(task)] {
        {
            std::lock_guard<std::mutex> lock(completion->state->mutex);
            if (completion->state->released || completion->ticket->done) {
                return;
            }
        }
        task();
        completion->finish(true);
    });
    completion.reset();
    std::unique_lock<std::mutex> lock(m_state->mutex);
    m_state->changed.wait(lock, [&] { return ticket->done || m_state->released; });
    return ticket->ran;
}

void BlockingHandoff::Release() {
    std::lock_guard<std::mutex> lock(m_state->mutex);
    m_state->released = true;
    m_state->changed.notify_all();
}

bool BlockingHandoff::IsReleased() const {
    std::lock_guard<std::mutex> lock(m_state->mutex);
    return m_state->released;
}

} // namespace marlune
