#pragma once
// The ticker window's quote state as a plain object: the watch list, the quotes of the latest
// reply, the totals over all holdings and the price alerts. The parsers fill it, the grid
// and the terminal ticker show it.

#include "quote/ExchangeRates.h"
#include "quote/StockEntry.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace marlune {

// Alert states of a watch-list row. 1, 4 and 5 count as triggered; this program sets 4 and 5.
enum AlertState : int {
    kAlertNone = 0,
    kAlertTriggered = 1,
    kAlertAtLowerLimit = 4,
    kAlertAtUpperLimit = 5,
};

// Where a row's change rate stands against its rate alerts.
enum RateAlertState : int {
    kRateInside = 0,
    kRateRisen = 1,   // at or above +riseRate %
    kRateFallen = -1, // at or below -fallRate %
};

// The alert of one watch-list row: its states and the messages waiting to be collected.
struct AlertRow {
    int state = kAlertNone;
    std::string message; // UTF-8; emptied once collected
    int rateState = kRateInside;
    std::string rateMessage;
};

struct QuoteBook {
    WatchList watchList;
    QuoteList quoteList;
    std::string updateTime;    // date and time of the last Sina quote
    std::string totalPlAmount; // "%.2f" of the summed profit or loss, in yuan
    std::string totalPlRate;   // "%.2f%%" of it over the summed cost, or "0.00%"
    // Yuan per unit of the currencies Hong Kong and US holdings are in; the total converts
    // every holding at these rates, never adding two currencies as one.
    std::vector<ExchangeRate> exchangeRates;
    // The last request for rates brought none: exchangeRates are those of an earlier one.
    bool exchangeRatesStale = false;
    // The currencies of holdings the total leaves out for want of a rate, in watch-list order.
    std::vector<std::string> totalLeavesOut;
    std::vector<AlertRow> alerts; // one per watch-list row
    std::string alertText;        // collected alert messages, each followed by "\n"
    // When the quotes being applied came (seconds since 1970), for the alert rules that
    // depend on the clock (the call auction, today's date); 0: not known, those rules rest.
    std::int64_t alertClock = 0;

    // Replaces the watch list; every row's alert starts afresh.
    void setWatchList(WatchList list);

    // One untriggered alert per watch-list row.
    void ResetAlerts();

    // The collected alert text, emptied: the owner calls this once it has shown the text.
    std::string takeAlertText();
    void clearAlertText() { alertText.clear(); }
};

} // namespace marlune
