#include "cli/QuoteFetcher.h"

#include "quote/QuoteDispatch.h"
#include "quote/QuoteParsers.h"
#include "text/FileBytes.h"

#include <cstdio>
#include <unistd.h>

namespace marlune {

void QuoteFetcher::FinalReport::OnFetchStatus(const FetchReport& report) {
    if (report.status != kFetchFinished && report.status != kFetchFailed)
        return;
    std::lock_guard<std::mutex> lock(m_mutex);
    m_report = report;
    m_done.notify_all();
}

FetchReport QuoteFetcher::FinalReport::Wait() {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_done.wait(lock, [this] { return m_report.has_value(); });
    return *m_report;
}

QuoteFetcher::QuoteFetcher(std::string programFolder) : m_programFolder(std::move(programFolder)) {}

RefreshOutcome QuoteFetcher::Refresh(QuoteBook& book, int source) {
    std::optional<QuoteFetchJob> job = m_requester.RequestQuotes(book.watchList, source, m_programFolder);
    if (!job)
        return RefreshOutcome::Throttled;
    FinalReport sink;
    FetchReport report;
    {
        FetchManager manager(&sink);
        manager.StartJob(*job);
        report = sink.Wait();
    }
    if (report.status != kFetchFinished)
        return RefreshOutcome::Failed;
    const QuoteService& service = QuoteServiceOf(source);
    std::string reply = service.readReplyFile != nullptr
                            ? service.readReplyFile(m_requester.GoogleReplyFile())
                            : std::move(report.reply);
    return DispatchQuoteReply(book, source, reply) ? RefreshOutcome::Parsed : RefreshOutcome::Ignored;
}

RefreshOutcome QuoteFetcher::RefreshFromFile(QuoteBook& book, int source, const std::string& path) {
    std::optional<std::string> bytes = ReadFileBytes(path);
    if (!bytes)
        return RefreshOutcome::NoReplyFile;
    std::string reply = std::move(*bytes);
    const QuoteService& service = QuoteServiceOf(source);
    if (service.readReplyFile != nullptr) {
        // Reading a reply file deletes it: read a private copy.
        std::string copy = m_programFolder + "data/cli-reply-" + std::to_string(::getpid()) + ".dat";
        if (!WriteFileAtomically(copy, reply))
            return RefreshOutcome::NoReplyFile;
        reply = service.readReplyFile(copy);
        std::remove(copy.c_str());
    }
    return DispatchQuoteReply(book, source, reply) ? RefreshOutcome::Parsed : RefreshOutcome::Ignored;
}

} // namespace marlune
