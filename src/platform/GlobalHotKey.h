#pragma once
// The program-wide show/hide hot key: one key combination that reaches the program
// whichever window has the keyboard. One interface; each window system has its own
// implementation file. The header stays free of Qt so that plain classes (and their
// tests, with a fake) can hold a hot key.

#include <functional>
#include <memory>

namespace marlune::platform {

// Modifier bits of a hot key, the values base.ini's HotKeyPress stores.
enum HotKeyModifier : int { kHotKeyModAlt = 1, kHotKeyModCtrl = 2 };

class GlobalHotKey {
public:
    virtual ~GlobalHotKey() = default;

    // Claims modifiers (kHotKeyModAlt and/or kHotKeyModCtrl, at least one) with key, a
    // digit '0'-'9' or a capital letter 'A'-'Z', for this program. A combination held
    // before is released first. False when the combination cannot be had: another
    // program holds it, the arguments are out of range, or there is no window system
    // to ask. Nothing is held then, and nothing is reported to the user.
    virtual bool Register(int modifiers, char key) = 0;

    // Releases the combination; does nothing when none is held.
    virtual void Unregister() = 0;

    virtual bool IsRegistered() const = 0;

    // Called on the GUI thread, from the event loop, each time the held combination is
    // pressed. The handler may run a nested event loop (a modal dialog).
    void SetPressedHandler(std::function<void()> handler) { m_handler = std::move(handler); }

protected:
    void notifyPressed() const {
        if (m_handler)
            m_handler();
    }

private:
    std::function<void()> m_handler;
};

// True for the combinations Register accepts.
inline bool IsValidHotKey(int modifiers, char key) {
    const bool modifiersOk = modifiers > 0 && (modifiers & ~(kHotKeyModAlt | kHotKeyModCtrl)) == 0;
    const bool keyOk = (key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z');
    return modifiersOk && keyOk;
}

// The hot key of the window system the program runs on: X11 key grabs, Windows
// RegisterHotKey. Where there is neither (the offscreen platform, Wayland) the hot key
// never registers. Needs the QGuiApplication to exist.
std::unique_ptr<GlobalHotKey> CreateGlobalHotKey();

} // namespace marlune::platform
