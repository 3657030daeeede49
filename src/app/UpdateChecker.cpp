#include "app/UpdateChecker.h"

#include "config/Profile.h"
#include "config/ProgramFolder.h"
#include "config/SettingsKeys.h"
#include "config/XmlSettingsStore.h"
#include "platform/ExecutableName.h"

#include <ctime>

namespace marlune {

namespace {
// The updater's name without the system's program suffix.
constexpr char kUpdaterStem[] = "SUpdate";
} // namespace

UpdateChecker::UpdateChecker(QObject* parent) : UpdateChecker(Timings{}, {}, parent) {}

UpdateChecker::UpdateChecker(Timings timings, BackgroundTextFetch::Fetcher fetcher, QObject* parent)
    : QObject(parent), m_timings(timings), m_updateFetch(this, fetcher), m_newStockFetch(this, fetcher) {
    m_updateTimer.setSingleShot(true);
    m_newStockTimer.setSingleShot(true);
    connect(&m_updateTimer, &QTimer::timeout, this, &UpdateChecker::CheckForUpdate);
    connect(&m_newStockTimer, &QTimer::timeout, this, &UpdateChecker::FetchNewStockTip);
}

UpdateChecker::~UpdateChecker() {
    CancelAll();
}

std::string UpdateChecker::UpdaterPath() {
    return ProgramPath(platform::ExecutableFileName(kUpdaterStem));
}

std::string UpdateChecker::UpdateMarkerPath() {
    return ProgramPath(kUpdateMarkerFileName);
}

void UpdateChecker::Start(bool checkForUpdates, bool fetchNewStockTip) {
    if (m_cancelled)
        return;
    if (checkForUpdates)
        m_updateTimer.start(m_timings.firstUpdateCheckMs);
    if (fetchNewStockTip)
        m_newStockTimer.start(m_timings.firstNewStockTipMs);
}

bool UpdateChecker::IsTimerActive(int id) const {
    if (id == kTimerUpdateCheck)
        return m_updateTimer.isActive();
    if (id == kTimerNewStockTip)
        return m_newStockTimer.isActive();
    return false;
}

void UpdateChecker::CancelAll() {
    m_cancelled = true;
    m_updateTimer.stop();
    m_newStockTimer.stop();
    m_updateFetch.Cancel();
    m_newStockFetch.Cancel();
}

void UpdateChecker::CheckForUpdate() {
    m_updateTimer.stop();
    if (m_cancelled)
        return;
    m_updateFetch.Start(UpdateFileUrl(), [this](const TextFetchResult& result) { onVersionFile(result); });
}

void UpdateChecker::FetchNewStockTip() {
    m_newStockTimer.stop();
    if (m_cancelled)
        return;
    m_newStockFetch.Start(NewStockFileUrl(),
                          [this](const TextFetchResult& result) { onNewStockFile(result); });
}

void UpdateChecker::onVersionFile(const TextFetchResult& result) {
    if (!result.ok) {
        const bool retrying = m_state.retries().takeRetry();
        if (retrying)
            m_updateTimer.start(m_timings.retryMs);
        emit downloadFailed(kTimerUpdateCheck, retrying);
        return;
    }
    XmlSettingsStore store;
    store.SetPath(XmlSettingsPath());
    if (!store.IsOpenable())
        return;
    store.SetValue(sstconf::kUpdateTime.name, std::to_string(static_cast<long long>(std::time(nullptr))));
    const bool offered = m_state.applyVersionFile(result.body, FileExists(UpdaterPath()));
    emit updateChecked(offered);
}

void UpdateChecker::onNewStockFile(const TextFetchResult& result) {
    if (!result.ok) {
        const bool retrying = m_newStockRetries.takeRetry();
        if (retrying)
            m_newStockTimer.start(m_timings.retryMs);
        emit downloadFailed(kTimerNewStockTip, retrying);
        return;
    }
    if (auto tip = ExtractNewStockTip(result.body))
        emit newStockTipArrived(QString::fromStdString(*tip));
}

} // namespace marlune
