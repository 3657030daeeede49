#pragma once
// Periods of the refresh cycle's one-shot timers. Every period is derived from
// FreshSec; a FreshSec of 0 (or below) means no automatic refresh, and then no timer is
// armed at all. Periods too long for a timer are held at the longest one.

#include <optional>

namespace marlune {

// How the quote timer is started again: with its period (the SET button, the tray menu,
// applied settings), with ten times its period, or not at all (while the settings dialog
// is open).
enum class QuoteTimerRestart { kPeriod, kTenfoldPeriod, kStopped };

// The quote timer: FreshSec x 1000 ms.
std::optional<int> QuoteTimerMs(int freshSec);
// The chart timer after each chart download: FreshSec x 3000 - 2000 ms.
std::optional<int> ChartTimerMs(int freshSec);
// The chart timer at start-up and after the settings changed.
constexpr int kFirstChartDelayMs = 3000;
// The quote timer restarted.
std::optional<int> RestartedQuoteTimerMs(int freshSec, QuoteTimerRestart restart);

} // namespace marlune
