#pragma once
// The owner: the program's hidden controller. It owns the ticker window, the tray icon
// with its popup menu, the global hot key, the update timers and the open settings
// dialog, and carries out the commands that reach it from the ticker window, the menu,
// the settings dialog and other programs. Its rules live in OwnerCore; this class is
// the part that touches windows.

#include "app/AlertNotifier.h"
#include "app/BackgroundTextFetch.h"
#include "app/DialogsAbove.h"
#include "app/OwnerCore.h"
#include "app/UpdateChecker.h"
#include "settings/SettingsDialog.h"
#include "settings/SettingsHost.h"
#include "ticker/TickerOwner.h"
#include "ticker/TickerWindow.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <memory>

namespace marlune {

class TickerMenu;
class TrayIcon;

class Owner final : public QObject, public TickerOwner, public SettingsHost, private OwnerEffects {
    Q_OBJECT
public:
    // What the owner works with; every empty member is the real thing. Tests replace the
    // platform pieces, the downloads and the dialogs.
    struct Parts {
        std::unique_ptr<platform::GlobalHotKey> hotKey;
        std::unique_ptr<TrayIcon> tray;
        TickerWindow::JobsAndClocks tickerJobsAndClocks;
        UpdateChecker::Timings updateTimings;
        BackgroundTextFetch::Fetcher fetcher;
        // The unlock prompt: true for the right password.
        std::function<bool(const QString& expected, const QString& prompt)> askPassword;
        // The message dialog: true for OK.
        std::function<bool(const QString& question)> askUser;
        // A message with an OK button.
        std::function<void(const QString& text)> tellUser;
        // The trading program's file dialog: the chosen path, empty when cancelled.
        std::function<QString()> chooseTradingProgram;
        // Starts a program (or opens a file with its program).
        std::function<void(const QString& path)> startProgram;
        std::function<void()> showAbout;
        // The lock's idle clock, in seconds (empty: the machine's steady clock).
        std::function<std::int64_t()> steadyClock;
        // Desktop notifications for alerts (the session bus's service).
        std::unique_ptr<AlertNotifier> notifier;
    };

    explicit Owner(QObject* parent = nullptr);
    explicit Owner(Parts parts, QObject* parent = nullptr);
    ~Owner() override;

    // Reads the settings, creates the ticker window and runs the rest of start-up: tray
    // icon, hot key, start-up password, first show, update timers.
    void Start();

    // A command from another program: 100 shows the popup menu, 1135 with parameter 0 is
    // the install step. Anything else is ignored.
    void OnExternalCommand(int command, long param);

    TickerWindow* Ticker() const { return m_ticker.get(); }
    OwnerCore& Core() { return m_core; }
    UpdateChecker& Updates() { return *m_updates; }
    TrayIcon& Tray() { return *m_tray; }
    platform::GlobalHotKey& HotKey() { return *m_hotKey; }
    SettingsDialog* OpenSettingsDialog() const { return m_settingsDialog.data(); }
    // The tray's popup menu, once it has been shown.
    TickerMenu* PopupMenu() const { return m_menu.get(); }
    bool NewStockBalloonShowing() const { return m_newStockBalloon; }
    bool TipRestorePending() const { return m_tipTimer.isActive(); }
    // The tip restore of timer 2, now.
    void RestoreTip();
    // Asks the schedule whether the ticker is to be out of sight now (the ticker's clock),
    // as its timer does every half minute.
    void CheckSchedule();
    const QTimer& ScheduleTimer() const { return m_scheduleTimer; }

    // TickerOwner
    int GetWindowState() const override { return m_core.WindowState(); }
    void SetWindowState(int state) override { m_core.SetWindowState(state); }
    void NoteWindowHidden() override { m_core.NoteHidden(); }
    void ExitRequested() override;
    void OnMenuCommand(int id) override;
    void BringSettingsToFront() override;
    // Without a notification area, says once how to bring the window back.
    void BeforeHideByButton() override;
    bool AlertsPaused() const override { return m_alertsPaused; }

    // SettingsHost
    void OnSettingsApplied() override;
    void RegisterHotKeyAfterSettings() override;
    void OnSettingsDialogClosed() override;

signals:
    // The program is to end: the exit path has run.
    void exitRequested();

private:
    // OwnerEffects
    void ShowTicker() override;
    void HideTicker() override;
    void RestoreTicker() override;
    void RePlaceTicker() override;
    void ApplySettingsToTicker() override;
    void SetTickerTopMost(int topMost) override;
    void SetTickerLocked(bool locked) override;
    void RestartTickerRefresh() override;
    void StopTickerRefresh() override;
    void PauseTickerRefresh(bool paused) override;
    void AddTrayIcon() override;
    void DeleteTrayIcon() override;
    void ShowPopupMenu() override;
    void OpenSettings(int page) override;
    bool AskPassword(const std::string& expected, const std::string& prompt) override;
    std::int64_t SteadySeconds() const override;
    void EndProgram() override;

    // Alert messages of a reply: shown as a balloon, or kept while the new-stock balloon is
    // up and shown with the next ones.
    void showAlertBalloon(const QString& text);
    void showNewStockBalloon(const QString& tip);
    void installStep();
    void runUpdater();
    void launchTradingProgram();
    void openVendorPage(std::string_view path);
    void startProgram(const QString& path);

    Parts m_parts;
    std::unique_ptr<platform::GlobalHotKey> m_hotKey;
    std::unique_ptr<TrayIcon> m_tray;
    std::unique_ptr<AlertNotifier> m_notifier;
    OwnerCore m_core;
    std::unique_ptr<UpdateChecker> m_updates;
    std::unique_ptr<TickerMenu> m_menu;
    QPointer<SettingsDialog> m_settingsDialog;
    DialogsAbove m_dialogsAbove;
    QTimer m_tipTimer; // timer 2
    QTimer m_scheduleTimer;
    bool m_newStockBalloon = false;
    QString m_alertsWaiting;
    bool m_installing = false;
    bool m_toldHowToShowAgain = false;
    bool m_alertsPaused = false; // menu "暂停预警": until chosen again or the program ends
    // Last: the ticker window goes first, its teardown joins the download workers.
    std::unique_ptr<TickerWindow> m_ticker;
};

// Whether the trading program must be chosen anew: a stored path of fewer than three
// characters, or one that names no existing file.
bool TradingProgramNeedsChoosing(const QString& stored);

} // namespace marlune
