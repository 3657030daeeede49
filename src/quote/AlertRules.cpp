#include "quote/AlertRules.h"

#include "quote/ServiceText.h"
#include "text/BeijingTime.h"
#include "text/CNumber.h"

#include <cctype>
#include <cmath>

namespace marlune {
namespace {

constexpr int kAuctionFrom = 9 * 3600 + 15 * 60;  // 09:15:00
constexpr int kAuctionUntil = 9 * 3600 + 25 * 60; // 09:25:00, when the opening price is fixed

bool Digits(std::string_view text) {
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return false;
    }
    return !text.empty();
}

// The Beijing day number of a quote's date, in the forms the services write it:
// "2026-04-24 ...", "2026/04/24 ..." or "20260424..."; nothing when it cannot be read.
std::optional<std::int64_t> QuoteDay(const std::string& dateTime) {
    int year = 0, month = 0, day = 0;
    if (dateTime.size() >= 10 && (dateTime[4] == '-' || dateTime[4] == '/') && dateTime[7] == dateTime[4] &&
        Digits(std::string_view(dateTime).substr(0, 4)) && Digits(std::string_view(dateTime).substr(5, 2)) &&
        Digits(std::string_view(dateTime).substr(8, 2))) {
        year = AtoI(dateTime.substr(0, 4));
        month = AtoI(dateTime.substr(5, 2));
        day = AtoI(dateTime.substr(8, 2));
    } else if (dateTime.size() >= 8 && Digits(std::string_view(dateTime).substr(0, 8))) {
        year = AtoI(dateTime.substr(0, 4));
        month = AtoI(dateTime.substr(4, 2));
        day = AtoI(dateTime.substr(6, 2));
    } else {
        return std::nullopt;
    }
    if (year < 1990 || month < 1 || month > 12 || day < 1 || day > 31)
        return std::nullopt;
    return DaysFromCivil(year, month, day);
}

bool TradesOnBeijingClock(int market) {
    return market == kMarketShanghai || market == kMarketShenzhen;
}

} // namespace

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
    const std::optional<std::int64_t> day = QuoteDay(quote.dateTime);
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
    const std::string& name = entry.name.empty() ? entry.quote.name : entry.name;
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
