#pragma once
// Whether a page may open the default browser now. The pages of the web panes come over
// plain HTTP, so anyone between the program and the site could serve one that calls
// window.external.ShowDlg or window.open in a loop. A page may open the browser only in
// answer to the user's click in its pane, once per click, and at most once a second;
// every other call is ignored.

#include <QObject>

#include <chrono>
#include <functional>

class QWidget;

namespace marlune {

class BrowserLaunchGate {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    // A click lets one launch through for this long: the page's answer to it arrives over
    // the web channel a moment later.
    static constexpr std::chrono::milliseconds kClickAnswerTime{1000};
    // Launches are at least this far apart, clicks or not.
    static constexpr std::chrono::milliseconds kMinLaunchInterval{1000};

    explicit BrowserLaunchGate(Clock clock = std::chrono::steady_clock::now);

    // The user clicked in the pane.
    void NoteUserClick();

    // Whether a launch asked for now goes ahead; one that does uses up the click.
    bool TakeLaunch();

private:
    Clock m_clock;
    bool m_clicked = false;
    std::chrono::steady_clock::time_point m_clickAt{};
    bool m_launched = false;
    std::chrono::steady_clock::time_point m_launchAt{};
};

// Tells the gate of every mouse click in a widget and in the widgets it holds, those it
// gets later included (the browser engine makes its input widget when the first page
// shows). Owned by the watched widget.
class UserClickWatcher final : public QObject {
public:
    UserClickWatcher(QWidget* watched, BrowserLaunchGate& gate);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void watch(QObject* object);

    BrowserLaunchGate& m_gate;
};

} // namespace marlune
