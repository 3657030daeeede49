#pragma once
// A pane that shows web pages inside a window. The browser engine behind it is started only when
// the first page is shown, so panes cost next to nothing until then (the ticker window's own pane
// never shows one). Without an engine (built without Qt WebEngine, or its module missing) pages
// open in the default browser instead.

#include "ticker/BrowserLaunchGate.h"

#include <QString>
#include <QTimer>
#include <QVariant>
#include <QWidget>

#include <functional>
#include <memory>

namespace marlune {

class ExternalObject;
class WebPaneHost;
enum class PageLoadResult;

class WebPane : public QWidget {
    Q_OBJECT
public:
    // A page that has not finished loading by then counts as failed.
    static constexpr int kDefaultLoadTimeoutMs = 30000;

    explicit WebPane(QWidget* parent = nullptr);
    ~WebPane() override;
    WebPane(const WebPane&) = delete;
    WebPane& operator=(const WebPane&) = delete;

    // Puts a new pane where placeholder is (same parent, geometry, object name and visibility)
    // and deletes the placeholder.
    static WebPane* CreateInPlaceOf(QWidget* placeholder);

    // Whether pages can be shown inside the program. The first call loads the engine's module
    // (not the engine's processes), so ask only when a page is about to be shown.
    static bool IsEngineAvailable();

    // Shows the page at url in the pane, starting the engine on first use; without an engine
    // the page opens in the default browser. An invalid or relative url fails like a page that
    // cannot be reached.
    void Navigate(const QString& url);

    // The page last asked for through Navigate.
    QString url() const { return m_url; }
    // Whether the engine's view exists (a page has been shown).
    bool hasBrowser() const { return m_host != nullptr; }
    // Whether the page last asked for has finished loading.
    bool downloadComplete() const { return m_downloadComplete; }
    // Whether the failure page is in place of the page last asked for.
    bool isShowingFailurePage() const { return m_failure == FailureState::Shown; }

    // Replace pages that fail by the failure page (FailurePage.h). Off by default.
    void setShowsFailurePage(bool on) { m_showsFailurePage = on; }
    void setLoadTimeout(int milliseconds);

    // Runs script in the current page and hands its result to done; without a browser, done
    // gets an empty value at once.
    void runJavaScript(const QString& script, std::function<void(const QVariant&)> done);

signals:
    // A page asked for has loaded (true) or failed (false).
    void loadFinished(bool ok);
    // The failure page has been put in place of a failed page.
    void failurePageShown();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    enum class FailureState { None, Loading, Shown };

    bool ensureHost();
    void onLoadStarted();
    void onLoadFinished(PageLoadResult result);
    void onHtmlShown();
    void pageFailed();

    // Before the engine and the external object, which use it while they live.
    BrowserLaunchGate m_launchGate;
    std::unique_ptr<WebPaneHost> m_host;
    ExternalObject* m_external = nullptr;
    QTimer m_loadTimer;
    QString m_url;
    bool m_downloadComplete = false;
    bool m_showsFailurePage = false;
    FailureState m_failure = FailureState::None;
};

} // namespace marlune
