// The hot key on Windows: RegisterHotKey for the GUI thread (no window), and WM_HOTKEY
// picked out of the thread's messages by a native event filter. A combination another
// program holds makes RegisterHotKey fail; that failure is quiet.
#if defined(_WIN32)

#include "platform/GlobalHotKeyBackends.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QMetaObject>
#include <QObject>

#include <windows.h>

namespace marlune::platform {

namespace {

// The hot key's identifier for RegisterHotKey.
constexpr int kHotKeyId = 1002;

class WindowsHotKey final : public GlobalHotKey, private QAbstractNativeEventFilter {
public:
    WindowsHotKey() { QCoreApplication::instance()->installNativeEventFilter(this); }

    ~WindowsHotKey() override {
        Unregister();
        if (QCoreApplication::instance() != nullptr)
            QCoreApplication::instance()->removeNativeEventFilter(this);
    }

    bool Register(int modifiers, char key) override {
        Unregister();
        if (!IsValidHotKey(modifiers, key))
            return false;
        UINT flags = 0;
        if (modifiers & kHotKeyModAlt)
            flags |= MOD_ALT;
        if (modifiers & kHotKeyModCtrl)
            flags |= MOD_CONTROL;
        // Digits and capital letters are their own virtual-key codes.
        m_registered = RegisterHotKey(nullptr, kHotKeyId, flags, static_cast<UINT>(key)) != 0;
        return m_registered;
    }

    void Unregister() override {
        if (!m_registered)
            return;
        UnregisterHotKey(nullptr, kHotKeyId);
        m_registered = false;
    }

    bool IsRegistered() const override { return m_registered; }

private:
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
        if (!m_registered || eventType != "windows_generic_MSG")
            return false;
        const MSG* msg = static_cast<const MSG*>(message);
        if (msg->message != WM_HOTKEY || msg->wParam != kHotKeyId)
            return false;
        QMetaObject::invokeMethod(
            &m_context, [this] { notifyPressed(); }, Qt::QueuedConnection);
        return true;
    }

    bool m_registered = false;
    QObject m_context;
};

} // namespace

std::unique_ptr<GlobalHotKey> CreateWindowsHotKey() {
    if (QCoreApplication::instance() == nullptr)
        return nullptr;
    return std::make_unique<WindowsHotKey>();
}

} // namespace marlune::platform

#endif
