#include "ticker/WebPane.h"

#include "platform/BrowserSandbox.h"
#include "ticker/BrowserLauncher.h"
#include "ticker/ExternalObject.h"
#include "ticker/FailurePage.h"
#include "ticker/WebPaneHost.h"

#include <QCoreApplication>
#include <QLibrary>
#include <QResizeEvent>
#include <QStringList>
#include <QUrl>

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
#endif

CreateWebPaneHostFunction LoadEngineEntryPoint() {
#ifdef MARLUNE_HAVE_WEBENGINE
    // Started in an application that was not prepared for it, the engine crashes on displays with
    // OpenGL; pages then go to the default browser instead.
    if (!QCoreApplication::testAttribute(Qt::AA_ShareOpenGLContexts))
        return nullptr;
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

void PrepareApplicationForWebPanes() {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    platform::AllowBrowserEngineWithoutSandboxWhenSuperuser();
}

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
    m_external = new ExternalObject(this);
    WebPaneHostSetup setup;
    setup.parent = this;
    setup.external = m_external;
    setup.maxExternalTextLength = kMaxBrowserAddressLength;
    setup.loadStarted = [this] { onLoadStarted(); };
    setup.loadFinished = [this](PageLoadResult result) { onLoadFinished(result); };
    setup.htmlShown = [this] { onHtmlShown(); };
    setup.openExternally = [](const QUrl& url) { OpenInBrowser(url.toString()); };
    m_host.reset(create(setup));
    if (!m_host)
        return false;
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
