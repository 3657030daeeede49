#pragma once
// The alert rules beside the price band: when a quote may raise an alert at all, and the
// change-rate conditions (+X % / -Y % against the previous close).
//
// A quote raises no alert unless its price is a trade of today: not while the price reads 0,
// not while it equals the previous close with a volume of 0 (nothing traded yet), and for Shanghai and
// Shenzhen stocks not during the call auction (09:15:00 to 09:25:00 Beijing time, when the
// services show indicative prices) nor from a quote dated another day than today (a holiday,
// a service that has stopped). A suppressed quote leaves the alert states as they were.

#include "quote/QuoteBook.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace marlune {

// True when the entry's quote may raise an alert at the moment `now` (seconds since 1970;
// 0 leaves out the rules of the clock: the auction and the date).
bool IsAlertableQuote(const StockEntry& entry, std::int64_t now);

// The change rate of the entry's quote against its previous close, in per cent; nothing
// without both prices.
std::optional<double> ChangeRatePercent(const QuoteRecord& quote);

// The rate rule for one row, with the row's quote copied in and the quote alertable. With
// the alert flag on, the state becomes kRateRisen at or above +riseRate % (when riseRate is
// above 0), kRateFallen at or below -fallRate % (when fallRate is above 0), else kRateInside.
// A change to risen or fallen sets the row's rate message, so one crossing gives one alert
// and the next one comes only after the rate has been back inside; back inside, a message
// not collected yet is dropped.
void UpdateRateAlert(QuoteBook& book, std::size_t row);

// Whether some alert condition of the row has fired and still holds: the price outside its
// band, the change rate beyond a threshold. The grid marks such rows until none holds; a new
// kind of condition belongs here too.
bool AnyAlertFired(const AlertRow& alert);

// "平安银行(000001) 现价12.34，涨幅已达+5.00%" / "，跌幅已达-3.00%".
std::string RateAlertMessage(const StockEntry& entry, int rateState);

// A rate threshold as list files and alert records write it: "%.2f" of the per cent.
std::string RateText(double percent);

} // namespace marlune
