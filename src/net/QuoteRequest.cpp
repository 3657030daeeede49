#include "net/QuoteRequest.h"

#include "net/ServiceEndpoints.h"
#include "text/CNumber.h"

#include <ctime>

namespace marlune {
namespace {

struct Prefixes {
    const char* sina;
    const char* netEase;
    const char* google;
};

constexpr Prefixes kShanghai{"sh", "0", "SHA:"};
constexpr Prefixes kShenzhen{"sz", "1", "SHE:"};
constexpr Prefixes kNoPrefix{"", "", ""};

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

} // namespace

QuoteSource QuoteSourceOf(int dataSource) {
    switch (dataSource) {
    case kSourceNetEase:
        return kSourceNetEase;
    case kSourceGoogle:
        return kSourceGoogle;
    default:
        return kSourceSina;
    }
}

std::string BuildCodeList(const WatchList& watchList, int dataSource) {
    const QuoteSource source = QuoteSourceOf(dataSource);
    const char* separator = source == kSourceNetEase ? ";" : ",";
    Prefixes prefixes = kNoPrefix;
    std::string list;
    bool first = true;
    for (const StockEntry& entry : watchList) {
        if (entry.market == kMarketShanghai) {
            prefixes = kShanghai;
        } else if (entry.market == kMarketShenzhen) {
            prefixes = kShenzhen;
        }
        if (!first) {
            list += separator;
        }
        first = false;
        switch (source) {
        case kSourceNetEase:
            list += prefixes.netEase;
            break;
        case kSourceGoogle:
            list += prefixes.google;
            break;
        default:
            list += prefixes.sina;
            break;
        }
        list += UrlSafeCode(entry.code);
    }
    if (source == kSourceGoogle) {
        list += kGoogleQuerySuffix;
    }
    return list;
}

std::string BuildQuoteUrl(const WatchList& watchList, int dataSource, std::uint32_t now) {
    const std::string codes = BuildCodeList(watchList, dataSource);
    switch (QuoteSourceOf(dataSource)) {
    case kSourceNetEase:
        return ServiceBaseUrl(Service::kNetEaseQuotes) + "/?" + codes;
    case kSourceGoogle:
        return ServiceBaseUrl(Service::kGoogle) + "/finance/info?q=" + codes;
    default:
        return ServiceBaseUrl(Service::kSinaQuotes) + Format("/rn=%u&list=", now) + codes;
    }
}

std::uint32_t SystemClockSeconds() {
    return static_cast<std::uint32_t>(std::time(nullptr));
}

QuoteRequester::QuoteRequester(Clock clock) : m_clock(std::move(clock)) {}

std::optional<QuoteFetchJob> QuoteRequester::RequestQuotes(const WatchList& watchList, int dataSource,
                                                           const std::string& programFolder) {
    const std::uint32_t now = m_clock();
    // Unsigned arithmetic: a clock set back by the user reads as a long pause, not
    // as a throttle that never ends.
    const bool throttled = m_called && now - m_lastCallTime < kThrottleSeconds;
    m_called = true;
    m_lastCallTime = now;
    if (throttled) {
        return std::nullopt;
    }
    m_googleReplyFile.clear();

    QuoteFetchJob job;
    job.url = BuildQuoteUrl(watchList, dataSource, now);
    job.useProxy = 0;
    job.threadPriority = kThreadPriorityIdle;
    job.timeLimitMs = kQuoteTimeLimitMs;
    switch (QuoteSourceOf(dataSource)) {
    case kSourceNetEase:
        job.headerBlock = ServiceHeaderBlock(Service::kNetEaseQuotes);
        job.jobKind = kJobQuoteText;
        break;
    case kSourceGoogle: {
        job.headerBlock = ServiceHeaderBlock(Service::kGoogle);
        job.jobKind = kJobGoogleFile;
        std::string folder = programFolder;
        if (!folder.empty() && folder.back() != '/' && folder.back() != '\\') {
            folder += '/';
        }
        job.replyFile = folder + "data/gData.dat";
        m_googleReplyFile = job.replyFile;
        break;
    }
    default:
        job.headerBlock = ServiceHeaderBlock(Service::kSinaQuotes);
        job.jobKind = kJobQuoteText;
        break;
    }
    return job;
}

} // namespace marlune
