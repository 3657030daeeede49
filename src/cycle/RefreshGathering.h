#pragma once
// The replies of one refresh, gathered until every part of its plan (RefreshPlan.h) has
// answered or failed, and then applied to the book at once: the grid never shows half a
// refresh. A part that fails keeps its rows' values as they were; the others bring theirs.

#include "cycle/RefreshPlan.h"
#include "quote/ExchangeRates.h"
#include "quote/QuoteBook.h"
#include "quote/SourceFallback.h"

#include <optional>
#include <string>
#include <vector>

namespace marlune {

class RefreshGathering {
public:
    // A refresh of these parts has started; the reports of an earlier one are dropped.
    void Begin(RefreshPlan plan);
    bool IsOpen() const { return m_open; }
    // A refresh that reads as a refresh always did: one quote service for a list of Shanghai
    // and Shenzhen rows alone (no other market, no funds, no rates).
    bool IsSingle() const;

    // A final report of a quote job: true when it was the last part the refresh waited for.
    // A report of no part of this refresh (a late one of an earlier refresh) is dropped. A
    // refresh of one part takes any final quote report, as the refresh always did.
    bool Take(const FetchReport& report);

    // Ends the refresh; Plan() and Reports() keep what it gathered until the next Begin.
    void Close() { m_open = false; }

    RefreshPlan& Plan() { return m_plan; }
    const RefreshPlan& Plan() const { return m_plan; }
    // One per part, in plan order: every one is there once Take returned true.
    const std::vector<std::optional<FetchReport>>& Reports() const { return m_reports; }

private:
    bool m_open = false;
    RefreshPlan m_plan;
    std::vector<std::optional<FetchReport>> m_reports;
};

// How each part of a gathered refresh ended, and whether the book took it.
struct GatheredResult {
    std::vector<RefreshResult> parts; // in plan order
    bool applied = false;             // at least one part brought usable quotes
    bool ratesAnswered = false;       // the rates asked came (when asked)
};

// What one part of a gathered refresh brought.
struct GatheredReply {
    std::optional<std::string> text; // the reply; nothing when the part failed
    // The fund part: each fund's own reply, in the order of its codes, nothing for a fund whose
    // request failed. Empty: text holds them all.
    std::vector<std::optional<std::string>> eachUrl;
};

// Applies a gathered refresh's replies (Google's is the text of its reply file) to the book:
// each quote part's reply read by its service's parser, taking the rows of its markets; funds
// by the fund estimate parser, each fund standing alone (FundResultsOfReplies); the exchange
// rates into `rates`. A fund without a usable reply keeps its row as it was, but one the
// service says it has no estimate for ("jsonpgz();") no longer shows an estimate: its price is
// the last net value, change and rate "-". The update time is the latest of the rows' quotes
// (each service's own would name whichever market it sent last). Rows of markets the refresh
// did not ask keep their quotes. When no part brought a usable quote the book is left as it was.
GatheredResult ApplyGatheredReplies(QuoteBook& book, const RefreshPlan& plan,
                                    const std::vector<GatheredReply>& replies, ExchangeRateBook& rates);

// What the fund service said of one fund.
struct FundResult {
    std::optional<QuoteRecord> record; // a usable record for the fund asked
    bool saysNoEstimate = false;       // "jsonpgz();": it has no estimate for the fund
};

// One result per code. Each reply is read for the fund its URL asked only (a reply for another
// fund gives nothing); a single text for several codes holds the joined replies
// ("jsonpgz({...});jsonpgz(...);"), each giving the record of the requested code it is for,
// each code at most once.
std::vector<FundResult> FundResultsOfReplies(const std::vector<std::optional<std::string>>& replies,
                                             const std::vector<std::string>& codes);

} // namespace marlune
