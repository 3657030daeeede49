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

// The records of a quote part's reply, read by its service's parser for the rows of the
// part's markets alone (the derived values are worked out once, when the book takes every
// part's records).
QuoteList QuotePartRecords(const WatchList& watchList, const RefreshPart& part, std::string_view reply,
                           std::string& updateTime) {
    QuoteBook aside;
    aside.watchList = RowsOfMarkets(watchList, part.markets);
    QuoteServiceOf(part.source).readRecords(aside, reply);
    QuoteList records;
    records.reserve(aside.quoteList.size());
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

namespace {

// "jsonpgz();" (blanks and the semicolon aside): the service's word that it has no estimate.
bool SaysNoEstimate(std::string_view reply) {
    std::string compact;
    for (char c : reply) {
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n' && c != ';')
            compact.push_back(c);
    }
    return compact == "jsonpgz()";
}

// The fund's result from the joined replies: the first call that is for it.
FundResult FundResultOfJoined(std::string_view joined, const std::string& code) {
    FundResult result;
    std::size_t at = joined.find(kFundCall);
    while (at != std::string_view::npos && !result.record) {
        const std::size_t next = joined.find(kFundCall, at + kFundCall.size());
        result.record =
            ParseFundEstimate(joined.substr(at, next == std::string_view::npos ? next : next - at), code);
        at = next;
    }
    return result;
}

// The row's record as it was, without an estimate: the last net value, no change.
QuoteRecord WithoutEstimate(QuoteRecord record) {
    if (!record.previousClose.empty() && record.previousClose != "-") {
        record.price = record.previousClose;
        record.change = record.changeRate = "-";
    }
    return record;
}

// The fund part's records: each fund's new one, or its row's record as it was (without its
// estimate once the service says it has none). Returns how many funds brought a usable one.
std::size_t FundPartRecords(const QuoteBook& book, const RefreshPart& part, const GatheredReply& gathered,
                            QuoteList& records) {
    std::vector<std::optional<std::string>> joined;
    if (gathered.eachUrl.empty())
        joined.push_back(gathered.text);
    std::vector<FundResult> results =
        FundResultsOfReplies(gathered.eachUrl.empty() ? joined : gathered.eachUrl, part.fundCodes);
    std::size_t answered = 0;
    records.reserve(records.size() + results.size());
    for (std::size_t i = 0; i < results.size(); ++i) {
        if (results[i].record && IsUsableQuote(*results[i].record)) {
            records.push_back(std::move(*results[i].record));
            ++answered;
            continue;
        }
        const int kept = FindQuote(book.quoteList, part.fundCodes[i], kMarketFund);
        if (kept < 0)
            continue;
        const QuoteRecord& old = book.quoteList[static_cast<std::size_t>(kept)];
        records.push_back(results[i].saysNoEstimate ? WithoutEstimate(old) : old);
    }
    return answered;
}

} // namespace

std::vector<FundResult> FundResultsOfReplies(const std::vector<std::optional<std::string>>& replies,
                                             const std::vector<std::string>& codes) {
    std::vector<FundResult> results(codes.size());
    const bool joined = replies.size() == 1 && codes.size() > 1;
    for (std::size_t i = 0; i < codes.size(); ++i) {
        if (joined) {
            if (replies.front())
                results[i] = FundResultOfJoined(*replies.front(), codes[i]);
            continue;
        }
        if (i >= replies.size() || !replies[i])
            continue;
        results[i].record = ParseFundEstimate(*replies[i], codes[i]);
        results[i].saysNoEstimate = !results[i].record && SaysNoEstimate(*replies[i]);
    }
    return results;
}

GatheredResult ApplyGatheredReplies(QuoteBook& book, const RefreshPlan& plan,
                                    const std::vector<GatheredReply>& replies, ExchangeRateBook& rates) {
    GatheredResult result;
    result.parts.assign(plan.parts.size(), RefreshResult::kNoReply);
    // The book changes only once the refresh brought something; until then the parts' records
    // are gathered aside. Every row's quote is then made afresh from them (ComputeDerivedValues).
    QuoteList combined;
    combined.reserve(book.watchList.size());
    std::string updateTime = book.updateTime;
    bool ratesAsked = false;
    for (std::size_t i = 0; i < plan.parts.size(); ++i) {
        const RefreshPart& part = plan.parts[i];
        static const GatheredReply kNone;
        const GatheredReply& gathered = i < replies.size() ? replies[i] : kNone;
        const std::optional<std::string>& reply = gathered.text;
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
        std::string partTime;
        bool answered = false;
        if (part.kind == RefreshPartKind::kFunds) {
            answered = FundPartRecords(book, part, gathered, records) > 0;
        } else {
            if (reply && reply->size() >= kShortestReply)
                records = QuotePartRecords(book.watchList, part, *reply, partTime);
            answered = UsableRows(book, records, part.markets) > 0;
        }
        if (answered) {
            result.parts[i] = RefreshResult::kAnswered;
            if (static_cast<int>(i) == plan.mainPart || plan.mainPart < 0)
                updateTime = partTime.empty() ? updateTime : partTime;
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
    book.quoteList = std::move(combined);
    book.updateTime = std::move(updateTime);
    book.exchangeRates = rates.Rates();
    if (ratesAsked)
        book.exchangeRatesStale = !result.ratesAnswered && rates.IsStale();
    ComputeDerivedValues(book);
    if (std::string latest = LatestQuoteTime(book); !latest.empty())
        book.updateTime = std::move(latest);
    return result;
}

} // namespace marlune
