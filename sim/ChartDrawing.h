#pragma once
// The intraday chart the Hexun chart service serves: the price line of the day so far
// against the previous close (red above, green below), the average price, minute
// volume bars and the price and percent scales, as an 8-bit palette PNG.

#include "sim/DayPath.h"

#include <string>
#include <vector>

namespace marlune::sim {

constexpr int kChartWidth = 426;
constexpr int kChartHeight = 290;

struct ChartInput {
    std::string code;
    bool isIndex = false;
    double previousClose = 0;
    std::vector<MinuteBar> bars; // the minutes so far
};

// The chart as PNG bytes; empty only if the encoder fails.
std::string DrawIntradayChart(const ChartInput& input);

} // namespace marlune::sim
