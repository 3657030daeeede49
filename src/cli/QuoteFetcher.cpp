#include "cli/QuoteFetcher.h"

#include "platform/os/FileSystem.h"
#include "platform/os/Process.h"
#include "quote/QuoteDispatch.h"
#include "quote/QuoteParsers.h"
#include "text/FileBytes.h"

#include <cstdio>

namespace marlune {

void QuoteFetcher::FinalReport::OnFetchStatus(const FetchReport& report) {
    if (report.status != kFetchFinished && report.status != kFetchFailed)
        return;
    std::lock_guard<std::mutex> lock(m_mutex);
    m_report = report;
    m_done.notify_all();
}

std::optional<FetchReport> QuoteFetcher::FinalReport::WaitFor(std::chrono::milliseconds time) {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_done.wait_for(lock, time, [this] { return m_report.has_value(); });
    return m_report;
}

namespace {

RefreshOutcome Dispatch(QuoteBook& book, int source, std::string_view reply) {
    const QuoteReplyResult result = DispatchQuoteReply(book, source, reply);
    if (result.failed)
        return RefreshOutcome::NoQuotes;
    return result.applied ? RefreshOutcome::Parsed : RefreshOutcome::Ignored;
}

} // namespace

QuoteFetcher::QuoteFetcher(std::string programFolder) : m_programFolder(std::move(programFolder)) {}

RefreshOutcome QuoteFetcher::Refresh(QuoteBook& book, int source, const StopCheck& stop) {
    constexpr std::chrono::milliseconds kStopCheckPeriod{50};
    std::optional<QuoteFetchJob> job = m_requester.RequestQuotes(book.watchList, source, m_programFolder);
    if (!job)
        return RefreshOutcome::Throttled;
    FinalReport sink;
    std::optional<FetchReport> report;
    {
        // Leaving this scope cancels a transfer still running and joins its thread.
        FetchManager manager(&sink);
        if (!manager.StartJob(*job))
            return RefreshOutcome::Failed;
        while (!(report = sink.WaitFor(kStopCheckPeriod))) {
            if (stop && stop())
                return RefreshOutcome::Interrupted;
        }
    }
    if (report->status != kFetchFinished)
        return RefreshOutcome::Failed;
    const QuoteService& service = QuoteServiceOf(source);
    std::string reply = service.readReplyFile != nullptr
                            ? service.readReplyFile(m_requester.GoogleReplyFile())
                            : std::move(report->reply);
    return Dispatch(book, source, reply);
}

RefreshOutcome QuoteFetcher::RefreshFromFile(QuoteBook& book, int source, const std::string& path) {
    std::optional<std::string> bytes = ReadFileBytes(path);
    if (!bytes)
        return RefreshOutcome::NoReplyFile;
    std::string reply = std::move(*bytes);
    const QuoteService& service = QuoteServiceOf(source);
    if (service.readReplyFile != nullptr) {
        // Reading a reply file deletes it: read a private copy.
        std::string copy = m_programFolder + "data/cli-reply-" + std::to_string(os::ProcessId()) + ".dat";
        if (!WriteFileAtomically(copy, reply))
            return RefreshOutcome::NoReplyFile;
        reply = service.readReplyFile(copy);
        os::RemoveFile(copy);
    }
    return Dispatch(book, source, reply);
}

} // namespace marlune
