#pragma once
// The refresh cycle of both programs, without a window: when quotes and chart images are
// asked for, from which service, what a finished download turns into, and what the status
// line says. It owns the quote state and the rules; the host (RefreshHost.h) runs the jobs
// and the timers and shows the results.
//
// A quote tick asks the trading hours, then the throttle (4 seconds), then the fallback for
// the service, and starts one quote job unless one is still running. A quote reply runs top
// to bottom through OnFetchStatus: the job ends, the reply is parsed into the book, alerts
// are collected and remembered, the fallback learns the outcome, the trading hours learn the
// quotes' dates, and the status line is set.
//
// A list that mixes markets is asked of several services in one refresh (RefreshPlan.h):
// the replies are gathered (RefreshGathering.h) and the book takes them all at once.

#include "cycle/MarketGates.h"
#include "cycle/RefreshGathering.h"
#include "cycle/RefreshHost.h"
#include "cycle/RefreshTimers.h"
#include "net/JobsInFlight.h"
#include "net/QuoteRequest.h"
#include "quote/AlertMemory.h"
#include "quote/QuoteBook.h"
#include "quote/SourceFallback.h"
#include "quote/TradingHours.h"

#include <cstdint>
#include <optional>
#include <string>

namespace marlune {

// Status-line texts: from the start until the first reply, after a refresh that gave quotes,
// and after a refresh that gave none.
extern const char* const kStatusReadingQuotes;
extern const char* const kStatusQuotesShown;
extern const char* const kStatusFailed;

// The base.ini values the cycle goes by.
struct RefreshSettings {
    int dataSource = 1;         // DataSour: the selected service
    bool autoSource = true;     // AutoSource: another service while it does not answer
    bool tradeHoursOnly = true; // TradeHoursOnly: timer ticks ask only in trading hours
    int freshSec = 10;          // FreshSec: the period; 0 or less, no automatic refresh
};

// How one quote refresh ended.
struct RefreshEnd {
    int source = 0; // the service asked
    RefreshResult result = RefreshResult::kNoReply;
    // A failed refresh that still leaves quotes coming: a retry of the selected service
    // while another one answers.
    bool quotesStillComing = false;
};

// What a quote tick did.
enum class QuoteTick { kAsked, kClosed, kDropped };

class RefreshCycle {
public:
    // programFolder ends in a path separator; alertStatePath empty keeps no alert memory.
    RefreshCycle(RefreshHost& host, std::string programFolder, std::string alertStatePath);

    // New settings: the fallback starts afresh on the selected service.
    void Configure(const RefreshSettings& settings);
    const RefreshSettings& Settings() const { return m_settings; }
    // A new period (FreshSec) alone: what the fallback and the trading hours learnt stays, and
    // a running quote timer starts afresh with the new period.
    void SetRefreshPeriod(int freshSec);
    // A new watch list; alerts shown before (stored in the alert memory) are not shown again.
    void SetWatchList(WatchList list);

    // Start-up: one refresh at once, the chart timer after 3 s, the quote timer after a period.
    void Start();
    // The refresh button and the menu entry: a refresh now (throttled, as a tick is).
    void Refresh();
    // Settings applied: the quotes of the (maybe new) list at once, unthrottled, from the
    // service the fallback uses now; then both timers afresh.
    void SettingsApplied();
    void RestartQuoteTimer(QuoteTimerRestart restart);

    // Paused, the cycle asks for nothing at all: both timers stop, and refreshes, ticks,
    // settings applied and the fallback's retries send no request (a job already running
    // ends as usual). Resuming asks for the quotes at once (throttled; a new list
    // unthrottled) and starts both timers afresh. The window pauses it while the user has
    // hidden it, when the user wants no requests then.
    void SetPaused(bool paused);
    bool Paused() const { return m_paused; }

    QuoteTick OnQuoteTimer();
    void OnChartTimer();
    // A download job's report (progress included).
    void OnFetchStatus(const FetchReport& report);

    // After a failed refresh: asks the service the fallback goes to next at once, without
    // waiting for a tick (a program with a single refresh). False when there is none to
    // ask (the fallback is off) or a quote job still runs.
    bool AskNextServiceNow();

    // The exchange rates in use, and when they were last asked for.
    const ExchangeRateBook& Rates() const { return m_rates; }
    // The parts of the latest refresh (while it runs, and after it ended).
    const RefreshPlan& LastPlan() const { return m_gathering.Plan(); }

    QuoteBook& Book() { return m_book; }
    const QuoteBook& Book() const { return m_book; }
    const SourceFallback& Fallback() const { return m_fallback; }
    const JobsInFlight& RunningJobs() const { return m_jobsInFlight; }
    const std::string& StatusText() const { return m_status; }
    // The last quote refresh's end; nothing before the first.
    const std::optional<RefreshEnd>& LastRefresh() const { return m_lastRefresh; }

private:
    // markets: those a tick asks (the others are closed); empty: every market of the list.
    void requestQuotes(const std::vector<int>& markets = {});
    // The markets a timer tick asks; nothing: every market of the list; empty: none (closed).
    std::optional<std::vector<int>> marketsDue(std::int64_t now, std::int64_t steadyMs) const;
    void requestQuotesForNewList();
    void requestCharts();
    bool startJob(const QuoteFetchJob& job);
    // Plans a refresh of the list (the quote services' part from `source`, the fallback's
    // current one when none is given) and starts its jobs; false when none could start.
    bool startRefresh(std::optional<int> source, const std::vector<int>& markets = {});
    void onGatheredReplies();
    void onSingleReply(const FetchReport& report);
    void startQuoteTimer(std::optional<int> milliseconds);
    void onQuoteReport(const FetchReport& report);
    // learn: the fallback learns the outcome of the service (not for a list of funds alone).
    void endRefresh(int source, RefreshResult result, bool learn = true);
    void learnHolidays(std::int64_t now);
    std::string statusWhileQuotesCome(std::int64_t now) const;
    std::string failureText() const;
    std::string closedText(std::int64_t now) const;
    void setStatus(std::string text);

    RefreshHost& m_host;
    std::string m_programFolder;
    RefreshSettings m_settings;
    QuoteBook m_book;
    std::optional<AlertMemory> m_alertMemory;
    QuoteRequester m_requester;
    SourceFallback m_fallback;
    TradingHoursGate m_tradingHours; // the A-share exchanges' hours
    MarketGates m_marketGates;       // Hong Kong's and the US's, and the funds' evening
    JobsInFlight m_jobsInFlight;
    RefreshGathering m_gathering;
    // Services asked for markets the refresh's service does not quote.
    ServiceHealth m_otherServices;
    ExchangeRateBook m_rates;
    // The last refresh that counts gave quotes (a failed turn of the selected service while
    // another one answers does not count).
    bool m_quotesComing = false;
    // A new list's request waits for the running quote job to end, or for the end of a pause.
    bool m_newListWaiting = false;
    bool m_paused = false;
    // When the quote timer runs out (steady ms); nothing while it is stopped.
    std::optional<std::int64_t> m_quoteTimerDueMs;
    std::string m_status;
    std::optional<RefreshEnd> m_lastRefresh;
};

} // namespace marlune
