#pragma once
// The intraday chart downloads: one request per watch-list entry to the Hexun chart
// service, each writing the PNG to the entry's chart file.

#include "net/FetchJob.h"
#include "quote/StockEntry.h"

#include <string>
#include <string_view>
#include <vector>

namespace marlune {

// "sh" for Shanghai, "sz" for Shenzhen, empty for any other market.
std::string MarketPrefix(int market);

// The chart file of a stock: data folder (ending with '/') + prefix + code + ".dat".
std::string ChartFilePath(const std::string& dataFolder, std::string_view prefix, std::string_view code);

// Hexun chart base URL + "/stock/chart/bf/<market - 1>/" + code + ".png".
std::string ChartRequestUrl(int market, std::string_view code);

// The chart jobs of the watch list, in its order: side-download jobs at idle priority
// with the Hexun header block, each writing its entry's chart file, within the chart
// time limit and at most kMaxChartFileBytes.
//
// An entry of another market than Shanghai or Shenzhen keeps the prefix of the entry
// before it (none for the first). An entry whose code is empty or holds anything but
// letters and digits gets no job: its code would otherwise become part of a file path
// and a URL.
std::vector<QuoteFetchJob> BuildChartJobs(const WatchList& entries, const std::string& dataFolder);

} // namespace marlune
