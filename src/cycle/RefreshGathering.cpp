#include "cycle/RefreshGathering.h"

#include "quote/DerivedValues.h"
#include "quote/FundEstimate.h"
#include "quote/Markets.h"
#include "quote/QuoteDispatch.h"
#include "quote/QuoteService.h"
#include "quote/TradingHours.h"
#include "quote/WatchListFile.h"

#include <algorithm>

namespace marlune {
namespace {

constexpr std::string_view kFundCall = "jsonpgz(";
// As the quote dispatch: a reply this short is no reply.
constexpr std::size_t kShortestReply = 5;

bool Contains(const std::vector<int>& values, int value) {
    return std::find(values.begin(), values.end(), value) != values.end();
}

// The part's usable records, and the rows of its markets they give a quote.
std::size_t UsableRows(const QuoteBook& book, const QuoteList& records, const std::vector<int>& markets) {
    std::size_t usable = 0;
    for (const StockEntry& entry : book.watchList) {
        if (!Contains(markets, entry.market))
            continue;
        const int found = FindQuote(records, entry.code, entry.market);
        usable += found >= 0 && IsUsableQuote(records[static_cast<std::size_t>(found)]) ? 1 : 0;
    }
    return usable;
}

// The records of a quote part's reply for the rows of its markets.
QuoteList QuotePartRecords(const QuoteBook& cleared, const RefreshPart& part, std::string_view reply,
                           std::string& updateTime) {
    QuoteBook aside = cleared;
    QuoteServiceOf(part.source).parse(aside, reply);
    QuoteList records;
    for (QuoteRecord& record : aside.quoteList) {
        if (Contains(part.markets, record.market))
            records.push_back(std::move(record));
    }
    updateTime = std::move(aside.updateTime);
    return records;
}

} // namespace

void RefreshGathering::Begin(RefreshPlan plan) {
    m_plan = std::move(plan);
    m_reports.assign(m_plan.parts.size(), std::nullopt);
    m_open = true;
}

bool RefreshGathering::IsSingle() const {
    if (!m_plan.allMarkets || m_plan.parts.size() != 1)
        return false;
    const RefreshPart& part = m_plan.parts.front();
    return part.kind == RefreshPartKind::kQuotes && part.moreCodes.empty() &&
           std::all_of(part.markets.begin(), part.markets.end(),
                       [](int market) { return market == kMarketShanghai || market == kMarketShenzhen; });
}

bool RefreshGathering::Take(const FetchReport& report) {
    if (!m_open)
        return false;
    if (m_plan.parts.size() == 1) {
        m_reports.front() = report;
        return true;
    }
    for (std::size_t i = 0; i < m_plan.parts.size(); ++i) {
        const QuoteFetchJob& job = m_plan.parts[i].job;
        if (!m_reports[i] && job.url == report.url && job.quoteSource == report.quoteSource) {
            m_reports[i] = report;
            break;
        }
    }
    return std::all_of(m_reports.begin(), m_reports.end(), [](const auto& r) { return r.has_value(); });
}

QuoteList FundRecordsOfReplies(std::string_view utf8Replies, const std::vector<std::string>& codes) {
    QuoteList records;
    std::vector<bool> taken(codes.size(), false);
    std::size_t at = utf8Replies.find(kFundCall);
    while (at != std::string_view::npos) {
        const std::size_t next = utf8Replies.find(kFundCall, at + kFundCall.size());
        const std::string_view reply =
            utf8Replies.substr(at, next == std::string_view::npos ? next : next - at);
        for (std::size_t i = 0; i < codes.size(); ++i) {
            if (taken[i])
                continue;
            if (std::optional<QuoteRecord> record = ParseFundEstimate(reply, codes[i])) {
                records.push_back(std::move(*record));
                taken[i] = true;
                break;
            }
        }
        at = next;
    }
    return records;
}

GatheredResult ApplyGatheredReplies(QuoteBook& book, const RefreshPlan& plan,
                                    const std::vector<std::optional<std::string>>& replies,
                                    ExchangeRateBook& rates) {
    GatheredResult result;
    result.parts.assign(plan.parts.size(), RefreshResult::kNoReply);
    // Parsed aside: the book changes only once the refresh brought something.
    QuoteBook parsed = book;
    parsed.quoteList.clear();
    for (StockEntry& entry : parsed.watchList)
        ClearQuote(entry);
    const QuoteBook cleared = parsed;

    QuoteList combined;
    bool ratesAsked = false;
    for (std::size_t i = 0; i < plan.parts.size(); ++i) {
        const RefreshPart& part = plan.parts[i];
        const std::optional<std::string>& reply = i < replies.size() ? replies[i] : std::nullopt;
        if (!part.moreCodes.empty()) {
            ratesAsked = true;
            const std::vector<ExchangeRate> got =
                reply ? ParseSinaExchangeRates(*reply) : std::vector<ExchangeRate>();
            rates.OnRates(got);
            result.ratesAnswered = result.ratesAnswered || !got.empty();
        }
        if (part.kind == RefreshPartKind::kRates) {
            result.parts[i] = !reply                 ? RefreshResult::kNoReply
                              : result.ratesAnswered ? RefreshResult::kAnswered
                                                     : RefreshResult::kNoUsableRecords;
            continue;
        }
        QuoteList records;
        std::string updateTime;
        if (reply && reply->size() >= kShortestReply) {
            records = part.kind == RefreshPartKind::kFunds
                          ? FundRecordsOfReplies(*reply, part.fundCodes)
                          : QuotePartRecords(cleared, part, *reply, updateTime);
        }
        if (UsableRows(parsed, records, part.markets) > 0) {
            result.parts[i] = RefreshResult::kAnswered;
            if (static_cast<int>(i) == plan.mainPart || plan.mainPart < 0)
                parsed.updateTime = updateTime.empty() ? parsed.updateTime : updateTime;
            std::move(records.begin(), records.end(), std::back_inserter(combined));
            result.applied = true;
        } else {
            // A part that failed keeps its rows' values as they were.
            result.parts[i] = reply ? RefreshResult::kNoUsableRecords : RefreshResult::kNoReply;
            for (const QuoteRecord& record : book.quoteList) {
                if (Contains(part.markets, record.market))
                    combined.push_back(record);
            }
        }
    }
    if (!result.applied) {
        // Rates that came still count for the next refresh's total.
        return result;
    }
    // Markets closed at this tick were not asked: their rows stay as they are.
    const std::vector<int> asked = plan.Markets();
    for (const QuoteRecord& record : book.quoteList) {
        if (!Contains(asked, record.market))
            combined.push_back(record);
    }
    parsed.quoteList = std::move(combined);
    parsed.exchangeRates = rates.Rates();
    parsed.exchangeRatesStale =
        ratesAsked ? !result.ratesAnswered && rates.IsStale() : book.exchangeRatesStale;
    ComputeDerivedValues(parsed);
    if (std::string latest = LatestQuoteTime(parsed); !latest.empty())
        parsed.updateTime = std::move(latest);
    TakeParsedState(book, std::move(parsed));
    return result;
}

} // namespace marlune
