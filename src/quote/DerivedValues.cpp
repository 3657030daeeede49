#include "quote/DerivedValues.h"

#include "quote/AlertRules.h"
#include "quote/Markets.h"
#include "quote/ServiceText.h"
#include "quote/WatchListFile.h"
#include "text/CNumber.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <unordered_map>

namespace marlune {
namespace {

// Beyond this many comparisons the quotes are looked up through an index instead.
constexpr std::size_t kLinearLookupLimit = 4096;

// First quote per (market, code), as FindQuote would find it.
class QuoteIndex {
public:
    explicit QuoteIndex(const QuoteList& quotes) {
        m_first.reserve(quotes.size());
        for (std::size_t i = 0; i < quotes.size(); ++i)
            m_first.emplace(Key(quotes[i].code, quotes[i].market), static_cast<int>(i));
    }
    int find(const std::string& code, int market) const {
        auto it = m_first.find(Key(code, market));
        return it == m_first.end() ? -1 : it->second;
    }

private:
    static std::string Key(const std::string& code, int market) {
        std::string key = std::to_string(market);
        key += '|';
        key += code;
        return key;
    }
    std::unordered_map<std::string, int> m_first;
};

// The price a holding is valued at: the latest price, or the previous close before the first
// trade of the day and while the stock is suspended.
double ValuationPrice(const QuoteRecord& quote) {
    double price = QuoteNumber(quote.price);
    return price > 0.0 ? price : QuoteNumber(quote.previousClose);
}

// A cost or limit as the user entered it: list.ini keeps them with two decimals. They are
// single-precision; widened directly, 10.10 would become 10.1000004, a holding bought at the
// price would show a loss of "-0.00" and a price of exactly 9.60 would not reach a limit of 9.60.
double CentValue(float value) {
    return std::round(static_cast<double>(value) * 100.0) / 100.0;
}

// The figures of a quote as the grid shows them, without "-0.00": the parsers print none, but
// a service may send one.
void DropNegativeZeros(QuoteRecord& quote) {
    for (std::string* figure :
         {&quote.price, &quote.low, &quote.high, &quote.open, &quote.previousClose, &quote.volume,
          &quote.amount, &quote.changeRate, &quote.change, &quote.amplitude})
        *figure = WithoutNegativeZero(std::move(*figure));
}

std::string AlertMessage(const StockEntry& entry, int state) {
    const std::string& name = ShownName(entry).empty() ? entry.quote.name : ShownName(entry);
    std::string message = name + "(" + entry.code + ") 现价" + entry.quote.price;
    if (state == kAlertAtLowerLimit)
        message += "，已跌到预警下限" + Format("%.2f", static_cast<double>(entry.lowerLimit));
    else
        message += "，已涨到预警上限" + Format("%.2f", static_cast<double>(entry.upperLimit));
    return message;
}

// Yuan per unit of the entry's currency: 1 for yuan, nothing without a rate.
std::optional<double> YuanPerUnit(const QuoteBook& book, const StockEntry& entry) {
    const MarketInfo* market = MarketOf(entry.market);
    const std::string_view currency = market != nullptr ? market->currency : "CNY";
    if (currency == "CNY")
        return 1.0;
    for (const ExchangeRate& rate : book.exchangeRates) {
        if (rate.currency == currency && rate.yuan > 0.0 && std::isfinite(rate.yuan))
            return rate.yuan;
    }
    return std::nullopt;
}

} // namespace

void ComputeDerivedValues(QuoteBook& book) {
    double totalPl = 0.0;
    double totalCost = 0.0;
    book.totalLeavesOut.clear();
    std::optional<QuoteIndex> index;
    if (book.watchList.size() * book.quoteList.size() > kLinearLookupLimit)
        index.emplace(book.quoteList);

    for (StockEntry& entry : book.watchList) {
        int found = index ? index->find(entry.code, entry.market)
                          : FindQuote(book.quoteList, entry.code, entry.market);
        if (found < 0) {
            ClearQuote(entry);
            continue;
        }
        QuoteRecord& quote = book.quoteList[static_cast<std::size_t>(found)];
        DropNegativeZeros(quote);
        double amount = 0.0;
        std::string rate = "0.00%";
        if (entry.quantity > 0) {
            double price = ValuationPrice(quote);
            double cost = CentValue(entry.cost);
            amount = (price - cost) * entry.quantity;
            double ratio = cost != 0.0 ? (price - cost) / cost : 0.0;
            rate = cost != 0.0 && std::isfinite(ratio) ? FigureText("%.2f%%", ratio * 100.0) : "-";
            // The row shows its own currency; the total counts in yuan.
            if (const std::optional<double> yuan = YuanPerUnit(book, entry)) {
                totalPl += amount * *yuan;
                totalCost += entry.quantity * cost * *yuan;
            } else {
                const std::string currency = MarketOf(entry.market)->currency;
                if (std::find(book.totalLeavesOut.begin(), book.totalLeavesOut.end(), currency) ==
                    book.totalLeavesOut.end())
                    book.totalLeavesOut.push_back(currency);
            }
        }
        quote.plRate = rate;
        quote.plAmount = FigureText("%.2f", amount);
        CopyQuote(entry, quote);
    }

    book.totalPlAmount = FigureText("%.2f", totalPl);
    book.totalPlRate = totalCost < 0.00001 ? "0.00%" : FigureText("%.2f%%", totalPl / totalCost * 100.0);

    if (book.alerts.size() != book.watchList.size())
        book.alerts.resize(book.watchList.size());
    for (std::size_t row = 0; row < book.watchList.size(); ++row) {
        UpdateAlert(book, row);
        if (IsAlertableQuote(book.watchList[row], book.alertClock))
            UpdateRateAlert(book, row);
    }
}

void UpdateAlert(QuoteBook& book, std::size_t row) {
    if (row >= book.watchList.size())
        return;
    if (book.alerts.size() != book.watchList.size())
        book.alerts.resize(book.watchList.size());
    const StockEntry& entry = book.watchList[row];
    AlertRow& alert = book.alerts[row];
    if (entry.alertFlag != 1) {
        alert = AlertRow{};
        return;
    }
    double price = QuoteNumber(entry.quote.price);
    if (!(price > 0.0) || !IsAlertableQuote(entry, book.alertClock))
        return;
    double lower = CentValue(entry.lowerLimit);
    double upper = CentValue(entry.upperLimit);
    int state = kAlertNone;
    if (lower > 0.0 && price <= lower)
        state = kAlertAtLowerLimit;
    else if (upper > 0.0 && price >= upper)
        state = kAlertAtUpperLimit;
    if (state == kAlertNone)
        alert.message.clear(); // back inside the band: an alert not yet shown is no longer true
    else if (alert.state != state)
        alert.message = AlertMessage(entry, state); // a crossing, also from one limit to the other
    alert.state = state;
}

void CollectAlerts(QuoteBook& book, std::size_t row) {
    if (row >= book.alerts.size())
        return;
    AlertRow& alert = book.alerts[row];
    bool triggered = alert.state == kAlertTriggered || alert.state == kAlertAtLowerLimit ||
                     alert.state == kAlertAtUpperLimit;
    if (triggered && !alert.message.empty()) {
        book.alertText += alert.message;
        book.alertText += '\n';
        alert.message.clear();
    }
    if (alert.rateState != kRateInside && !alert.rateMessage.empty()) {
        book.alertText += alert.rateMessage;
        book.alertText += '\n';
        alert.rateMessage.clear();
    }
}

bool CollectsAlerts(const StockEntry& entry) {
    return entry.alertFlag == 1 && entry.quote.price.compare(0, 3, "0.0") != 0;
}

void CollectAllAlerts(QuoteBook& book) {
    for (std::size_t row = 0; row < book.watchList.size(); ++row) {
        if (CollectsAlerts(book.watchList[row]))
            CollectAlerts(book, row);
    }
}

} // namespace marlune
