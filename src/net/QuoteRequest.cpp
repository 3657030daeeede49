#include "net/QuoteRequest.h"

#include "net/ServiceEndpoints.h"
#include "quote/Markets.h"
#include "text/CNumber.h"

#include <algorithm>
#include <chrono>
#include <ctime>

namespace marlune {
namespace {

bool IsUrlSafe(unsigned char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '.' ||
           c == '-' || c == '_';
}

std::string UrlSafeCode(const std::string& code) {
    std::string safe;
    safe.reserve(code.size());
    for (unsigned char c : code) {
        if (IsUrlSafe(c)) {
            safe += static_cast<char>(c);
        } else {
            safe += Format("%%%02X", c);
        }
    }
    return safe;
}

// The items of the code list ("sh600000"), in watch-list order.
std::vector<std::string> CodeItems(const WatchList& watchList, const QuoteService& service) {
    const char* prefix = "";
    std::vector<std::string> items;
    items.reserve(watchList.size());
    for (const StockEntry& entry : watchList) {
        if (entry.market == kMarketShanghai) {
            prefix = service.shanghaiPrefix;
        } else if (entry.market == kMarketShenzhen) {
            prefix = service.shenzhenPrefix;
        } else if (const MarketInfo* market = MarketOf(entry.market)) {
            // Beijing, Hong Kong and US codes as the service names them; a code the market
            // cannot have, or a market the service does not quote (funds), is not asked.
            if (market->isCode(entry.code) && ServiceQuotesMarket(service.source, *market))
                items.push_back(ServiceCodeOf(service.source, *market, entry.code));
            continue;
        }
        items.push_back(prefix + UrlSafeCode(entry.code));
    }
    return items;
}

std::string JoinCodeList(std::vector<std::string>::const_iterator first,
                         std::vector<std::string>::const_iterator last, const QuoteService& service) {
    std::string list;
    for (auto it = first; it != last; ++it) {
        if (it != first) {
            list += service.separator;
        }
        list += *it;
    }
    list += service.codeListSuffix;
    return list;
}

} // namespace

std::string BuildCodeList(const WatchList& watchList, int dataSource) {
    const QuoteService& service = QuoteServiceOf(dataSource);
    const std::vector<std::string> items = CodeItems(watchList, service);
    return JoinCodeList(items.begin(), items.end(), service);
}

std::string BuildQuoteUrl(const WatchList& watchList, int dataSource, std::uint32_t now) {
    const QuoteService& service = QuoteServiceOf(dataSource);
    return ServiceBaseUrl(service.endpoint) + service.requestPath(BuildCodeList(watchList, dataSource), now);
}

std::vector<std::string> BuildQuoteUrls(const WatchList& watchList, int dataSource, std::uint32_t now,
                                        const std::vector<std::string>& moreCodes) {
    const QuoteService& service = QuoteServiceOf(dataSource);
    std::vector<std::string> items = CodeItems(watchList, service);
    for (const std::string& code : moreCodes)
        items.push_back(UrlSafeCode(code));
    const std::size_t slice = service.maxCodesPerRequest > 0 ? service.maxCodesPerRequest : items.size();
    const std::string base = ServiceBaseUrl(service.endpoint);
    std::vector<std::string> urls;
    std::size_t start = 0;
    do {
        const std::size_t end = std::min(items.size(), start + slice);
        urls.push_back(base + service.requestPath(
                                  JoinCodeList(items.begin() + static_cast<std::ptrdiff_t>(start),
                                               items.begin() + static_cast<std::ptrdiff_t>(end), service),
                                  now));
        start = end;
    } while (start < items.size());
    return urls;
}

std::uint32_t SystemClockSeconds() {
    return static_cast<std::uint32_t>(std::time(nullptr));
}

std::int64_t SteadyClockMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

QuoteRequester::QuoteRequester(Clock clock, SteadyClock steadyMs)
    : m_clock(std::move(clock)), m_steadyMs(std::move(steadyMs)) {}

bool QuoteRequester::MayRequest() const {
    // Only a call that requests moves the throttle on: were dropped calls to move it too, a
    // refresh period under 4 seconds would drop every call after the first, for good.
    return !m_called || m_steadyMs() - m_lastCallMs >= kThrottleMs;
}

QuoteFetchJob QuoteRequester::BuildJob(const WatchList& watchList, int dataSource,
                                       const std::string& programFolder, std::uint32_t now,
                                       const std::vector<std::string>& moreCodes) {
    const QuoteService& service = QuoteServiceOf(dataSource);
    std::vector<std::string> urls = BuildQuoteUrls(watchList, dataSource, now, moreCodes);
    QuoteFetchJob job;
    job.url = std::move(urls.front());
    job.moreUrls.assign(std::make_move_iterator(urls.begin() + 1), std::make_move_iterator(urls.end()));
    job.headerBlock = ServiceHeaderBlock(service.endpoint);
    job.quoteSource = service.source;
    job.threadPriority = kThreadPriorityIdle;
    job.timeLimitMs = kQuoteTimeLimitMs;
    job.sizeLimit = kMaxQuoteReplyBytes;
    if (*service.replyFile == '\0') {
        job.jobKind = kJobQuoteText;
    } else {
        job.jobKind = kJobGoogleFile;
        std::string folder = programFolder;
        if (!folder.empty() && folder.back() != '/' && folder.back() != '\\') {
            folder += '/';
        }
        job.replyFile = folder + service.replyFile;
    }
    return job;
}

std::optional<QuoteFetchJob> QuoteRequester::RequestQuotes(const WatchList& watchList, int dataSource,
                                                           const std::string& programFolder) {
    if (!MayRequest()) {
        return std::nullopt;
    }
    return RequestQuotesNow(watchList, dataSource, programFolder);
}

void QuoteRequester::OnRequestSent() {
    m_called = true;
    m_lastCallMs = m_steadyMs();
}

QuoteFetchJob QuoteRequester::RequestQuotesNow(const WatchList& watchList, int dataSource,
                                               const std::string& programFolder,
                                               const std::vector<std::string>& moreCodes) {
    OnRequestSent();
    QuoteFetchJob job = BuildJob(watchList, dataSource, programFolder, m_clock(), moreCodes);
    m_googleReplyFile = job.replyFile;
    return job;
}

} // namespace marlune
