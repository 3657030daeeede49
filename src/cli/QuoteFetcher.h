#pragma once
// One quote refresh of the terminal ticker, start to finish: request, download, parse.

#include "net/FetchManager.h"
#include "net/QuoteRequest.h"
#include "quote/QuoteBook.h"

#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>

namespace marlune {

enum class RefreshOutcome { Parsed, Ignored, Throttled, Failed, NoReplyFile };

class QuoteFetcher {
public:
    explicit QuoteFetcher(std::string programFolder);

    // Requests the quotes of the book's watch list from the source and waits for the reply.
    RefreshOutcome Refresh(QuoteBook& book, int source);

    // Parses reply bytes saved from a service instead of downloading them. For Google the
    // file is a saved reply file, which is read without being deleted.
    RefreshOutcome RefreshFromFile(QuoteBook& book, int source, const std::string& path);

private:
    // Keeps the final report of the one job in flight.
    class FinalReport final : public FetchStatusSink {
    public:
        void OnFetchStatus(const FetchReport& report) override;
        FetchReport Wait();

    private:
        std::mutex m_mutex;
        std::condition_variable m_done;
        std::optional<FetchReport> m_report;
    };

    std::string m_programFolder;
    QuoteRequester m_requester;
};

} // namespace marlune
