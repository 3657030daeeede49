#pragma once
// The update check and the new-stock tip: the two small files of the vendor's web site,
// fetched off the GUI thread on the owner's one-shot timers 1 and 4, with three retries
// 15 seconds apart over the whole run and then silence. A version file that offers a
// newer version sets the update state (the owner's install step acts on it); a
// new-stock file in its frame gives a tip for a balloon.

#include "app/BackgroundTextFetch.h"
#include "net/UpdateRules.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <string>

namespace marlune {

enum ShellTimerId : int {
    kTimerUpdateCheck = 1,
    kTimerTipRestore = 2,
    kTimerNewStockTip = 4,
};

class UpdateChecker final : public QObject {
    Q_OBJECT
public:
    struct Timings {
        int firstUpdateCheckMs = 30000; // after start-up, when AutoUpdate is 1
        int firstNewStockTipMs = 60000; // after start-up, when NewStockTip is 1
        int retryMs = kRetryDelayMs;
    };

    explicit UpdateChecker(QObject* parent = nullptr);
    // fetcher empty: TextFetch through the process-wide proxy.
    UpdateChecker(Timings timings, BackgroundTextFetch::Fetcher fetcher, QObject* parent = nullptr);
    ~UpdateChecker() override;

    // Arms the first attempts of the run.
    void Start(bool checkForUpdates, bool fetchNewStockTip);

    // The actions of timers 1 and 4; each downloads in the background and returns at once.
    void CheckForUpdate();
    void FetchNewStockTip();

    // Stops both timers and any download, and waits for the downloads' threads.
    void CancelAll();

    UpdateCheckState& State() { return m_state; }
    int NewStockRetriesUsed() const { return m_newStockRetries.used(); }
    bool IsTimerActive(int id) const;
    bool IsDownloading() const { return m_updateFetch.Busy() || m_newStockFetch.Busy(); }

    // The updater program in the program folder.
    static std::string UpdaterPath();
    // The marker file the install step deletes when the user declines.
    static std::string UpdateMarkerPath();

signals:
    // A version file arrived and was read (the settings file exists).
    void updateChecked(bool offered);
    // A new-stock file in its frame arrived: the tip text.
    void newStockTipArrived(const QString& tip);
    // A download failed; retrying tells whether another attempt is due.
    void downloadFailed(int timerId, bool retrying);

private:
    void onVersionFile(const TextFetchResult& result);
    void onNewStockFile(const TextFetchResult& result);

    Timings m_timings;
    UpdateCheckState m_state;
    RetryBudget m_newStockRetries;
    QTimer m_updateTimer;
    QTimer m_newStockTimer;
    bool m_cancelled = false;
    BackgroundTextFetch m_updateFetch;
    BackgroundTextFetch m_newStockFetch;
};

} // namespace marlune
