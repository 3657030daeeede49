// Command channels on Windows: every program creates a hidden window of the class
// "sorFrame" that takes WM_TICKER_COMMAND (WM_USER + 100) with the command in wParam
// and the parameter in lParam, as other programs have always sent them. A sender
// finds the first such window by its class. (The family name only matters to the
// local sockets of other systems: all programs here share the class.)
#if defined(_WIN32)

#include "platform/CommandChannel.h"

#include <QMetaObject>
#include <QObject>

#include <windows.h>

namespace marlune::platform {

namespace {

constexpr char kWindowClass[] = "sorFrame";
constexpr UINT kTickerCommandMessage = WM_USER + 100;

class WindowCommandListener;

LRESULT CALLBACK ChannelWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

bool RegisterChannelClass() {
    static const bool registered = [] {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = ChannelWindowProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = kWindowClass;
        return RegisterClassA(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }();
    return registered;
}

class WindowCommandListener final : public CommandListener {
public:
    ~WindowCommandListener() override {
        if (m_window != nullptr)
            DestroyWindow(m_window);
    }

    bool Listen() override {
        if (m_window != nullptr)
            return true;
        if (!RegisterChannelClass())
            return false;
        // A hidden tool window: never on the screen or in the task bar, but found by
        // FindWindow, unlike a message-only window.
        m_window = CreateWindowExA(WS_EX_TOOLWINDOW, kWindowClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                   GetModuleHandleA(nullptr), nullptr);
        if (m_window == nullptr)
            return false;
        SetWindowLongPtrA(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        return true;
    }

    std::string ChannelName() const override { return m_window != nullptr ? kWindowClass : ""; }

    void Received(WPARAM wParam, LPARAM lParam) {
        const ChannelCommand command{static_cast<int>(wParam), static_cast<long>(lParam)};
        // Out of the window procedure first: the handler may open modal dialogs.
        QMetaObject::invokeMethod(
            &m_context, [this, command] { deliver(command); }, Qt::QueuedConnection);
    }

private:
    HWND m_window = nullptr;
    QObject m_context;
};

LRESULT CALLBACK ChannelWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kTickerCommandMessage) {
        auto* listener = reinterpret_cast<WindowCommandListener*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (listener != nullptr)
            listener->Received(wParam, lParam);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

// A window class is seen only on its own desktop; the program folder does not tell
// programs apart here.
std::unique_ptr<CommandListener> CreateCommandListener(const std::string&, const std::string&) {
    return std::make_unique<WindowCommandListener>();
}

bool SendChannelCommand(const std::string&, const std::string&, ChannelCommand command) {
    HWND window = FindWindowA(kWindowClass, nullptr);
    if (window == nullptr)
        return false;
    return PostMessageA(window, kTickerCommandMessage, static_cast<WPARAM>(command.command),
                        static_cast<LPARAM>(command.param)) != 0;
}

} // namespace marlune::platform

#endif
