#pragma once
// One security's simulated trading day.
//
// The price follows a Brownian bridge in log space from the day's open to the next
// day's previous close, so consecutive sessions join up, and is rounded to the tick
// (0.01 yuan for shares, 0.001 points for indices) and held inside the daily limit of
// +-10 % around the previous close. Volume arrives every second, more at the open and
// the close than at noon; a share trades in lots of 100 and its turnover is the sum of
// shares times the price they traded at. The path is computed once per security and
// session and kept as one state per minute; a moment inside a minute is recomputed
// from the state at the start of that minute.

#include "sim/StockTable.h"

#include <array>
#include <cstdint>
#include <vector>

namespace marlune::sim {

struct MinuteBar {
    double open = 0;
    double close = 0;
    double high = 0;
    double low = 0;
    double volume = 0; // shares traded in the minute (the first minute includes the opening auction)
    double amount = 0; // yuan traded in the minute
};

// The day so far at one moment.
struct DaySnapshot {
    double previousClose = 0;
    double open = 0;
    double price = 0;
    double high = 0;
    double low = 0;
    double volume = 0; // shares since the open, opening auction included
    double amount = 0; // yuan since the open
};

// Five levels of the order book on each side; a price of 0 marks an empty level
// (no sellers at the upper limit, no buyers at the lower limit). Volumes in shares.
struct BookLevels {
    std::array<double, 5> bidPrice{};
    std::array<double, 5> bidVolume{};
    std::array<double, 5> askPrice{};
    std::array<double, 5> askVolume{};
};

class DayPath {
public:
    DayPath(std::uint64_t seed, const StockInfo& stock, std::int64_t session);

    // The day at a trading second (clamped to 0 .. kSessionSeconds - 1).
    DaySnapshot At(int second) const;

    // The minute bars begun by a trading second, the last one ending at that second.
    std::vector<MinuteBar> BarsUntil(int second) const;

    // The order book around a price at a trading second; all empty for an index.
    BookLevels Book(int second, double price) const;

    double PreviousClose() const { return m_previousClose; }
    double LimitUp() const { return m_limitUp; }
    double LimitDown() const { return m_limitDown; }
    double Tick() const { return m_tick; }

    // The previous close of a session: a slowly wandering level around the
    // security's typical close, bounded so that one day never moves more than 7 %.
    static double PreviousCloseOf(std::uint64_t seed, const StockInfo& stock, std::int64_t session);

private:
    struct State {
        double w = 0; // the driving random walk, in standard deviations
        double price = 0;
        double high = 0;
        double low = 0;
        double volume = 0;
        double amount = 0;
    };

    // Random bits for one purpose at one second of this security's session.
    std::uint64_t secondBits(int second, std::uint64_t purpose) const;
    double noiseAt(int second) const;
    void advance(State& state, int second) const;
    double roundToTick(double value) const;

    std::uint64_t m_seed;
    std::uint64_t m_key;
    std::int64_t m_session;
    std::uint64_t m_sessionBits = 0; // the seed, security and session hashed once
    bool m_isIndex;
    double m_tick;
    double m_previousClose;
    double m_limitUp;
    double m_limitDown;
    double m_logOpen;
    double m_logClose; // the next session's previous close
    double m_sigmaPerSecond;
    double m_walkEnd = 0; // the driving walk at the last second, which the bridge pins down
    double m_sharesPerSecond;
    double m_indexSharePrice = 0;         // an index's average traded share price at its previous close
    std::vector<double> m_minuteActivity; // how busy each minute is, 1 on average
    std::vector<State> m_minuteStates;    // the state after each whole minute, [0] at the open
    std::vector<MinuteBar> m_bars;
};

// A stable number for a security, independent of its place in the table.
std::uint64_t StockKey(const StockInfo& stock);

} // namespace marlune::sim
