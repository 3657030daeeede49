#pragma once
// The quote request: the watch list and the selected quote service turned into one
// download job.

#include "net/FetchJob.h"
#include "quote/QuoteService.h"
#include "quote/StockEntry.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace marlune {

// The code list of the request, in watch-list order, as the service's table row makes it:
// Sina "sh600000,sz000001", NetEase 163 "0600000;1000001", Google "SHA:600000,SHE:000001"
// followed by the Google suffix. Entries of the other markets of quote/Markets.h are named as
// the service names them ("bj920118", "rt_hk00700", "gb_aapl"), and left out where the
// service does not quote their market (funds, and every other market for NetEase 163 and
// Google) or their code is none the market can have. An entry of a market the program does
// not know takes the prefix of the entry before it (none for the first). Characters a code may not carry into
// a URL are percent-encoded, so a broken list file cannot change the request.
std::string BuildCodeList(const WatchList& watchList, int dataSource);

// The full quote URL for the source at the given time (the Sina URL carries it).
std::string BuildQuoteUrl(const WatchList& watchList, int dataSource, std::uint32_t now);

// The URLs of one refresh: one, or, for a service that takes a limited number of codes per
// request, one per slice of the list (their replies are joined). moreCodes are asked after the
// list's codes, as the service names them already (Sina's exchange rates "fx_shkdcny").
std::vector<std::string> BuildQuoteUrls(const WatchList& watchList, int dataSource, std::uint32_t now,
                                        const std::vector<std::string>& moreCodes = {});

// Whole seconds since 1970-01-01 UTC.
std::uint32_t SystemClockSeconds();
// Milliseconds of a steady clock (one that setting the time of day never moves).
std::int64_t SteadyClockMs();

// Builds quote jobs, at most one per 4 seconds. Owned by the refresh cycle.
class QuoteRequester {
public:
    // The time written into the request (Sina's "rn"), and the clock of the throttle.
    using Clock = std::function<std::uint32_t()>;
    using SteadyClock = std::function<std::int64_t()>;
    static constexpr std::int64_t kThrottleMs = 4000;

    explicit QuoteRequester(Clock clock = SystemClockSeconds, SteadyClock steadyMs = SteadyClockMs);

    // False when a request now would come less than 4 seconds after the last one. The
    // spacing is measured on the steady clock to the millisecond, so that a refresh period
    // of N seconds gives requests N seconds apart.
    bool MayRequest() const;

    // The job to start for the watch list and source, or nothing when MayRequest() says
    // no. A dropped call leaves the throttle time as it was. programFolder ends in a path
    // separator; a Google job writes its reply to programFolder + "data/gData.dat".
    std::optional<QuoteFetchJob> RequestQuotes(const WatchList& watchList, int dataSource,
                                               const std::string& programFolder);

    // The job for the source at a given time, without the throttle.
    static QuoteFetchJob BuildJob(const WatchList& watchList, int dataSource,
                                  const std::string& programFolder, std::uint32_t now,
                                  const std::vector<std::string>& moreCodes = {});

    // The job for the watch list and source whenever it is called (a changed watch list
    // needs its quotes at once); it moves the throttle time on like every request.
    QuoteFetchJob RequestQuotesNow(const WatchList& watchList, int dataSource,
                                   const std::string& programFolder,
                                   const std::vector<std::string>& moreCodes = {});
    // A refresh that asks no quote service (funds alone) was sent: the throttle counts it.
    void OnRequestSent();
    // The time written into the requests of the refresh being made.
    std::uint32_t Now() const { return m_clock(); }

    // The file the last request for a file-reply service (Google) writes its reply to;
    // empty after a request to another service.
    const std::string& GoogleReplyFile() const { return m_googleReplyFile; }

private:
    Clock m_clock;
    SteadyClock m_steadyMs;
    bool m_called = false; // the first call always requests, whatever the clock says
    std::int64_t m_lastCallMs = 0;
    std::string m_googleReplyFile;
};

} // namespace marlune
