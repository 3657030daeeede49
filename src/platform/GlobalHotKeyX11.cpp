// The hot key on X11: a passive grab of the key on every root window, made four times
// (as pressed, with NumLock, with CapsLock, with both) so that the lock keys do not
// matter, and the key presses picked out of Qt's event stream by a native event filter.
// A grab another client holds fails with BadAccess: the registration then fails
// quietly and leaves nothing grabbed.
#if defined(MARLUNE_HAVE_XCB) && !defined(_WIN32)

#include "platform/GlobalHotKeyBackends.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMetaObject>
#include <QObject>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <cctype>
#include <cstdlib>
#include <vector>

namespace marlune::platform {

namespace {

// The lock keys' modifier bits: CapsLock is Lock, NumLock is Mod2 on every usual
// keyboard mapping.
constexpr std::uint16_t kLockVariants[] = {0, XCB_MOD_MASK_LOCK, XCB_MOD_MASK_2,
                                           XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2};
// The modifiers that make a different combination; the others (lock keys, Mod3, Mod5)
// are ignored when a press is matched.
constexpr std::uint16_t kSignificantModifiers =
    XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_4;

class X11HotKey final : public GlobalHotKey, private QAbstractNativeEventFilter {
public:
    explicit X11HotKey(xcb_connection_t* connection) : m_connection(connection) {
        xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(m_connection));
        for (; screens.rem > 0; xcb_screen_next(&screens))
            m_roots.push_back(screens.data->root);
        QCoreApplication::instance()->installNativeEventFilter(this);
    }

    ~X11HotKey() override {
        Unregister();
        if (QCoreApplication::instance() != nullptr)
            QCoreApplication::instance()->removeNativeEventFilter(this);
    }

    bool Register(int modifiers, char key) override {
        Unregister();
        if (!IsValidHotKey(modifiers, key))
            return false;
        const xcb_keycode_t keycode = keycodeOf(key);
        if (keycode == 0)
            return false;
        std::uint16_t mask = 0;
        if (modifiers & kHotKeyModAlt)
            mask |= XCB_MOD_MASK_1;
        if (modifiers & kHotKeyModCtrl)
            mask |= XCB_MOD_MASK_CONTROL;

        // Every grab is checked at once, so that a combination held elsewhere is
        // known before the next one is tried, and what was grabbed can be let go.
        std::vector<std::pair<xcb_window_t, std::uint16_t>> grabbed;
        for (xcb_window_t root : m_roots) {
            for (std::uint16_t variant : kLockVariants) {
                xcb_void_cookie_t cookie = xcb_grab_key_checked(
                    m_connection, 1, root, mask | variant, keycode, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
                if (xcb_generic_error_t* error = xcb_request_check(m_connection, cookie)) {
                    std::free(error);
                    for (const auto& [window, modifierMask] : grabbed)
                        xcb_ungrab_key(m_connection, keycode, window, modifierMask);
                    xcb_flush(m_connection);
                    return false;
                }
                grabbed.emplace_back(root, static_cast<std::uint16_t>(mask | variant));
            }
        }
        m_keycode = keycode;
        m_mask = mask;
        return true;
    }

    void Unregister() override {
        if (m_keycode == 0)
            return;
        for (xcb_window_t root : m_roots)
            for (std::uint16_t variant : kLockVariants)
                xcb_ungrab_key(m_connection, m_keycode, root, m_mask | variant);
        xcb_flush(m_connection);
        m_keycode = 0;
        m_mask = 0;
    }

    bool IsRegistered() const override { return m_keycode != 0; }

private:
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
        if (m_keycode == 0 || eventType != "xcb_generic_event_t")
            return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7f) != XCB_KEY_PRESS)
            return false;
        const auto* press = reinterpret_cast<const xcb_key_press_event_t*>(event);
        if (press->detail != m_keycode || (press->state & kSignificantModifiers) != m_mask)
            return false;
        // The handler may open a modal dialog; that must not happen inside Qt's event
        // reading, so it runs from the event loop. The context object ends with this
        // hot key, and with it any call still waiting.
        QMetaObject::invokeMethod(
            &m_context, [this] { notifyPressed(); }, Qt::QueuedConnection);
        return true;
    }

    xcb_keycode_t keycodeOf(char key) const {
        xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(m_connection);
        if (symbols == nullptr)
            return 0;
        // Latin-1 keysyms are the characters' codes; a letter key's own symbol is the
        // small letter.
        const xcb_keysym_t keysym = static_cast<xcb_keysym_t>(std::tolower(static_cast<unsigned char>(key)));
        xcb_keycode_t found = 0;
        if (xcb_keycode_t* codes = xcb_key_symbols_get_keycode(symbols, keysym)) {
            found = codes[0] != XCB_NO_SYMBOL ? codes[0] : 0;
            std::free(codes);
        }
        xcb_key_symbols_free(symbols);
        return found;
    }

    xcb_connection_t* m_connection;
    std::vector<xcb_window_t> m_roots;
    xcb_keycode_t m_keycode = 0;
    std::uint16_t m_mask = 0;
    QObject m_context;
};

} // namespace

std::unique_ptr<GlobalHotKey> CreateX11HotKey() {
    auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (application == nullptr)
        return nullptr;
    auto* x11 = application->nativeInterface<QNativeInterface::QX11Application>();
    // The offscreen platform has the interface but no connection.
    if (x11 == nullptr || x11->connection() == nullptr)
        return nullptr;
    return std::make_unique<X11HotKey>(x11->connection());
}

} // namespace marlune::platform

#endif
