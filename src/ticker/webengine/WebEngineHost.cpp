// The Qt WebEngine side of the web panes, built as a module that WebPane loads when it shows its
// first page. Everything here is plumbing; what a pane does with the events is WebPane's business.

#include "ticker/WebPaneHost.h"

#include <QFile>
#include <QPointer>
#include <QWebChannel>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include <utility>

namespace marlune {
namespace {

constexpr char kExternalObjectName[] = "marluneExternal";

QString ReadResource(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

// The script that gives pages their window.external. The channel's client library is wrapped
// with it in one function, so that pages see window.external and nothing else of it.
QString ExternalScriptSource(int maxTextLength) {
    QString external = ReadResource(QStringLiteral(":/web/external.js"));
    external.replace(QLatin1String("@MAX_TEXT_LENGTH@"), QString::number(maxTextLength));
    return QStringLiteral("(function () {\n") +
           ReadResource(QStringLiteral(":/qtwebchannel/qwebchannel.js")) + QStringLiteral("\n") + external +
           QStringLiteral("\n})();\n");
}

// Stands in for a window a page asks for (target="_blank", window.open): the address it is
// about to load goes to the default browser, and the stand-in goes away.
class NewWindowCatcher final : public QWebEnginePage {
public:
    NewWindowCatcher(QWebEngineProfile* profile, std::function<void(const QUrl&)> open, QObject* parent)
        : QWebEnginePage(profile, parent), m_open(std::move(open)) {}

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType, bool isMainFrame) override {
        if (isMainFrame) {
            if (m_open)
                m_open(url);
            deleteLater();
        }
        return false;
    }

private:
    std::function<void(const QUrl&)> m_open;
};

class HostPage final : public QWebEnginePage {
public:
    HostPage(std::function<void(const QUrl&)> openExternally, QObject* parent)
        : QWebEnginePage(parent), m_openExternally(std::move(openExternally)) {}

protected:
    QWebEnginePage* createWindow(WebWindowType) override {
        return new NewWindowCatcher(profile(), m_openExternally, this);
    }

private:
    std::function<void(const QUrl&)> m_openExternally;
};

class WebEngineHost final : public WebPaneHost {
public:
    explicit WebEngineHost(const WebPaneHostSetup& setup) : m_setup(setup) {
        m_view = new QWebEngineView(setup.parent);
        m_view->setContextMenuPolicy(Qt::NoContextMenu);
        m_page = new HostPage(setup.openExternally, m_view);
        // A failed load is reported at once instead of after the engine's own error page has
        // loaded; the pane puts its own failure page in place.
        m_page->settings()->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
        // No window without the user's click, as the engine's popup blocker decides; the
        // pane checks the same again before it opens the browser (openExternally).
        m_page->settings()->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);

        auto* channel = new QWebChannel(m_page);
        if (setup.external)
            channel->registerObject(QLatin1String(kExternalObjectName), setup.external);
        m_page->setWebChannel(channel, QWebEngineScript::MainWorld);

        QWebEngineScript script;
        script.setName(QStringLiteral("marlune-external"));
        script.setSourceCode(ExternalScriptSource(setup.maxExternalTextLength));
        script.setInjectionPoint(QWebEngineScript::DocumentCreation);
        script.setWorldId(QWebEngineScript::MainWorld);
        script.setRunsOnSubFrames(false);
        m_page->scripts().insert(script);

        QObject::connect(m_page, &QWebEnginePage::loadingChanged, m_view,
                         [this](const QWebEngineLoadingInfo& info) { onLoadingChanged(info); });
        QObject::connect(m_page, &QWebEnginePage::renderProcessTerminated, m_view,
                         [this](QWebEnginePage::RenderProcessTerminationStatus status, int) {
                             if (status != QWebEnginePage::NormalTerminationStatus && m_setup.loadFinished)
                                 m_setup.loadFinished(PageLoadResult::Failed);
                         });
        m_view->setPage(m_page);
    }

    ~WebEngineHost() override { delete m_view.data(); }

    QWidget* view() const override { return m_view; }

    void Navigate(const QUrl& url) override { m_page->load(url); }

    // Loaded as a data: address, which pages cannot open by themselves in the main frame: the
    // loads of such an address are this html's.
    void showHtml(const QString& html) override { m_page->setHtml(html); }

    void runJavaScript(const QString& script, std::function<void(const QVariant&)> done) override {
        m_page->runJavaScript(script, QWebEngineScript::MainWorld,
                              [done = std::move(done)](const QVariant& v) {
                                  if (done)
                                      done(v);
                              });
    }

private:
    void onLoadingChanged(const QWebEngineLoadingInfo& info) {
        const bool ownHtml = info.url().scheme() == QLatin1String("data");
        switch (info.status()) {
        case QWebEngineLoadingInfo::LoadStartedStatus:
            if (!ownHtml && m_setup.loadStarted)
                m_setup.loadStarted();
            break;
        case QWebEngineLoadingInfo::LoadSucceededStatus:
            if (ownHtml) {
                if (m_setup.htmlShown)
                    m_setup.htmlShown();
            } else if (m_setup.loadFinished) {
                m_setup.loadFinished(PageLoadResult::Succeeded);
            }
            break;
        case QWebEngineLoadingInfo::LoadStoppedStatus:
            if (!ownHtml && m_setup.loadFinished)
                m_setup.loadFinished(PageLoadResult::Stopped);
            break;
        case QWebEngineLoadingInfo::LoadFailedStatus:
            if (!ownHtml && m_setup.loadFinished)
                m_setup.loadFinished(PageLoadResult::Failed);
            break;
        }
    }

    WebPaneHostSetup m_setup;
    QPointer<QWebEngineView> m_view;
    HostPage* m_page = nullptr; // owned by the view
};

} // namespace
} // namespace marlune

// The module's entry point; the caller owns the host it returns.
extern "C" Q_DECL_EXPORT marlune::WebPaneHost*
marlune_CreateWebPaneHost(const marlune::WebPaneHostSetup& setup) {
    return new marlune::WebEngineHost(setup);
}
