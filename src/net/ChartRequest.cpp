#include "net/ChartRequest.h"

#include "net/ChartImage.h"
#include "net/ServiceEndpoints.h"
#include "text/CNumber.h"

#include <cctype>

namespace marlune {
namespace {

bool IsSafeCode(std::string_view code) {
    if (code.empty())
        return false;
    for (char c : code) {
        if (!std::isalnum(static_cast<unsigned char>(c)))
            return false;
    }
    return true;
}

} // namespace

std::string MarketPrefix(int market) {
    if (market == kMarketShanghai)
        return "sh";
    if (market == kMarketShenzhen)
        return "sz";
    return {};
}

std::string ChartFilePath(const std::string& dataFolder, std::string_view prefix, std::string_view code) {
    std::string path = dataFolder;
    if (!path.empty() && path.back() != '/')
        path += '/';
    path.append(prefix).append(code).append(".dat");
    return path;
}

std::string ChartRequestUrl(int market, std::string_view code) {
    std::string url = ServiceBaseUrl(Service::kHexunCharts) + Format("/stock/chart/bf/%d/", market - 1);
    url.append(code).append(".png");
    return url;
}

std::vector<QuoteFetchJob> BuildChartJobs(const WatchList& entries, const std::string& dataFolder) {
    std::vector<QuoteFetchJob> jobs;
    const std::string headerBlock = ServiceHeaderBlock(Service::kHexunCharts);
    std::string prefix;
    for (const StockEntry& entry : entries) {
        if (entry.market == kMarketShanghai || entry.market == kMarketShenzhen)
            prefix = MarketPrefix(entry.market);
        if (!IsSafeCode(entry.code))
            continue;
        QuoteFetchJob job;
        job.url = ChartRequestUrl(entry.market, entry.code);
        job.replyFile = ChartFilePath(dataFolder, prefix, entry.code);
        job.headerBlock = headerBlock;
        job.jobKind = kJobSideDownload;
        job.threadPriority = kThreadPriorityIdle;
        job.timeLimitMs = kChartTimeLimitMs;
        job.sizeLimit = kMaxChartFileBytes; // what the popup accepts
        jobs.push_back(std::move(job));
    }
    return jobs;
}

} // namespace marlune
