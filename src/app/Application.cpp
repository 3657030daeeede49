#include "app/Application.h"

#include "text/BeijingTime.h"

#include "app/InstallLayout.h"
#include "app/Owner.h"
#include "app/TrayIcon.h"
#include "config/FirstRun.h"
#include "config/ProgramFolder.h"
#include "config/StartupFiles.h"
#include "net/ServiceEndpoints.h"
#include "platform/CommandChannel.h"
#include "platform/GlobalHotKey.h"
#include "sim/SimServer.h"
#include "text/BeijingTime.h"
#include "ticker/QuoteGrid.h"
#include "ticker/TickerWindow.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QMessageBox>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace marlune {

const char* const Application::kConfigFailedText = "无法创建配置文件，请检查磁盘空间";
const char* const Application::kCommandChannel = "marlune";

std::string Application::ChannelFolder(const QString& folder) {
    const QFileInfo info(folder);
    const QString canonical = info.canonicalFilePath();
    return QDir::cleanPath(canonical.isEmpty() ? info.absoluteFilePath() : canonical).toStdString();
}

Application::Application(StartupOptions options) : m_options(std::move(options)) {}

// The owner (and its ticker window and download workers) ends before the simulated
// market it may be talking to.
Application::~Application() {
    m_listener.reset();
    m_owner.reset();
    m_sim.reset();
}

void Application::reportRefusedSettingsFiles() {
    const std::vector<std::string> refused = RefusedSettingsFiles(ProgramFolder());
    if (refused.empty())
        return;
    const std::string text = RefusedSettingsFilesText(refused);
    std::fprintf(stderr, "marlune: %s\n", text.c_str());
    // The program starts on with its defaults; the message waits beside it.
    auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Marlune"), QString::fromStdString(text),
                                QMessageBox::Ok);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->show();
}

void Application::claimProgramFolder() {
    if (ClaimProgramFolder(m_folderClaim, ProgramFolder()) != FolderClaim::kAlreadyRunning)
        return;
    std::fprintf(stderr, "marlune: %s (%s)\n", kAlreadyRunningText, ProgramFolder().c_str());
    // Both programs may run; the message waits beside the window, as the user decides.
    auto* box = new QMessageBox(QMessageBox::Information, QStringLiteral("Marlune"),
                                QString::fromUtf8(kAlreadyRunningText), QMessageBox::Ok);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->show();
}

bool Application::start(int& exitCode) {
    if (!m_options.home.isEmpty()) {
        SetProgramFolder(m_options.home.toStdString());
    } else {
        const QString executableFolder = QCoreApplication::applicationDirPath();
        const QString folder = DefaultProgramFolder(executableFolder);
        if (folder != executableFolder) {
            QDir().mkpath(folder);
            SetProgramFolder(folder.toStdString());
        }
    }
    if (m_options.demo) {
        sim::SimOptions market;
        if (m_options.beijingTime) {
            // The demo market keeps the exchanges' hours from the same moment as the ticker.
            market.calendar.enabled = true;
            market.clock = [clock = RunningClock(*m_options.beijingTime)] { return clock.Now(); };
        }
        m_sim = std::make_unique<sim::SimServer>(market);
        if (m_sim->Start(0) < 0) {
            std::fprintf(stderr, "marlune: the simulated market could not be started\n");
            exitCode = 1;
            return false;
        }
        for (const QString& query : m_options.demoFaults) {
            std::string error;
            if (!m_sim->SetFaultFromQuery(query.toStdString(), &error)) {
                std::fprintf(stderr, "marlune: --demo-fault %s: %s\n", qPrintable(query), error.c_str());
                exitCode = 2;
                return false;
            }
        }
        PointAllServicesAt(m_sim->BaseUrl());
    } else if (!m_options.services.isEmpty() && !PointAllServicesAt(m_options.services.toStdString())) {
        std::fprintf(stderr, "marlune: not a usable service URL: %s\n", qPrintable(m_options.services));
        exitCode = 2;
        return false;
    }
    if (!CreateFirstRunFiles(m_options.demo ? DemoListIni() : std::string())) {
        QMessageBox::warning(nullptr, QStringLiteral("Marlune"), QString::fromUtf8(kConfigFailedText));
        exitCode = 0;
        return false;
    }
    RemoveStaleSaveFiles(ProgramFolder(), ProgramStartTime());
    reportRefusedSettingsFiles();
    claimProgramFolder();
    Owner::Parts parts;
    if (m_options.beijingTime) {
        // Trading hours, the holiday check and the request stamps all read this clock.
        parts.tickerJobsAndClocks.clock = [clock = RunningClock(*m_options.beijingTime)] {
            return clock.Now();
        };
        // The waits (throttle, retries) keep to the machine's steady clock all the same.
        parts.tickerJobsAndClocks.steadyMs = SteadyClockMs;
    }
    m_owner = std::make_unique<Owner>(std::move(parts));
    QObject::connect(m_owner.get(), &Owner::exitRequested, qApp, [] { QCoreApplication::exit(0); });
    // Commands from other programs; without a channel the program runs on without them.
    m_listener = platform::CreateCommandListener(kCommandChannel,
                                                 ChannelFolder(QString::fromStdString(ProgramFolder())));
    m_listener->SetHandler([owner = m_owner.get()](platform::ChannelCommand command) {
        owner->OnExternalCommand(command.command, command.param);
    });
    m_listener->Listen();
    m_owner->Start();
    // Start-up itself may end the program (a refused start-up password with no way to
    // ask again); the event loop then never starts.
    if (m_owner->Core().Ended()) {
        exitCode = 0;
        return false;
    }
    // The first refill comes from the event loop, so tracing can start after the window.
    if (std::getenv("MARLUNE_TRACE_FIRST_PAINT") != nullptr)
        TraceFirstQuotesPainted(*m_owner);
    return true;
}

int Application::Run() {
    int exitCode = 0;
    if (!start(exitCode))
        return exitCode;
    return QApplication::exec();
}

namespace {

// Waits for the grid's first paint after its first refill with quotes.
class FirstPaintTracer final : public QObject {
public:
    explicit FirstPaintTracer(QWidget* grid) : QObject(grid), m_grid(grid) {}
    void Arm() {
        if (!m_armed) {
            m_armed = true;
            m_grid->installEventFilter(this);
        }
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_grid && event->type() == QEvent::Paint) {
            // The paint runs right after this filter; it takes well under a millisecond.
            std::fprintf(stderr, "marlune: first quotes painted at %lld\n",
                         static_cast<long long>(QDateTime::currentMSecsSinceEpoch()));
            std::fflush(stderr);
            m_grid->removeEventFilter(this);
            deleteLater();
        }
        return false;
    }

private:
    QWidget* m_grid;
    bool m_armed = false;
};

} // namespace

void TraceFirstQuotesPainted(Owner& owner) {
    TickerWindow* ticker = owner.Ticker();
    if (ticker == nullptr)
        return;
    auto* tracer = new FirstPaintTracer(ticker->Grid());
    QObject::connect(ticker, &TickerWindow::quotesRefilled, tracer, [tracer] { tracer->Arm(); });
}

} // namespace marlune
