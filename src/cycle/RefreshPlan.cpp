#include "cycle/RefreshPlan.h"

#include "net/QuoteRequest.h"
#include "net/ServiceEndpoints.h"
#include "quote/ExchangeRates.h"
#include "quote/FundEstimate.h"
#include "quote/Markets.h"
#include "quote/QuoteService.h"

#include <algorithm>
#include <map>

namespace marlune {
namespace {

constexpr int kFallbackOrder[] = {kSourceSina, kSourceTencent, kSourceEastMoney};

bool Contains(const std::vector<int>& values, int value) {
    return std::find(values.begin(), values.end(), value) != values.end();
}

// The markets of the list's rows, each once, in table order, of those asked (all when none
// are named); rows whose code the market cannot have ask nothing.
std::vector<int> MarketsOfRows(const WatchList& watchList, const std::vector<int>& asked = {}) {
    std::vector<int> markets;
    for (const MarketInfo& market : MarketTable()) {
        if (!asked.empty() && !Contains(asked, market.number))
            continue;
        const bool present =
            std::any_of(watchList.begin(), watchList.end(), [&market](const StockEntry& entry) {
                return entry.market == market.number && market.isCode(entry.code);
            });
        if (present)
            markets.push_back(market.number);
    }
    return markets;
}

} // namespace

WatchList RowsOfMarkets(const WatchList& watchList, const std::vector<int>& markets) {
    WatchList rows;
    for (const StockEntry& entry : watchList) {
        if (!Contains(markets, entry.market))
            continue;
        StockEntry& row = rows.emplace_back();
        row.code = entry.code;
        row.market = entry.market;
    }
    return rows;
}

namespace {

RefreshPart FundPart(const WatchList& watchList, std::uint32_t now) {
    RefreshPart part;
    part.kind = RefreshPartKind::kFunds;
    part.markets = {kMarketFund};
    for (const StockEntry& entry : watchList) {
        if (entry.market == kMarketFund && IsFundCode(entry.code) &&
            !std::count(part.fundCodes.begin(), part.fundCodes.end(), entry.code))
            part.fundCodes.push_back(entry.code);
    }
    const std::string base = ServiceBaseUrl(Service::kFundEstimates);
    for (const std::string& code : part.fundCodes) {
        const std::string url = base + FundEstimatePath(code, now);
        if (part.job.url.empty())
            part.job.url = url;
        else
            part.job.moreUrls.push_back(url);
    }
    // A fund whose request fails leaves the others' replies.
    part.job.eachUrlAlone = true;
    part.job.headerBlock = ServiceHeaderBlock(Service::kFundEstimates);
    part.job.jobKind = kJobQuoteText;
    part.job.timeLimitMs = kQuoteTimeLimitMs;
    part.job.sizeLimit = kMaxQuoteReplyBytes;
    return part;
}

RefreshPart RatesPart(std::vector<std::string> codes, std::uint32_t now) {
    RefreshPart part;
    part.kind = RefreshPartKind::kRates;
    part.source = kSourceSina;
    part.moreCodes = std::move(codes);
    part.job = QuoteRequester::BuildJob(WatchList(), kSourceSina, std::string(), now, part.moreCodes);
    return part;
}

std::vector<std::string> RateCodes(const std::vector<std::string>& currencies) {
    std::vector<std::string> codes;
    const std::string joined = SinaExchangeRateCodes(currencies);
    std::size_t start = 0;
    while (start < joined.size()) {
        const std::size_t comma = std::min(joined.find(',', start), joined.size());
        codes.push_back(joined.substr(start, comma - start));
        start = comma + 1;
    }
    return codes;
}

} // namespace

bool RefreshPlan::AsksRates() const {
    return std::any_of(parts.begin(), parts.end(), [](const RefreshPart& part) {
        return part.kind == RefreshPartKind::kRates || !part.moreCodes.empty();
    });
}

void ServiceHealth::OnResult(int source, bool answered) {
    if (answered)
        m_failed.erase(source);
    else
        m_failed.insert(source);
}

std::vector<std::string> HoldingCurrencies(const WatchList& watchList) {
    std::vector<std::string> currencies;
    for (const StockEntry& entry : watchList) {
        const MarketInfo* market = MarketOf(entry.market);
        if (entry.quantity <= 0 || market == nullptr || std::string_view(market->currency) == "CNY")
            continue;
        if (std::find(currencies.begin(), currencies.end(), market->currency) == currencies.end())
            currencies.emplace_back(market->currency);
    }
    return currencies;
}

std::vector<int> RefreshPlan::Markets() const {
    std::vector<int> markets;
    for (const RefreshPart& part : parts) {
        for (int market : part.markets) {
            if (!Contains(markets, market))
                markets.push_back(market);
        }
    }
    return markets;
}

bool NeedsQuoteService(const WatchList& watchList, const std::vector<int>& asked) {
    const std::vector<int> markets = MarketsOfRows(watchList, asked);
    return markets.empty() || std::any_of(markets.begin(), markets.end(),
                                          [](int number) { return !MarketOf(number)->fundService; });
}

int ServiceForMarket(int market, int mainSource, const ServiceHealth& health) {
    const MarketInfo* info = MarketOf(market);
    if (info == nullptr)
        return 0;
    // The order after the main service, wrapping round.
    const int* first = std::find(std::begin(kFallbackOrder), std::end(kFallbackOrder), mainSource);
    first = first == std::end(kFallbackOrder) ? std::begin(kFallbackOrder) : first + 1;
    int fallback = 0;
    for (std::size_t i = 0; i < std::size(kFallbackOrder); ++i) {
        const int* at =
            std::begin(kFallbackOrder) + (first - std::begin(kFallbackOrder) + i) % std::size(kFallbackOrder);
        if (*at == mainSource || !ServiceQuotesMarket(*at, *info))
            continue;
        if (!health.HasFailed(*at))
            return *at;
        if (fallback == 0)
            fallback = *at;
    }
    return fallback;
}

RefreshPlan PlanRefresh(const WatchList& watchList, const RefreshPlanRequest& request,
                        const ServiceHealth& health) {
    RefreshPlan plan;
    const std::vector<int> markets = MarketsOfRows(watchList, request.markets);
    plan.allMarkets = request.markets.empty() || markets == MarketsOfRows(watchList);
    const std::vector<std::string> rateCodes =
        request.ratesDue ? RateCodes(HoldingCurrencies(watchList)) : std::vector<std::string>();

    // Which service brings which market's rows.
    std::vector<int> mainMarkets;
    std::map<int, std::vector<int>> otherServices; // source -> markets
    bool funds = false;
    for (int number : markets) {
        const MarketInfo& market = *MarketOf(number);
        if (market.fundService)
            funds = true;
        else if (ServiceQuotesMarket(request.mainSource, market))
            mainMarkets.push_back(number);
        else if (const int source = ServiceForMarket(number, request.mainSource, health))
            otherServices[source].push_back(number);
    }

    bool ratesAsked = rateCodes.empty();
    // The refresh's own service: always asked unless the list has rows for others alone (an
    // empty list asks it as it always did).
    if (!mainMarkets.empty() || (!funds && otherServices.empty())) {
        RefreshPart part;
        part.source = request.mainSource;
        part.markets = mainMarkets;
        if (!ratesAsked && request.mainSource == kSourceSina) {
            part.moreCodes = rateCodes;
            ratesAsked = true;
        }
        plan.mainPart = static_cast<int>(plan.parts.size());
        plan.parts.push_back(std::move(part));
    }
    for (auto& [source, serviceMarkets] : otherServices) {
        RefreshPart part;
        part.source = source;
        part.markets = serviceMarkets;
        if (!ratesAsked && source == kSourceSina) {
            part.moreCodes = rateCodes;
            ratesAsked = true;
        }
        part.job = QuoteRequester::BuildJob(RowsOfMarkets(watchList, serviceMarkets), source,
                                            request.programFolder, request.now, part.moreCodes);
        plan.parts.push_back(std::move(part));
    }
    if (funds)
        plan.parts.push_back(FundPart(watchList, request.now));
    if (!ratesAsked)
        plan.parts.push_back(RatesPart(rateCodes, request.now));
    return plan;
}

} // namespace marlune
