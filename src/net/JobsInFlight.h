#pragma once
// Which downloads of one owner are still running, by what they fetch: the quotes, or
// the file a side download writes. A refresh tick starts a job only for what has none
// running, so a slow server never collects a pile of jobs for the same thing.

#include "net/FetchJob.h"

#include <set>
#include <string>

namespace marlune {

class JobsInFlight {
public:
    // The key of a job, and of the reports it sends: every quote job (text or Google
    // file) shares one; a side download is keyed by its reply file, or by its URL when
    // it keeps its reply in memory.
    static std::string KeyOf(int jobKind, const std::string& replyFile, const std::string& url);
    static std::string KeyOf(const QuoteFetchJob& job) { return KeyOf(job.jobKind, job.replyFile, job.url); }
    static std::string KeyOf(const FetchReport& report) {
        return KeyOf(report.jobKind, report.replyFile, report.url);
    }
    static const std::string& QuotesKey();

    // True, and the key counts as running, when it was not running yet.
    bool TryBegin(const std::string& key) { return m_running.insert(key).second; }
    // The job of the key has ended (its final report arrived, or it never started).
    void End(const std::string& key) { m_running.erase(key); }
    // Ends the key of a final report; progress reports change nothing.
    void EndOnFinalReport(const FetchReport& report);

    bool IsRunning(const std::string& key) const { return m_running.count(key) != 0; }
    std::size_t Count() const { return m_running.size(); }

private:
    std::set<std::string> m_running;
};

} // namespace marlune
