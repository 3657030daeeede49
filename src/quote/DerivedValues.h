#pragma once
// What follows every parsed reply: matching the quotes to the watch list, the profit or loss
// of every holding and the totals, and the price alerts.

#include "quote/QuoteBook.h"

#include <cstddef>

namespace marlune {

// Copies each watch-list entry's quote (first match of code and market) into the entry, or
// empties it when the reply had none; computes each holding's P/L texts and the totals; then
// applies the alert rules (the band, then the change rate) to every row.
//
// A holding's profit or loss is (price - cost) x quantity and its rate (price - cost) / cost.
// When the price is not above 0 (no trade yet, suspended) the previous close stands in for it,
// so an untraded stock shows its last value rather than a total loss. A cost of 0 gives the
// rate "-"; such a holding adds nothing to the total cost. Costs and limits count in whole
// cents, as list.ini keeps them, and no figure is ever printed as "-0.00". A row's profit or
// loss is in its market's currency; the totals convert each holding into yuan at
// book.exchangeRates, and a holding whose currency has no rate is left out of them (its
// currency listed in book.totalLeavesOut).
void ComputeDerivedValues(QuoteBook& book);

// The alert rule for one row, with the row's quote already copied in. It acts when the
// entry's alert flag is 1 and its quote is alertable (IsAlertableQuote, at the book's
// alertClock), which also needs a price above 0: the state becomes 4 at or below the lower
// limit (when that is above 0), 5 at or above the upper limit (when that is above 0), else 0.
// A change to 4 or 5 from any other state (the price crossed a limit, or went from one limit
// past the other between two quotes) sets the row's message, so one crossing gives one alert;
// back at 0
// a message not collected yet is dropped. With the alert flag off the row returns to 0 and
// loses any waiting message; without a price (no quote in this reply, no trade) the state
// stays as it was. Calling it again on the same quote changes nothing.
void UpdateAlert(QuoteBook& book, std::size_t row);

// Adds the row's waiting message and a line feed to the alert text when the row's state is 1,
// 4 or 5, and empties the message; then the same for the rate message while the rate is
// outside its conditions.
void CollectAlerts(QuoteBook& book, std::size_t row);

// True for a row whose alert is collected during the grid refill: alert flag 1 and a price
// text that does not begin with "0.0" (not traded yet).
bool CollectsAlerts(const StockEntry& entry);

// The grid refill's collection for every row, for callers without a grid.
void CollectAllAlerts(QuoteBook& book);

} // namespace marlune
