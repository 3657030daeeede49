#pragma once
// The minute data of one stock's day from the Tencent minute service, for the intraday
// chart the detail popup draws when no chart image is at hand, and the rules for how long
// a fetched day is kept.

#include "net/FetchJob.h"
#include "quote/MinuteData.h"

#include <chrono>
#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace marlune {

// "sh600000" for market 1 and "sz000001" for market 2; empty for another market or a code
// that is not six digits.
std::string MinuteSymbol(int market, std::string_view code);

// Minute base URL + "/appstock/app/minute/query?code=" + symbol.
std::string MinuteRequestUrl(std::string_view symbol);

// An in-memory side-download job at idle priority for the symbol's minute data.
QuoteFetchJob BuildMinuteJob(std::string_view symbol);

// The fetched days by symbol, and when to fetch again. Plain state, driven by its owner on
// one thread; the moments are passed in so that tests choose them.
class MinuteDataCache {
public:
    using TimePoint = std::chrono::steady_clock::time_point;

    // A fetched day is used without asking again for this long.
    static constexpr std::chrono::seconds kKeepFor{60};
    // After a failed fetch the service is not asked again for the stock before this.
    static constexpr std::chrono::seconds kRetryAfter{10};
    // A day older than this is not shown any more when fetching it again fails.
    static constexpr std::chrono::seconds kShowStaleFor{300};
    // Stocks remembered at most; the oldest idle one gives way.
    static constexpr std::size_t kMaxStocks = 64;

    struct Entry {
        std::optional<MinuteDay> day; // the last day fetched
        TimePoint fetchedAt{};
        bool inFlight = false;
        bool failed = false; // the last fetch failed
        TimePoint failedAt{};
    };

    // Whether a fetch for the symbol should start now (nothing fresh, none running, no
    // recent failure); if so it is marked as running.
    bool BeginFetch(const std::string& symbol, TimePoint now);

    // The outcome of the running fetch: a day, or nothing when it failed.
    void FinishFetch(const std::string& symbol, std::optional<MinuteDay> day, TimePoint now);

    // What is known about the symbol; null when nothing.
    const Entry* Find(const std::string& symbol) const;

    std::size_t Size() const { return m_entries.size(); }

private:
    void makeRoom();

    std::map<std::string, Entry> m_entries;
};

} // namespace marlune
