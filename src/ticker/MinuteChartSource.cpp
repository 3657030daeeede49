#include "ticker/MinuteChartSource.h"

#include "quote/MinuteData.h"
#include "ticker/FetchBridge.h"

namespace marlune {

MinuteChartSource::MinuteChartSource(QObject* parent)
    : QObject(parent), m_clock([] { return std::chrono::steady_clock::now(); }),
      m_bridge(std::make_unique<FetchBridge>([this](const FetchReport& report) { HandleReport(report); })),
      m_fetchManager(std::make_unique<FetchManager>(m_bridge.get())) {}

MinuteChartSource::~MinuteChartSource() {
    // Releases workers waiting for this thread, cancels and joins them.
    m_fetchManager.reset();
}

void MinuteChartSource::Request(const std::string& symbol) {
    if (symbol.empty() || !m_cache.BeginFetch(symbol, m_clock()))
        return;
    const QuoteFetchJob job = BuildMinuteJob(symbol);
    m_symbolByUrl[job.url] = symbol;
    const bool started = m_startJob ? m_startJob(job) : m_fetchManager->StartJob(job);
    if (!started) {
        m_symbolByUrl.erase(job.url);
        m_cache.FinishFetch(symbol, std::nullopt, m_clock());
        emit updated(QString::fromStdString(symbol));
    }
}

void MinuteChartSource::HandleReport(const FetchReport& report) {
    if (report.status != kFetchFinished && report.status != kFetchFailed)
        return;
    const auto found = m_symbolByUrl.find(report.url);
    if (found == m_symbolByUrl.end())
        return;
    const std::string symbol = found->second;
    m_symbolByUrl.erase(found);
    std::optional<MinuteDay> day;
    if (report.status == kFetchFinished)
        day = ParseMinuteReply(report.reply, symbol);
    m_cache.FinishFetch(symbol, std::move(day), m_clock());
    emit updated(QString::fromStdString(symbol));
}

} // namespace marlune
