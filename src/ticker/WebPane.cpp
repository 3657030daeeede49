#include "ticker/WebPane.h"

#include "platform/BrowserSandbox.h"
#include "ticker/BrowserLaunchGate.h"
#include "ticker/BrowserLauncher.h"
#include "ticker/ExternalObject.h"
#include "ticker/FailurePage.h"
#include "ticker/WebPaneHost.h"

#include <QCoreApplication>
#include <QLibrary>
#include <QOpenGLContext>
#include <QResizeEvent>
#include <QStringList>
#include <QUrl>

#if defined(MARLUNE_HAVE_WEBENGINE) && QT_CONFIG(opengl)
// QtGui's own setter of the global share context (exported, not in its public headers); the
// browser engine calls it too when it is started after the application.
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext* context);
#endif

namespace marlune {
namespace {

#ifdef MARLUNE_HAVE_WEBENGINE
QStringList ModuleCandidates() {
    const QString programFolder = QCoreApplication::applicationDirPath();
    QStringList candidates{programFolder + QStringLiteral("/marlune_webengine"),
                           programFolder + QStringLiteral("/../lib/marlune/marlune_webengine")};
#ifdef MARLUNE_WEBENGINE_MODULE
    candidates << QStringLiteral(MARLUNE_WEBENGINE_MODULE); // where the build tree has it
#endif
    return candidates;
}

#if QT_CONFIG(opengl)
QOpenGLContext* g_shareContext = nullptr;

void DeleteShareContext() {
    qt_gl_set_global_share_context(nullptr);
    delete g_shareContext;
    g_shareContext = nullptr;
}
#endif

// The engine draws with OpenGL contexts that share with the application's global share context
// (and crashes on OpenGL displays without one). Applications usually ask Qt for it before they
// start, but that loads the OpenGL driver at every start; it is made here instead, just before
// the engine, the way the engine itself does when it is started late.
void ProvideGlobalShareContext() {
#if QT_CONFIG(opengl)
    if (QOpenGLContext::globalShareContext() != nullptr)
        return;
    g_shareContext = new QOpenGLContext;
    g_shareContext->create(); // may fail (no OpenGL): the engine then draws without it
    qt_gl_set_global_share_context(g_shareContext);
    qAddPostRoutine(DeleteShareContext);
#endif
}
#endif

CreateWebPaneHostFunction LoadEngineEntryPoint() {
#ifdef MARLUNE_HAVE_WEBENGINE
    platform::AllowBrowserEngineWithoutSandboxWhenSuperuser();
    ProvideGlobalShareContext();
    for (const QString& candidate : ModuleCandidates()) {
        // Never unloaded: the engine runs until the program ends.
        QLibrary module(candidate);
        if (!module.load())
            continue;
        if (auto entry =
                reinterpret_cast<CreateWebPaneHostFunction>(module.resolve(kCreateWebPaneHostSymbol)))
            return entry;
    }
#endif
    return nullptr;
}

// Addresses the engine would drop without reporting anything.
bool IsNavigable(const QUrl& address) {
    if (!address.isValid() || address.isRelative())
        return false;
    const QString scheme = address.scheme().toLower();
    const bool needsHost = scheme == QLatin1String("http") || scheme == QLatin1String("https");
    return !needsHost || !address.host().isEmpty();
}

CreateWebPaneHostFunction EngineEntryPoint() {
    static const CreateWebPaneHostFunction entry = LoadEngineEntryPoint();
    return entry;
}

} // namespace

WebPane::WebPane(QWidget* parent) : QWidget(parent) {
    setContextMenuPolicy(Qt::NoContextMenu);
    m_loadTimer.setSingleShot(true);
    m_loadTimer.setInterval(kDefaultLoadTimeoutMs);
    connect(&m_loadTimer, &QTimer::timeout, this, [this] { onLoadFinished(PageLoadResult::Failed); });
}

// The engine's view goes before the external object it publishes.
WebPane::~WebPane() {
    m_host.reset();
}

WebPane* WebPane::CreateInPlaceOf(QWidget* placeholder) {
    auto* pane = new WebPane(placeholder->parentWidget());
    pane->setObjectName(placeholder->objectName());
    pane->setGeometry(placeholder->geometry());
    pane->setVisible(!placeholder->isHidden());
    delete placeholder;
    return pane;
}

bool WebPane::IsEngineAvailable() {
    return EngineEntryPoint() != nullptr;
}

void WebPane::setLoadTimeout(int milliseconds) {
    m_loadTimer.setInterval(milliseconds);
}

bool WebPane::ensureHost() {
    if (m_host)
        return true;
    const CreateWebPaneHostFunction create = EngineEntryPoint();
    if (!create)
        return false;
    m_external = new ExternalObject(m_launchGate, this);
    WebPaneHostSetup setup;
    setup.parent = this;
    setup.external = m_external;
    setup.maxExternalTextLength = kMaxBrowserAddressLength;
    setup.loadStarted = [this] { onLoadStarted(); };
    setup.loadFinished = [this](PageLoadResult result) { onLoadFinished(result); };
    setup.htmlShown = [this] { onHtmlShown(); };
    // A new window a page asks for (window.open, a link to another window) is a launch
    // like ShowDlg: only in answer to the user's click.
    setup.openExternally = [this](const QUrl& url) {
        if (!BrowserAddress(url.toString()).isEmpty() && m_launchGate.TakeLaunch())
            OpenInBrowser(url.toString());
    };
    m_host.reset(create(setup));
    if (!m_host)
        return false;
    new UserClickWatcher(m_host->view(), m_launchGate);
    m_host->view()->setGeometry(rect());
    m_host->view()->show();
    return true;
}

void WebPane::Navigate(const QString& url) {
    m_url = url;
    m_downloadComplete = false;
    m_failure = FailureState::None;
    if (!ensureHost()) {
        OpenInBrowser(url);
        return;
    }
    const QUrl address(url);
    if (!IsNavigable(address)) {
        pageFailed();
        return;
    }
    m_loadTimer.start();
    m_host->Navigate(address);
}

void WebPane::onLoadStarted() {
    // Pages may navigate by themselves (links, scripts): each load gets its own time limit.
    if (m_failure == FailureState::None)
        m_loadTimer.start();
}

void WebPane::onLoadFinished(PageLoadResult result) {
    // Once a page has failed, whatever the replaced load still reports is of no interest.
    if (m_failure != FailureState::None || result == PageLoadResult::Stopped)
        return;
    m_loadTimer.stop();
    if (result == PageLoadResult::Succeeded) {
        m_downloadComplete = true;
        emit loadFinished(true);
        return;
    }
    pageFailed();
}

void WebPane::pageFailed() {
    m_loadTimer.stop();
    if (m_showsFailurePage && m_host) {
        // Set before the page is replaced, so that nothing the replacement reports can
        // count as another failure.
        m_failure = FailureState::Loading;
        m_host->showHtml(FailurePageHtml());
    }
    emit loadFinished(false);
}

void WebPane::onHtmlShown() {
    if (m_failure != FailureState::Loading)
        return;
    m_failure = FailureState::Shown;
    emit failurePageShown();
}

void WebPane::runJavaScript(const QString& script, std::function<void(const QVariant&)> done) {
    if (!m_host) {
        if (done)
            done(QVariant());
        return;
    }
    m_host->runJavaScript(script, std::move(done));
}

void WebPane::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (m_host)
        m_host->view()->setGeometry(rect());
}

} // namespace marlune
