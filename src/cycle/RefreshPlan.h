#pragma once
// What one refresh asks, and of whom. A watch list may mix markets that no single quote
// service quotes together: the refresh's service (the selected one, or the fallback's) asks
// for every row of the markets it quotes; markets it does not quote (Beijing, Hong Kong and
// US rows while NetEase 163 or Google is selected) go to the next service in the order Sina,
// Tencent, East Money that quotes them and answered its last turn; funds go to the fund
// estimate service; and, at most every ten minutes, the exchange rates of the holdings'
// currencies are asked from Sina, inside Sina's quote request when Sina is asked anyway.
// Each service is asked once per refresh: one job per part.
//
// A list of Shanghai and Shenzhen rows alone is one part, the request it always was.

#include "net/FetchJob.h"
#include "quote/StockEntry.h"

#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace marlune {

enum class RefreshPartKind {
    kQuotes, // a quote service's request for the rows of some markets
    kFunds,  // the fund estimate service, one URL per fund
    kRates,  // Sina's exchange rates alone
};

struct RefreshPart {
    RefreshPartKind kind = RefreshPartKind::kQuotes;
    int source = 0;           // quotes: the service asked (a DataSour value)
    std::vector<int> markets; // the markets whose rows this part brings
    // Codes asked besides the rows, as the service names them: a Sina quote part asks the
    // exchange rates so ("fx_shkdcny"), a rates part asks nothing else.
    std::vector<std::string> moreCodes;
    std::vector<std::string> fundCodes; // funds: one per URL, in URL order
    QuoteFetchJob job;
};

struct RefreshPlan {
    std::vector<RefreshPart> parts;
    // The part of the refresh's own service (the one the fallback learns from); -1 when the
    // list has no row for it (funds alone).
    int mainPart = -1;
    // False when the refresh asks some of the list's markets only (the others are closed):
    // the rows of the others keep their quotes.
    bool allMarkets = true;

    bool AsksRates() const;
    // The markets the refresh asks, each once.
    std::vector<int> Markets() const;
};

// Which of the services a market can go to answered the last time it was asked: a market
// the refresh's service does not quote goes to one that did.
class ServiceHealth {
public:
    void OnResult(int source, bool answered);
    bool HasFailed(int source) const { return m_failed.count(source) != 0; }

private:
    std::set<int> m_failed;
};

struct RefreshPlanRequest {
    int mainSource = 1;        // the service of this refresh
    bool ratesDue = false;     // the exchange rates are to be asked with these quotes
    std::uint32_t now = 0;     // written into the requests
    std::string programFolder; // ends in a separator; Google's reply file goes below it
    // The markets to ask (a timer tick outside some markets' hours); empty: every market of
    // the list.
    std::vector<int> markets;
};

// The currencies other than yuan of the list's holdings (rows with a quantity), each once,
// in list order.
std::vector<std::string> HoldingCurrencies(const WatchList& watchList);

// True when the list has rows for a quote service (any but funds), or no rows at all (an
// empty list asks the refresh's service, as it always did).
bool NeedsQuoteService(const WatchList& watchList, const std::vector<int>& markets = {});

// The service a market the main service does not quote goes to: the first in the order
// Sina, Tencent, East Money after mainSource that quotes it and has not failed, else the
// first that quotes it; 0 for a market no quote service quotes (funds).
int ServiceForMarket(int market, int mainSource, const ServiceHealth& health);

// The rows of these markets, in list order, each with its code and market alone: what a
// request is made of and a parser looks its records up by.
WatchList RowsOfMarkets(const WatchList& watchList, const std::vector<int>& markets);

// The parts of one refresh. The main part's job is the caller's to make (the request that
// moves the throttle on) from the main source, the part's moreCodes and the whole list, or,
// when the plan is not of all markets, the rows of the part's markets; it is left empty here.
RefreshPlan PlanRefresh(const WatchList& watchList, const RefreshPlanRequest& request,
                        const ServiceHealth& health);

} // namespace marlune
