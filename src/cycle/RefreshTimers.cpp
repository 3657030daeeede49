#include "cycle/RefreshTimers.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace marlune {

namespace {

std::optional<int> Period(int freshSec, std::int64_t factor, std::int64_t offset) {
    if (freshSec <= 0)
        return std::nullopt;
    const std::int64_t ms = std::int64_t{freshSec} * factor + offset;
    return static_cast<int>(std::clamp<std::int64_t>(ms, 0, INT_MAX));
}

} // namespace

std::optional<int> QuoteTimerMs(int freshSec) {
    return Period(freshSec, 1000, 0);
}

std::optional<int> ChartTimerMs(int freshSec) {
    return Period(freshSec, 3000, -2000);
}

std::optional<int> RestartedQuoteTimerMs(int freshSec, QuoteTimerRestart restart) {
    if (restart == QuoteTimerRestart::kStopped)
        return std::nullopt;
    if (restart == QuoteTimerRestart::kTenfoldPeriod)
        return Period(freshSec, 10000, 0);
    return Period(freshSec, 1000, 0);
}

} // namespace marlune
