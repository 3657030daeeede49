#include "ticker/RefreshDriver.h"

#include "ticker/FetchBridge.h"

#include <ctime>

namespace marlune {

RefreshDriver::RefreshDriver(JobsAndClocks jobsAndClocks, std::string programFolder,
                             std::string alertStatePath, QObject* parent)
    : QObject(parent), m_jobsAndClocks(std::move(jobsAndClocks)),
      m_cycle(*this, std::move(programFolder), std::move(alertStatePath)) {
    // The quote timer keeps to the millisecond: a coarse timer may fire 5 % early, and the
    // 4-second throttle would then drop a tick of a 4-second period.
    m_quoteTimer.setTimerType(Qt::PreciseTimer);
    m_quoteTimer.setSingleShot(true);
    m_chartTimer.setSingleShot(true);
    connect(&m_quoteTimer, &QTimer::timeout, this, [this] { m_cycle.OnQuoteTimer(); });
    connect(&m_chartTimer, &QTimer::timeout, this, [this] { m_cycle.OnChartTimer(); });
    m_bridge =
        std::make_unique<FetchBridge>([this](const FetchReport& report) { HandleFetchStatus(report); });
    m_fetchManager = std::make_unique<FetchManager>(m_bridge.get());
}

RefreshDriver::~RefreshDriver() {
    // Workers may be waiting for this thread to take their reports: let them go
    // before the FetchManager joins them.
    m_bridge->ReleaseWaitingReports();
    m_fetchManager.reset();
}

void RefreshDriver::HandleFetchStatus(const FetchReport& report) {
    m_cycle.OnFetchStatus(report);
}

int RefreshDriver::QuoteTimerInterval() const {
    return m_quoteTimer.isActive() ? m_quoteTimer.interval() : -1;
}

int RefreshDriver::ChartTimerInterval() const {
    return m_chartTimer.isActive() ? m_chartTimer.interval() : -1;
}

void RefreshDriver::FireQuoteTimer() {
    m_quoteTimer.stop();
    m_cycle.OnQuoteTimer();
}

void RefreshDriver::FireChartTimer() {
    m_chartTimer.stop();
    m_cycle.OnChartTimer();
}

bool RefreshDriver::StartJob(const QuoteFetchJob& job) {
    if (m_jobsAndClocks.startJob) {
        m_jobsAndClocks.startJob(job);
        return true;
    }
    return m_fetchManager->StartJob(job);
}

void RefreshDriver::StartTimer(CycleTimer which, int milliseconds) {
    timer(which).start(milliseconds);
}

void RefreshDriver::StopTimer(CycleTimer which) {
    timer(which).stop();
}

std::int64_t RefreshDriver::WallSeconds() const {
    return m_jobsAndClocks.clock ? m_jobsAndClocks.clock() : static_cast<std::int64_t>(std::time(nullptr));
}

std::int64_t RefreshDriver::SteadyMs() const {
    if (m_jobsAndClocks.steadyMs)
        return m_jobsAndClocks.steadyMs();
    return m_jobsAndClocks.clock ? m_jobsAndClocks.clock() * 1000 : SteadyClockMs();
}

void RefreshDriver::QuotesApplied() {
    emit quotesApplied();
    const std::string alerts = m_cycle.Book().takeAlertText();
    if (!alerts.empty())
        emit alertsRaised(QString::fromStdString(alerts));
}

void RefreshDriver::StatusChanged(const std::string& text) {
    emit statusChanged(QString::fromStdString(text));
}

void RefreshDriver::ChartFileArrived(const std::string& path) {
    emit chartFileArrived(QString::fromStdString(path));
}

void RefreshDriver::ChartFileGone(const std::string& path) {
    emit chartFileGone(QString::fromStdString(path));
}

} // namespace marlune
