#include "sim/DayPath.h"

#include "sim/Noise.h"
#include "sim/TradingClock.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace marlune::sim {

namespace {

// Purposes of the random numbers, so that no two uses share a value. Per second (or
// minute) of a session, below 8:
enum Purpose : std::uint64_t {
    kWalkNoise = 0,
    kVolumeNoise = 1,
    kBookNoise = 2,
    kMinuteActivity = 3, // indexed by minute instead of second
};
// Per security or session:
enum Salt : std::uint64_t {
    kSaltDayShock = 3,
    kSaltGap = 4,
    kSaltTurnover = 5,
    kSaltVolatility = 6,
    kSaltSize = 7,
};

constexpr int kShockMemory = 20;       // sessions that still weigh on the previous close
constexpr double kShockDecay = 0.8;    // weight kept per session
constexpr double kAuctionShare = 0.01; // part of the day's volume traded in the opening auction

std::uint64_t SessionBits(std::int64_t session) {
    return static_cast<std::uint64_t>(session);
}

// Trading intensity over the day: busy at the open, quiet at noon, busy at the close.
double ProfileFormula(int second) {
    const double minute = second / 60.0;
    return 1.0 + 1.6 * std::exp(-minute / 15.0) + 0.9 * std::exp(-(kSessionMinutes - minute) / 12.0);
}

// The intensity of every second, scaled to an average of 1.
const std::vector<double>& Profile() {
    static const std::vector<double> profile = [] {
        std::vector<double> values(kSessionSeconds + 1);
        double sum = 0;
        for (int second = 1; second <= kSessionSeconds; ++second) {
            values[second] = ProfileFormula(second);
            sum += values[second];
        }
        for (double& value : values) {
            value *= kSessionSeconds / sum;
        }
        return values;
    }();
    return profile;
}

} // namespace

std::uint64_t StockKey(const StockInfo& stock) {
    return static_cast<std::uint64_t>(stock.market) * 1000000u + std::strtoul(stock.code, nullptr, 10);
}

double DayPath::PreviousCloseOf(std::uint64_t seed, const StockInfo& stock, std::int64_t session) {
    const std::uint64_t key = StockKey(stock);
    const double shockWidth = stock.IsIndex() ? 0.015 : 0.035;
    double level = 0;
    double weight = 1;
    for (int back = 1; back <= kShockMemory; ++back) {
        const double unit = UnitFrom(Hash(seed, key, SessionBits(session - back), kSaltDayShock));
        level += weight * (2 * unit - 1) * shockWidth;
        weight *= kShockDecay;
    }
    const double tick = 0.01; // indices too: the services quote them to the hundredth
    return std::max(tick, std::round(stock.baseClose * std::exp(level) / tick) * tick);
}

DayPath::DayPath(std::uint64_t seed, const StockInfo& stock, std::int64_t session)
    : m_seed(seed), m_key(StockKey(stock)), m_session(session), m_isIndex(stock.IsIndex()), m_tick(0.01) {
    m_sessionBits = Hash(seed, m_key, SessionBits(session));
    m_previousClose = PreviousCloseOf(seed, stock, session);
    m_limitUp = roundToTick(m_previousClose * 1.1);
    m_limitDown = std::max(m_tick, roundToTick(m_previousClose * 0.9));

    const std::uint64_t sessionBits = SessionBits(session);
    const double gapWidth = m_isIndex ? 0.004 : 0.01;
    const double gapUnit = UnitFrom(Hash(seed, m_key, sessionBits, kSaltGap));
    const double open = std::clamp(roundToTick(m_previousClose * std::exp((2 * gapUnit - 1) * gapWidth)),
                                   m_limitDown, m_limitUp);
    m_logOpen = std::log(open);
    m_logClose = std::log(std::clamp(PreviousCloseOf(seed, stock, session + 1), m_limitDown, m_limitUp));

    const double volatilityUnit = UnitFrom(Hash(seed, m_key, 0, kSaltVolatility));
    const double dailyVolatility = m_isIndex ? 0.008 + 0.006 * volatilityUnit : 0.012 + 0.02 * volatilityUnit;
    // A bridge is calmer than a free walk (it must come back); 1.6 restores a lively day.
    m_sigmaPerSecond = 1.6 * dailyVolatility / std::sqrt(static_cast<double>(kSessionSeconds));

    const double dayUnit = UnitFrom(Hash(seed, m_key, sessionBits, kSaltTurnover));
    double dayAmount;
    double dayShares;
    if (m_isIndex) {
        dayAmount = stock.indexTurnover * 1e8 * (0.8 + 0.4 * dayUnit);
        m_indexSharePrice = 11.0;
        dayShares = dayAmount / m_indexSharePrice;
    } else {
        const double sizeUnit = UnitFrom(Hash(seed, m_key, 0, kSaltSize));
        dayAmount = std::pow(10.0, 8.3 + 1.3 * sizeUnit) * (0.7 + 0.6 * dayUnit);
        dayShares = dayAmount / m_previousClose;
    }
    m_sharesPerSecond = dayShares * (1 - kAuctionShare) / kSessionSeconds;

    // Busy and quiet minutes, averaging 1.
    m_minuteActivity.resize(kSessionMinutes);
    for (int minute = 0; minute < kSessionMinutes; ++minute) {
        const double unit = UnitFrom(secondBits(minute, kMinuteActivity));
        m_minuteActivity[minute] = 0.35 + 1.95 * unit * unit;
    }

    // First pass: where the driving walk ends, which the bridge subtracts everywhere.
    for (int second = 1; second <= kSessionSeconds; ++second) {
        m_walkEnd += noiseAt(second);
    }

    // Second pass: the day minute by minute.
    State state;
    state.price = open;
    state.high = open;
    state.low = open;
    double auction = dayShares * kAuctionShare;
    auction = m_isIndex ? std::round(auction) : std::round(auction / 100) * 100;
    state.volume = auction;
    state.amount = auction * (m_isIndex ? m_indexSharePrice : open);
    m_minuteStates.reserve(kSessionMinutes + 1);
    m_bars.reserve(kSessionMinutes);
    m_minuteStates.push_back(state);
    for (int minute = 0; minute < kSessionMinutes; ++minute) {
        MinuteBar bar;
        bar.open = state.price;
        bar.high = state.price;
        bar.low = state.price;
        const double volumeBefore = minute == 0 ? 0 : state.volume;
        const double amountBefore = minute == 0 ? 0 : state.amount;
        for (int second = minute * 60 + 1; second <= minute * 60 + 60; ++second) {
            advance(state, second);
            bar.high = std::max(bar.high, state.price);
            bar.low = std::min(bar.low, state.price);
        }
        bar.close = state.price;
        bar.volume = state.volume - volumeBefore;
        bar.amount = state.amount - amountBefore;
        m_bars.push_back(bar);
        m_minuteStates.push_back(state);
    }
}

double DayPath::roundToTick(double value) const {
    return std::round(value / m_tick) * m_tick;
}

std::uint64_t DayPath::secondBits(int second, std::uint64_t purpose) const {
    return Mix(m_sessionBits ^ Mix(static_cast<std::uint64_t>(second) * 8 + purpose));
}

double DayPath::noiseAt(int second) const {
    return NormalFrom(secondBits(second, kWalkNoise));
}

void DayPath::advance(State& state, int second) const {
    const double noise = noiseAt(second);
    state.w += noise;
    const double share = static_cast<double>(second) / kSessionSeconds;
    const double logPrice =
        m_logOpen + (m_logClose - m_logOpen) * share + m_sigmaPerSecond * (state.w - share * m_walkEnd);
    state.price = std::clamp(roundToTick(std::exp(logPrice)), m_limitDown, m_limitUp);
    state.high = std::max(state.high, state.price);
    state.low = std::min(state.low, state.price);

    const std::uint64_t bits = secondBits(second, kVolumeNoise);
    const double amountUnit = static_cast<double>(bits & 0xFFFFFFFFu) / 4294967296.0;
    const double roundingUnit = static_cast<double>(bits >> 32) / 4294967296.0;
    // Spiky: mostly small trades, now and then a big one, more of them when the price jumps.
    const double expected = m_sharesPerSecond * Profile()[second] * m_minuteActivity[(second - 1) / 60] *
                            (0.2 + 2.4 * amountUnit * amountUnit) * (0.6 + 0.5 * std::fabs(noise));
    if (m_isIndex) {
        const double shares = std::floor(expected + roundingUnit);
        state.volume += shares;
        state.amount += shares * m_indexSharePrice * state.price / m_previousClose;
    } else {
        const double shares = std::floor(expected / 100 + roundingUnit) * 100;
        state.volume += shares;
        state.amount += shares * state.price;
    }
}

DaySnapshot DayPath::At(int second) const {
    second = std::clamp(second, 0, kSessionSeconds - 1);
    const int minute = second / 60;
    State state = m_minuteStates[minute];
    for (int step = minute * 60 + 1; step <= second; ++step) {
        advance(state, step);
    }
    DaySnapshot snapshot;
    snapshot.previousClose = m_previousClose;
    snapshot.open = roundToTick(std::exp(m_logOpen));
    snapshot.price = state.price;
    snapshot.high = state.high;
    snapshot.low = state.low;
    snapshot.volume = state.volume;
    snapshot.amount = state.amount;
    return snapshot;
}

std::vector<MinuteBar> DayPath::BarsUntil(int second) const {
    second = std::clamp(second, 0, kSessionSeconds - 1);
    const int minute = second / 60;
    std::vector<MinuteBar> bars(m_bars.begin(), m_bars.begin() + minute);
    if (second % 60 == 0 && minute > 0) {
        return bars;
    }
    // The minute in progress, from its start to this second.
    State state = m_minuteStates[minute];
    MinuteBar bar;
    bar.open = state.price;
    bar.high = state.price;
    bar.low = state.price;
    const double volumeBefore = minute == 0 ? 0 : state.volume;
    const double amountBefore = minute == 0 ? 0 : state.amount;
    for (int step = minute * 60 + 1; step <= second; ++step) {
        advance(state, step);
        bar.high = std::max(bar.high, state.price);
        bar.low = std::min(bar.low, state.price);
    }
    bar.close = state.price;
    bar.volume = state.volume - volumeBefore;
    bar.amount = state.amount - amountBefore;
    bars.push_back(bar);
    return bars;
}

BookLevels DayPath::Book(int second, double price) const {
    BookLevels book;
    if (m_isIndex) {
        return book;
    }
    std::uint64_t bits = secondBits(second, kBookNoise);
    const double lotsPerLevel = std::max(1.0, m_sharesPerSecond * 60 / 100 / 4);
    auto nextUnit = [&bits] {
        bits = Mix(bits);
        return UnitFrom(bits);
    };
    const bool atUpper = price >= m_limitUp - m_tick / 2;
    const bool atLower = price <= m_limitDown + m_tick / 2;
    // Usually the last trade hit the bid; sometimes it lifted the offer.
    double bestBid = (atUpper || nextUnit() < 0.5) ? price : price - m_tick;
    if (atLower) {
        bestBid = price - m_tick; // nobody buys below the lower limit
    }
    const double bestAsk = atLower ? price : bestBid + m_tick;
    for (int level = 0; level < 5; ++level) {
        const double bid = roundToTick(bestBid - level * m_tick);
        if (bid >= m_limitDown - m_tick / 2) {
            book.bidPrice[level] = bid;
            book.bidVolume[level] = (1 + std::floor(nextUnit() * 2 * lotsPerLevel)) * 100;
        }
        const double ask = roundToTick(bestAsk + level * m_tick);
        if (!atUpper && ask <= m_limitUp + m_tick / 2) {
            book.askPrice[level] = ask;
            book.askVolume[level] = (1 + std::floor(nextUnit() * 2 * lotsPerLevel)) * 100;
        }
    }
    return book;
}

} // namespace marlune::sim
