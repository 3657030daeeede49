#include "quote/QuoteBook.h"

#include <utility>

namespace marlune {

void QuoteBook::setWatchList(WatchList list) {
    watchList = std::move(list);
    ResetAlerts();
}

void QuoteBook::ResetAlerts() {
    alerts.assign(watchList.size(), AlertRow{});
}

std::string QuoteBook::takeAlertText() {
    std::string text = std::move(alertText);
    alertText.clear();
    return text;
}

} // namespace marlune
