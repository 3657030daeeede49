#include "net/MinuteRequest.h"

#include "net/ChartRequest.h"
#include "net/ServiceEndpoints.h"

#include <algorithm>

namespace marlune {

std::string MinuteSymbol(int market, std::string_view code) {
    const std::string prefix = MarketPrefix(market);
    if (prefix.empty() || code.size() != 6 ||
        !std::all_of(code.begin(), code.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return {};
    return prefix + std::string(code);
}

std::string MinuteRequestUrl(std::string_view symbol) {
    return ServiceBaseUrl(Service::kTencentMinutes) +
           "/appstock/app/minute/query?code=" + std::string(symbol);
}

QuoteFetchJob BuildMinuteJob(std::string_view symbol) {
    QuoteFetchJob job;
    job.url = MinuteRequestUrl(symbol);
    job.headerBlock = ServiceHeaderBlock(Service::kTencentMinutes);
    job.jobKind = kJobSideDownload;
    job.threadPriority = kThreadPriorityIdle;
    // The parser refuses anything larger unread, so it is not downloaded either.
    job.sizeLimit = static_cast<std::uint32_t>(kMaxMinuteReplyBytes);
    job.timeLimitMs = kMinuteTimeLimitMs;
    return job;
}

bool MinuteDataCache::BeginFetch(const std::string& symbol, TimePoint now) {
    auto found = m_entries.find(symbol);
    if (found == m_entries.end()) {
        makeRoom();
        found = m_entries.emplace(symbol, Entry{}).first;
    }
    Entry& entry = found->second;
    if (entry.inFlight)
        return false;
    if (entry.day && now - entry.fetchedAt < kKeepFor)
        return false;
    if (entry.failed && now - entry.failedAt < kRetryAfter)
        return false;
    entry.inFlight = true;
    return true;
}

void MinuteDataCache::FinishFetch(const std::string& symbol, std::optional<MinuteDay> day, TimePoint now) {
    const auto found = m_entries.find(symbol);
    if (found == m_entries.end())
        return;
    Entry& entry = found->second;
    entry.inFlight = false;
    if (day) {
        entry.day = std::move(day);
        entry.fetchedAt = now;
        entry.failed = false;
        return;
    }
    entry.failed = true;
    entry.failedAt = now;
    if (entry.day && now - entry.fetchedAt >= kShowStaleFor)
        entry.day.reset();
}

const MinuteDataCache::Entry* MinuteDataCache::Find(const std::string& symbol) const {
    const auto found = m_entries.find(symbol);
    return found == m_entries.end() ? nullptr : &found->second;
}

void MinuteDataCache::makeRoom() {
    while (m_entries.size() >= kMaxStocks) {
        auto oldest = m_entries.end();
        for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
            if (it->second.inFlight)
                continue;
            const TimePoint when = std::max(it->second.fetchedAt, it->second.failedAt);
            if (oldest == m_entries.end() ||
                when < std::max(oldest->second.fetchedAt, oldest->second.failedAt))
                oldest = it;
        }
        if (oldest == m_entries.end())
            return; // every one is being fetched: let the map grow by one
        m_entries.erase(oldest);
    }
}

} // namespace marlune
