#include "quote/AlertRules.h"

#include "quote/QuoteDate.h"
#include "quote/ServiceText.h"
#include "text/BeijingTime.h"
#include "text/CNumber.h"

#include <cmath>

namespace marlune {
namespace {

constexpr int kAuctionFrom = 9 * 3600 + 15 * 60;  // 09:15:00
constexpr int kAuctionUntil = 9 * 3600 + 25 * 60; // 09:25:00, when the opening price is fixed

bool TradesOnBeijingClock(int market) {
    return market == kMarketShanghai || market == kMarketShenzhen;
}

} // namespace

bool AnyAlertFired(const AlertRow& alert) {
    const bool band = alert.state == kAlertTriggered || alert.state == kAlertAtLowerLimit ||
                      alert.state == kAlertAtUpperLimit;
    return band || alert.rateState != kRateInside;
}

std::optional<double> ChangeRatePercent(const QuoteRecord& quote) {
    const double price = QuoteNumber(quote.price);
    const double previousClose = QuoteNumber(quote.previousClose);
    if (!(price > 0.0) || !(previousClose > 0.0))
        return std::nullopt;
    const double rate = (price - previousClose) / previousClose * 100.0;
    if (!std::isfinite(rate))
        return std::nullopt;
    // In hundredths, as the grid shows it: 10.50 after 10.00 is +5.00 %, not 4.9999999.
    return std::round(rate * 100.0) / 100.0;
}

bool IsAlertableQuote(const StockEntry& entry, std::int64_t now) {
    const QuoteRecord& quote = entry.quote;
    const double price = QuoteNumber(quote.price);
    if (!(price > 0.0))
        return false;
    // Before the first trade some services show the previous close as the price; a reply
    // without a volume cannot tell, and its price counts.
    if (price == QuoteNumber(quote.previousClose) && !quote.volume.empty() &&
        !(QuoteNumber(quote.volume) > 0.0))
        return false;
    if (now == 0 || !TradesOnBeijingClock(entry.market))
        return true;
    const BeijingTime time = BeijingTimeAt(now);
    if (time.SecondOfDay() >= kAuctionFrom && time.SecondOfDay() < kAuctionUntil)
        return false;
    // A date that cannot be read says nothing about the day: the quote counts.
    const std::optional<std::int64_t> day = QuoteDayNumber(quote.dateTime, now);
    return !day || *day == time.dayNumber;
}

void UpdateRateAlert(QuoteBook& book, std::size_t row) {
    if (row >= book.watchList.size())
        return;
    if (book.alerts.size() != book.watchList.size())
        book.alerts.resize(book.watchList.size());
    const StockEntry& entry = book.watchList[row];
    AlertRow& alert = book.alerts[row];
    if (entry.alertFlag != 1) {
        alert.rateState = kRateInside;
        alert.rateMessage.clear();
        return;
    }
    const std::optional<double> rate = ChangeRatePercent(entry.quote);
    if (!rate)
        return;
    int state = kRateInside;
    if (entry.riseRate > 0.0 && *rate >= entry.riseRate)
        state = kRateRisen;
    else if (entry.fallRate > 0.0 && *rate <= -entry.fallRate)
        state = kRateFallen;
    if (state == kRateInside)
        alert.rateMessage.clear();
    else if (alert.rateState != state)
        alert.rateMessage = RateAlertMessage(entry, state);
    alert.rateState = state;
}

std::string RateAlertMessage(const StockEntry& entry, int rateState) {
    const std::string& name = ShownName(entry).empty() ? entry.quote.name : ShownName(entry);
    std::string message = name + "(" + entry.code + ") 现价" + entry.quote.price;
    if (rateState == kRateRisen)
        message += "，涨幅已达+" + RateText(entry.riseRate) + "%";
    else
        message += "，跌幅已达-" + RateText(entry.fallRate) + "%";
    return message;
}

std::string RateText(double percent) {
    return Format("%.2f", percent);
}

} // namespace marlune
