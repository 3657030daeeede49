#pragma once
// Periods of the ticker window's one-shot refresh timers. Every period is derived from
// FreshSec; a FreshSec of 0 (or below) means no automatic refresh, and then no timer is
// armed at all. Periods too long for a timer are held at the longest one.

#include <optional>

namespace marlune {

// Timer ids of the refresh cycle.
enum RefreshTimer : int { kTimerQuotes = 1, kTimerCharts = 7 };

// Modes of restarting the quote timer: 2 a tenfold period, 3 stopped, others the period.
enum RefreshRestartMode : int { kRestartNormal = 0, kRestartSlow = 2, kRestartStopped = 3 };

// Timer 1: FreshSec x 1000 ms.
std::optional<int> QuoteTimerMs(int freshSec);
// Timer 7 after each chart download: FreshSec x 3000 - 2000 ms.
std::optional<int> ChartTimerMs(int freshSec);
// Timer 7 at start-up and after the settings changed.
constexpr int kFirstChartDelayMs = 3000;
// Timer 1 restarted with a mode.
std::optional<int> RestartedQuoteTimerMs(int freshSec, int mode);

} // namespace marlune
