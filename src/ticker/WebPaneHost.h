#pragma once
// The browser engine behind a WebPane. The engine (Qt WebEngine) lives in a module of its own,
// loaded when the first page is shown, so that the program does not load or start a browser
// engine before then. This header is all the two sides share; it names no WebEngine type.

#include <QString>
#include <QUrl>
#include <QVariant>

#include <functional>

class QObject;
class QWidget;

namespace marlune {

// How a page load the engine reports ended.
enum class PageLoadResult {
    Succeeded,
    Failed,  // network error, HTTP error status, invalid address, crashed page
    Stopped, // replaced by another navigation or stopped: not an error of the page
};

// What a pane gives the engine when it creates it.
struct WebPaneHostSetup {
    QWidget* parent = nullptr;     // the pane; the engine's view becomes its child
    QObject* external = nullptr;   // published to every page as window.external
    int maxExternalTextLength = 0; // longer texts passed to window.external are dropped in the page
    std::function<void()> loadStarted;
    std::function<void(PageLoadResult)> loadFinished;
    std::function<void()> htmlShown; // a page given by showHtml has loaded
    // A page asked for a new window (the engine lets a page ask only in answer to a click).
    std::function<void(const QUrl&)> openExternally;
};

class WebPaneHost {
public:
    virtual ~WebPaneHost() = default;

    // The engine's view: a child of the pane, without border or context menu.
    virtual QWidget* view() const = 0;
    virtual void Navigate(const QUrl& url) = 0;
    // Replaces the page by html (UTF-8); reported through htmlShown, never as a page load.
    virtual void showHtml(const QString& html) = 0;
    virtual void runJavaScript(const QString& script, std::function<void(const QVariant&)> done) = 0;
};

// The module's entry point: a C function of this type under kCreateWebPaneHostSymbol.
using CreateWebPaneHostFunction = WebPaneHost* (*)(const WebPaneHostSetup& setup);
inline constexpr char kCreateWebPaneHostSymbol[] = "marlune_CreateWebPaneHost";

} // namespace marlune
