#pragma once
// One quote refresh of the terminal ticker, start to finish: request, download, parse.

#include "net/FetchManager.h"
#include "net/QuoteRequest.h"
#include "quote/QuoteBook.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

namespace marlune {

// Parsed: the book shows the reply. Ignored: nothing was asked (an empty watch list) and the
// reply was too short to parse. Throttled: no request within 4 seconds of the last. Failed:
// the download failed. NoQuotes: the reply held no quote of the watch list (a failed refresh;
// the book kept its values). NoReplyFile: the saved reply could not be read. Interrupted: the
// stop check asked to end; the transfer was cancelled.
enum class RefreshOutcome { Parsed, Ignored, Throttled, Failed, NoQuotes, NoReplyFile, Interrupted };

// True when the refresh is to be abandoned (a signal arrived).
using StopCheck = std::function<bool()>;

class QuoteFetcher {
public:
    explicit QuoteFetcher(std::string programFolder);

    // Requests the quotes of the book's watch list from the source and waits for the reply,
    // asking `stop` every few hundredths of a second; when it says so the transfer is cancelled.
    RefreshOutcome Refresh(QuoteBook& book, int source, const StopCheck& stop = {});

    // Parses reply bytes saved from a service instead of downloading them. For Google the
    // file is a saved reply file, which is read without being deleted.
    RefreshOutcome RefreshFromFile(QuoteBook& book, int source, const std::string& path);

private:
    // Keeps the final report of the one job in flight.
    class FinalReport final : public FetchStatusSink {
    public:
        void OnFetchStatus(const FetchReport& report) override;
        // The final report, or nothing when it has not come within the time.
        std::optional<FetchReport> WaitFor(std::chrono::milliseconds time);

    private:
        std::mutex m_mutex;
        std::condition_variable m_done;
        std::optional<FetchReport> m_report;
    };

    std::string m_programFolder;
    QuoteRequester m_requester;
};

} // namespace marlune
