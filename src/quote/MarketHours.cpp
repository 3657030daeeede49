#include "quote/MarketHours.h"

#include "text/BeijingTime.h"

#include <algorithm>
#include <utility>

namespace marlune {
namespace {

constexpr std::int64_t kDay = 86400;
constexpr std::int64_t kHour = 3600;

// Floor division, for moments before 1970 as well.
std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

// 0 Sunday .. 6 Saturday of a day number (1970-01-01 was a Thursday).
int WeekdayOf(std::int64_t days) {
    return static_cast<int>(((days % 7) + 11) % 7);
}

// Day number of the n-th Sunday (n from 1) of a month.
std::int64_t NthSunday(int year, int month, int n) {
    const std::int64_t first = DaysFromCivil(year, month, 1);
    const int toSunday = (7 - WeekdayOf(first)) % 7;
    return first + toSunday + 7 * (n - 1);
}

} // namespace

std::int64_t NewYorkOffsetSeconds(std::int64_t unixSeconds) {
    int year = 0;
    int month = 0;
    int day = 0;
    CivilFromDays(FloorDiv(unixSeconds - 5 * kHour, kDay), year, month, day);
    // 02:00 standard time (07:00 UTC) on the second Sunday of March, 02:00 daylight time
    // (06:00 UTC) on the first Sunday of November.
    const std::int64_t summerStarts = NthSunday(year, 3, 2) * kDay + 7 * kHour;
    const std::int64_t summerEnds = NthSunday(year, 11, 1) * kDay + 6 * kHour;
    return unixSeconds >= summerStarts && unixSeconds < summerEnds ? -4 * kHour : -5 * kHour;
}

std::int64_t MarketClockOffsetSeconds(MarketClock clock, std::int64_t unixSeconds) {
    return clock == MarketClock::NewYork ? NewYorkOffsetSeconds(unixSeconds) : kBeijingOffsetSeconds;
}

std::int64_t UnixSecondsOfMarketTime(MarketClock clock, std::int64_t localSeconds) {
    if (clock == MarketClock::Beijing)
        return localSeconds - kBeijingOffsetSeconds;
    // Try the standard offset first; a time that daylight saving applies to reads as summer.
    const std::int64_t winter = localSeconds + 5 * kHour;
    const std::int64_t summer = localSeconds + 4 * kHour;
    return NewYorkOffsetSeconds(summer) == -4 * kHour ? summer : winter;
}

namespace {

struct LocalMoment {
    std::int64_t day;
    int second;
};

LocalMoment LocalMomentOf(const MarketInfo& market, std::int64_t unixSeconds) {
    const std::int64_t local = unixSeconds + MarketClockOffsetSeconds(market.clock, unixSeconds);
    const std::int64_t day = FloorDiv(local, kDay);
    return {day, static_cast<int>(local - day * kDay)};
}

bool IsWeekday(std::int64_t day) {
    const int weekday = WeekdayOf(day);
    return weekday >= 1 && weekday <= 5;
}

} // namespace

bool IsMarketInSession(const MarketInfo& market, std::int64_t unixSeconds) {
    const LocalMoment moment = LocalMomentOf(market, unixSeconds);
    if (!IsWeekday(moment.day))
        return false;
    for (std::size_t i = 0; i < market.sessionCount; ++i) {
        if (moment.second >= market.sessions[i].start && moment.second < market.sessions[i].end)
            return true;
    }
    return false;
}

std::optional<std::int64_t> LatestSessionEnd(const MarketInfo& market, std::int64_t unixSeconds) {
    const LocalMoment moment = LocalMomentOf(market, unixSeconds);
    if (!IsWeekday(moment.day))
        return std::nullopt;
    std::optional<std::int64_t> latest;
    for (std::size_t i = 0; i < market.sessionCount; ++i) {
        if (market.sessions[i].end <= moment.second)
            latest = unixSeconds - (moment.second - market.sessions[i].end);
    }
    return latest;
}

namespace {

// The markets of the rows, each once, in table order.
std::vector<int> MarketsOfRows(const WatchList& watchList) {
    std::vector<int> shown;
    for (const MarketInfo& market : MarketTable()) {
        if (std::any_of(watchList.begin(), watchList.end(),
                        [&market](const StockEntry& entry) { return entry.market == market.number; }))
            shown.push_back(market.number);
    }
    return shown;
}

} // namespace

std::vector<int> MarketsInSession(const WatchList& watchList, std::int64_t unixSeconds) {
    std::vector<int> open = MarketsOfRows(watchList);
    open.erase(std::remove_if(
                   open.begin(), open.end(),
                   [unixSeconds](int market) { return !IsMarketInSession(*MarketOf(market), unixSeconds); }),
               open.end());
    return open;
}

std::string ClosedMarketsText(const WatchList& watchList, std::int64_t unixSeconds,
                              const std::vector<int>& closedToday) {
    const auto trades = [&](int market) {
        return IsMarketInSession(*MarketOf(market), unixSeconds) &&
               std::find(closedToday.begin(), closedToday.end(), market) == closedToday.end();
    };
    const std::vector<int> shown = MarketsOfRows(watchList);
    if (std::none_of(shown.begin(), shown.end(), trades))
        return {};
    std::string text;
    for (const auto& [number, closedText] : {std::pair<int, const char*>{kMarketHongKong, "港股休市"},
                                             std::pair<int, const char*>{kMarketUnitedStates, "美股休市"}}) {
        if (std::find(shown.begin(), shown.end(), number) != shown.end() && !trades(number))
            text += (text.empty() ? "" : "，") + std::string(closedText);
    }
    return text;
}

bool IsFundNetValueTime(std::int64_t unixSeconds) {
    const BeijingTime time = BeijingTimeAt(unixSeconds);
    return time.IsWeekday() && time.hour >= kFundNetValueHour;
}

} // namespace marlune
