#include "app/Owner.h"

#include "app/AboutBox.h"
#include "app/DialogPlacement.h"
#include "app/MessageDialog.h"
#include "app/ShellTexts.h"
#include "app/TrayIcon.h"
#include "app/UnlockDialog.h"
#include "config/Profile.h"
#include "config/ProgramFolder.h"
#include "config/SettingsKeys.h"
#include "config/StealthSettings.h"
#include "cycle/RefreshTimers.h"
#include "net/DownloadProxy.h"
#include "net/ServiceEndpoints.h"
#include "platform/GlobalHotKey.h"
#include "platform/WindowPlatform.h"
#include "quote/HideSchedule.h"
#include "quote/TradingHours.h"
#include "settings/SettingsDialog.h"
#include "settings/SettingsPrompts.h"
#include "ticker/BrowserLauncher.h"
#include "ticker/TickerMenu.h"

#include <QApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QIcon>
#include <QProcess>
#include <QSysInfo>
#include <QUrl>

#include <chrono>
#include <cstdio>

namespace marlune {

namespace {

constexpr int kScheduleCheckMs = 30'000;

// What the hide button says before it hides the window when there is no tray icon.
QString HowToShowAgainText(const std::optional<HotKeyChoice>& hotKey) {
    if (!hotKey)
        return QString::fromUtf8(kHiddenWithoutTrayNoHotKeyText);
    const QString keys = QStringLiteral("%1+%2")
                             .arg(hotKey->modifiers == platform::kHotKeyModCtrl ? QStringLiteral("Ctrl")
                                                                                : QStringLiteral("Alt"))
                             .arg(QChar::fromLatin1(hotKey->key));
    return QString::fromUtf8(kHiddenWithoutTrayText).arg(keys);
}

void StartProgramFile(const QString& path) {
    const QFileInfo file(path);
    // A program starts; any other file opens with the program the desktop has for it.
    // Failures are not reported.
    if (file.isExecutable() && file.isFile())
        QProcess::startDetached(file.absoluteFilePath(), {}, file.absolutePath());
    else
        QDesktopServices::openUrl(QUrl::fromLocalFile(file.absoluteFilePath()));
}

} // namespace

bool TradingProgramNeedsChoosing(const QString& stored) {
    if (stored.size() < 3)
        return true;
    const QFileInfo file(stored);
    return !file.exists() || file.isDir();
}

Owner::Owner(QObject* parent) : Owner(Parts{}, parent) {}

Owner::Owner(Parts parts, QObject* parent)
    : QObject(parent), m_parts(std::move(parts)),
      m_hotKey(m_parts.hotKey ? std::move(m_parts.hotKey) : platform::CreateGlobalHotKey()),
      m_tray(m_parts.tray ? std::move(m_parts.tray)
                          : std::make_unique<SystemTrayIcon>(QApplication::windowIcon())),
      m_notifier(m_parts.notifier ? std::move(m_parts.notifier) : std::make_unique<DesktopNotifier>()),
      m_core(*this, *m_hotKey, BaseIniPath()),
      m_updates(std::make_unique<UpdateChecker>(m_parts.updateTimings, m_parts.fetcher)) {
    m_hotKey->SetPressedHandler([this] { m_core.OnHotKey(); });
    m_tray->SetHandler([this](int iconId, int message) { m_core.OnTrayIcon(iconId, message); });
    m_tipTimer.setSingleShot(true);
    connect(&m_tipTimer, &QTimer::timeout, this, &Owner::RestoreTip);
    // The schedule reads the clock each time rather than waiting for a moment: a clock set
    // anew, a machine woken from sleep or a test's clock are all taken as they are.
    m_scheduleTimer.setInterval(kScheduleCheckMs);
    connect(&m_scheduleTimer, &QTimer::timeout, this, &Owner::CheckSchedule);
    connect(m_updates.get(), &UpdateChecker::newStockTipArrived, this, &Owner::showNewStockBalloon);
}

Owner::~Owner() {
    // Downloads stop before anything they report to goes.
    m_updates->CancelAll();
    // A settings dialog still open goes with the owner it reports to.
    delete m_settingsDialog.data();
    m_ticker.reset();
}

void Owner::Start() {
    const ShellSettings settings = ReadShellSettings(BaseIniPath(), XmlSettingsPath());
    SetDownloadProxy(settings.proxy); // a setting that is not usable leaves the default
    m_core.Configure(settings);
    m_ticker = std::make_unique<TickerWindow>(this, m_parts.tickerJobsAndClocks);
    // Dialogs open on the monitor the ticker is on.
    SetDialogAnchor(m_ticker.get());
    m_ticker->setWindowIcon(QApplication::windowIcon());
    connect(m_ticker.get(), &TickerWindow::alertsRaised, this, &Owner::showAlertBalloon);
    m_updates->Start(settings.autoUpgrade == 1, settings.newStockTip == 1);
    const bool trayAvailable = m_tray->IsAvailable();
    if (!trayAvailable) {
        std::fputs("marlune: this desktop has no notification area; running without the tray icon "
                   "(the hot key and the ticker window's buttons still work)\n",
                   stderr);
    }
    m_core.StartUp(trayAvailable);
    CheckSchedule();
    m_scheduleTimer.start();
}

// ---------------------------------------------------------------------------------
// Commands

void Owner::ExitRequested() {
    m_core.Exit();
}

void Owner::OnMenuCommand(int id) {
    switch (id) {
    case kMenuSettings:
        m_core.OnSettingsCommand(-1);
        break;
    case kMenuAddStock:
        m_core.OnSettingsCommand(static_cast<int>(SettingsPageId::MyStocks));
        break;
    case kMenuRefresh:
        if (m_ticker)
            m_ticker->refreshQuotes();
        break;
    case kMenuStartTrading:
        launchTradingProgram();
        break;
    case kMenuTopMost:
        m_core.OnTopMostCommand();
        break;
    case kMenuShowHide:
        m_core.OnShowHideCommand();
        break;
    case kMenuPauseAlerts:
        m_alertsPaused = !m_alertsPaused;
        break;
    case kMenuPlainMode:
        if (m_ticker) {
            // Stored at once, so the next start and the display page show it too; the ticker
            // changes even when the file cannot be written.
            const bool on = !m_ticker->Settings().stealth.plainMode;
            StorePlainMode(XmlSettingsPath(), on);
            m_ticker->setPlainMode(on);
        }
        break;
    case kMenuVendorHome:
        openVendorPage(kVendorRegisterPage);
        break;
    case kMenuAdvice:
        openVendorPage(kVendorAdvicePage);
        break;
    case kMenuMarket:
        openVendorPage(kVendorMarketPage);
        break;
    case kMenuAbout:
        if (m_parts.showAbout) {
            m_parts.showAbout();
        } else {
            AboutBox about;
            about.exec();
        }
        break;
    case kMenuExit:
        m_core.Exit();
        break;
    default:
        break;
    }
}

void Owner::OnExternalCommand(int command, long param) {
    if (command == kCmdShowMenu)
        m_core.OnShowMenuCommand();
    else if (command == kCmdToggleWindow)
        m_core.OnToggleCommand();
    else if (command == kCmdShowWindow)
        m_core.OnShowCommand();
    else if (command == kCmdHideWindow)
        m_core.OnHideCommand();
    else if (command == kCmdRefresh && m_ticker)
        m_ticker->refreshQuotes();
    else if (command == kCmdRestore && param == 0)
        installStep();
}

void Owner::openVendorPage(std::string_view path) {
    OpenInBrowser(QString::fromStdString(ServiceBaseUrl(Service::kVendorSite)) + ShellText(path));
}

void Owner::startProgram(const QString& path) {
    if (m_parts.startProgram)
        m_parts.startProgram(path);
    else
        StartProgramFile(path);
}

void Owner::launchTradingProgram() {
    const std::string iniPath = BaseIniPath();
    QString program =
        QString::fromStdString(ProfileRead(iniPath, baseini::kReSoft.section, baseini::kReSoft.name));
    if (TradingProgramNeedsChoosing(program)) {
        program = m_parts.chooseTradingProgram ? m_parts.chooseTradingProgram() : ChooseProgramFile(nullptr);
        if (program.isEmpty())
            return;
        program = QDir::toNativeSeparators(program);
        ProfileWrite(iniPath, baseini::kReSoft.section, baseini::kReSoft.name, program.toStdString());
    }
    startProgram(program);
}

// ---------------------------------------------------------------------------------
// Balloons

void Owner::showAlertBalloon(const QString& alerts) {
    m_alertsWaiting += alerts;
    const QString text = m_alertsWaiting;
    // Nothing to say: no balloon, and the tip timer is left alone (refreshes come
    // more often than it runs out).
    if (m_alertsWaiting.isEmpty())
        return;
    // Paused: the alerts of this run are dropped, not kept for later; their crossings are
    // recorded all the same, so the next start does not show them either.
    if (m_alertsPaused) {
        m_alertsWaiting.clear();
        return;
    }
    const bool sound =
        ProfileRead(BaseIniPath(), baseini::kAlertSound.section, baseini::kAlertSound.name) == "1";
    // One notification per crossing, each with the stock, the price and the condition; they
    // stay in the desktop's notification centre. The first one the service refuses sends the
    // rest to the balloon.
    if (m_notifier->IsAvailable()) {
        QStringList left = text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        while (!left.isEmpty() && m_notifier->Notify(ShellText(kAlertBalloonTitle), left.first(), sound))
            left.removeFirst();
        if (left.isEmpty()) {
            m_alertsWaiting.clear();
            return;
        }
        if (m_newStockBalloon)
            return;
        m_tray->ShowBalloon(left.join(QLatin1Char('\n')).toStdString() + "\n", kAlertBalloonTitle,
                            kAlertBalloonTimeoutMs);
        m_alertsWaiting.clear();
        m_tipTimer.start(kTipRestoreDelayMs);
        return;
    }
    if (m_newStockBalloon)
        return;
    if (sound)
        QApplication::beep();
    m_tray->ShowBalloon(text.toStdString(), kAlertBalloonTitle, kAlertBalloonTimeoutMs);
    m_alertsWaiting.clear();
    m_tipTimer.start(kTipRestoreDelayMs);
}

void Owner::showNewStockBalloon(const QString& tip) {
    m_newStockBalloon = true;
    m_tray->ShowBalloon(tip.toStdString(), kNewStockBalloonTitle, kNewStockBalloonTimeoutMs);
    m_tipTimer.start(kTipRestoreDelayMs);
}

void Owner::RestoreTip() {
    m_tipTimer.stop();
    m_tray->SetTip(ShellText(kTrayTipAfterBalloon));
    m_newStockBalloon = false;
}

// ---------------------------------------------------------------------------------
// Update installation

void Owner::installStep() {
    if (m_installing || m_core.Ended())
        return;
    m_installing = true;
    const InstallAction action = m_updates->State().install(m_core.Settings().autoUpgrade == 1);
    // Leaving for an updater that is not there would only end the program.
    const bool updaterThere = FileExists(UpdateChecker::UpdaterPath());
    if (action == InstallAction::ExitAndRunUpdater && updaterThere) {
        runUpdater();
    } else if (action == InstallAction::AskUser && updaterThere) {
        const QString question = ShellText(kUpdateQuestion);
        const bool yes = m_parts.askUser ? m_parts.askUser(question) : MessageDialog::Ask(question);
        if (yes && !m_core.Ended())
            runUpdater();
        else if (!yes)
            QFile::remove(QString::fromStdString(UpdateChecker::UpdateMarkerPath()));
    }
    m_installing = false;
}

void Owner::runUpdater() {
    const QString updater = QString::fromStdString(UpdateChecker::UpdaterPath());
    m_core.Exit();
    startProgram(updater);
}

// ---------------------------------------------------------------------------------
// Settings dialog

void Owner::OnSettingsApplied() {
    const ShellSettings settings = ReadShellSettings(BaseIniPath(), XmlSettingsPath());
    SetDownloadProxy(settings.proxy);
    m_core.OnSettingsApplied(settings);
    CheckSchedule();
}

void Owner::RegisterHotKeyAfterSettings() {
    m_core.OnSettingsClosed();
}

void Owner::OnSettingsDialogClosed() {
    m_settingsDialog = nullptr;
}

void Owner::BeforeHideByButton() {
    // Without a tray icon the hot key is the only way back: the user hears of it once,
    // while the window is still there to read it over.
    if (m_toldHowToShowAgain || m_tray->IsAvailable())
        return;
    m_toldHowToShowAgain = true;
    const ShellSettings& settings = m_core.Settings();
    const QString text = HowToShowAgainText(HotKeyFromSettings(settings.hotKey, settings.hotKeyPress));
    if (m_parts.tellUser)
        m_parts.tellUser(text);
    else
        MessageDialog::Tell(text);
}

void Owner::BringSettingsToFront() {
    if (m_settingsDialog)
        m_settingsDialog->BringToFront();
}

void Owner::OpenSettings(int page) {
    auto* dialog = new SettingsDialog(this); // deletes itself when closed
    m_settingsDialog = dialog;
    if (page >= 0 && page < kSettingsPageCount)
        dialog->ShowPage(static_cast<SettingsPageId>(page));
    MakeTopMost(dialog);
    CentreInWorkArea(dialog);
    dialog->show();
    dialog->BringToFront();
}

// ---------------------------------------------------------------------------------
// OwnerEffects

void Owner::ShowTicker() {
    if (!m_ticker)
        return;
    m_ticker->show();
    m_ticker->raise();
    m_ticker->activateWindow();
    m_dialogsAbove.RaiseOpenDialogs();
}

void Owner::HideTicker() {
    if (m_ticker)
        m_ticker->hide();
}

void Owner::RestoreTicker() {
    if (!m_ticker)
        return;
    m_ticker->restorePlace();
    // Restoring raises a top-most ticker: the dialogs stay above it.
    m_dialogsAbove.RaiseOpenDialogs();
}

void Owner::RePlaceTicker() {
    if (!m_ticker)
        return;
    m_ticker->rePlace();
    m_dialogsAbove.RaiseOpenDialogs();
}

void Owner::ApplySettingsToTicker() {
    if (m_ticker)
        m_ticker->applySettings();
}

void Owner::SetTickerTopMost(int topMost) {
    if (m_ticker)
        m_ticker->SetTopMost(topMost);
}

void Owner::SetTickerLocked(bool locked) {
    if (m_ticker)
        m_ticker->SetLocked(locked);
}

void Owner::RestartTickerRefresh() {
    if (m_ticker)
        m_ticker->RestartRefresh();
}

void Owner::StopTickerRefresh() {
    if (m_ticker)
        m_ticker->StopRefresh();
}

void Owner::PauseTickerRefresh(bool paused) {
    if (m_ticker)
        m_ticker->Refresh().Cycle().SetPaused(paused);
}

void Owner::CheckSchedule() {
    if (!m_ticker)
        return;
    const StealthSettings& stealth = m_core.Settings().stealth;
    const QuoteBook& book = m_ticker->Book();
    m_core.OnSchedule(ScheduleHidesTicker(stealth.hideAfterClose, stealth.hideWhenStale, book.watchList,
                                          m_ticker->Refresh().Now(), LatestQuoteTime(book)));
}

void Owner::AddTrayIcon() {
    m_tray->Add(ShellText(kTrayTip));
}

void Owner::DeleteTrayIcon() {
    m_tray->Delete();
}

void Owner::ShowPopupMenu() {
    // Made when first needed: most runs never open it from the tray.
    if (!m_menu) {
        m_menu = std::make_unique<TickerMenu>(QPixmap(QStringLiteral(":/images/check_mark.png")),
                                              platform::OsGeneration(), nullptr);
        connect(m_menu.get(), &TickerMenu::commandChosen, this, &Owner::OnMenuCommand);
    }
    m_menu->Prepare(m_core.WindowState(), m_core.TopMost(), m_ticker ? m_ticker->Settings().transBK : 0,
                    m_alertsPaused, m_ticker && m_ticker->Settings().stealth.plainMode);
    m_menu->popup(QCursor::pos());
    m_menu->activateWindow();
}

bool Owner::AskPassword(const std::string& expected, const std::string& prompt) {
    const QString expectedText = QString::fromStdString(expected);
    const QString promptText = QString::fromStdString(prompt);
    return m_parts.askPassword ? m_parts.askPassword(expectedText, promptText)
                               : UnlockDialog::Ask(expectedText, promptText);
}

std::int64_t Owner::SteadySeconds() const {
    if (m_parts.steadyClock)
        return m_parts.steadyClock();
    // Not the ticker's clock: that one is the wall clock (or a demo time running with it).
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void Owner::EndProgram() {
    m_updates->CancelAll();
    m_tipTimer.stop();
    if (m_settingsDialog)
        m_settingsDialog->hide();
    emit exitRequested();
}

} // namespace marlune
