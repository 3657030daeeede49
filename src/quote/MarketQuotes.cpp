#include "quote/MarketQuotes.h"

#include "quote/MarketHours.h"
#include "quote/Markets.h"
#include "quote/ServiceText.h"
#include "text/BeijingTime.h"
#include "text/CNumber.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>

namespace marlune {
namespace {

// No price, volume or amount comes near these; a larger number is a damaged statement.
constexpr double kLargestPrice = 1e9;
constexpr double kLargestFigure = 1e16;

bool IsNumberText(std::string_view text) {
    if (text.empty())
        return false;
    const char first =
        text.front() == '-' || text.front() == '+' ? (text.size() > 1 ? text[1] : '\0') : text.front();
    return (first >= '0' && first <= '9') || first == '.';
}

// The number of a field, or nothing when it is no number or beyond the limit.
std::optional<double> ReadNumber(std::string_view text, double limit) {
    if (!IsNumberText(text))
        return std::nullopt;
    const double value = QuoteNumber(text);
    if (!std::isfinite(value) || std::fabs(value) > limit)
        return std::nullopt;
    return value;
}

// The first `count` fields of a value split at the separator, as views; false when it has
// fewer.
template <std::size_t N>
bool SplitFields(std::string_view value, char separator, std::array<std::string_view, N>& fields,
                 std::size_t& count) {
    count = 0;
    std::size_t start = 0;
    while (count < N) {
        const std::size_t end = value.find(separator, start);
        fields[count++] =
            value.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
    return count > 0;
}

// "2026/08/07" or "2026-08-07" and "16:08:22" or "16:08" -> "2026-08-07 16:08:22"; empty
// when either does not look like that.
std::string DateTimeOf(std::string_view date, std::string_view time) {
    if (date.size() != 10 || (date[4] != '/' && date[4] != '-') || date[7] != date[4])
        return {};
    if (time.size() != 8 && time.size() != 5)
        return {};
    std::string text(date);
    text[4] = text[7] = '-';
    text += ' ';
    text += time;
    if (time.size() == 5)
        text += ":00";
    return ParseBeijingDateTime(text) ? text : std::string();
}

std::string Upper(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return std::toupper(c); });
    return out;
}

bool HasNul(std::string_view text) {
    return text.find('\0') != std::string_view::npos;
}

// The prices of a statement, all read or none.
struct Prices {
    double previousClose, price, open, high, low;
};

std::optional<Prices> ReadPrices(std::string_view previousClose, std::string_view price,
                                 std::string_view open, std::string_view high, std::string_view low) {
    const auto p = ReadNumber(previousClose, kLargestPrice);
    const auto q = ReadNumber(price, kLargestPrice);
    const auto o = ReadNumber(open, kLargestPrice);
    const auto h = ReadNumber(high, kLargestPrice);
    const auto l = ReadNumber(low, kLargestPrice);
    if (!p || !q || !o || !h || !l)
        return std::nullopt;
    return Prices{*p, *q, *o, *h, *l};
}

void SetFigures(QuoteRecord& record, double volume, std::optional<double> amount) {
    record.volume = FigureText("%.0f", volume);
    record.amount = amount ? FigureText("%.2f", *amount * 0.0001) : "-";
}

} // namespace

const char* MarketPriceFormat(int market, double price) {
    switch (market) {
    case kMarketHongKong:
        return "%.3f";
    case kMarketUnitedStates:
        return std::fabs(price) < 1.0 && price != 0.0 ? "%.4f" : "%.2f";
    case kMarketFund:
        return "%.4f";
    default:
        return "%.2f";
    }
}

void SetMarketPriceTexts(QuoteRecord& record, int market, double previousClose, double price, double open,
                         double high, double low) {
    // One format for every price of the row, chosen by the previous close (the price may be
    // 0 before the first trade), so that the change lines up with the prices.
    const char* format = MarketPriceFormat(market, previousClose > 0.0 ? previousClose : price);
    record.previousClose = FigureText(format, previousClose);
    record.price = FigureText(format, price);
    record.open = FigureText(format, open);
    record.high = FigureText(format, high);
    record.low = FigureText(format, low);
    SetChangeTexts(record, format, previousClose, price, high, low);
}

bool IsSinaMarketKey(std::string_view key) {
    return key.substr(0, 5) == "rt_hk" || key.substr(0, 2) == "hk" || key.substr(0, 3) == "gb_";
}

std::optional<QuoteRecord> SinaMarketRecord(std::string_view key, std::string_view value) {
    if (!IsSinaMarketKey(key) || value.empty() || HasNul(value))
        return std::nullopt;
    std::array<std::string_view, 31> f;
    std::size_t count = 0;
    SplitFields(value, ',', f, count);
    QuoteRecord record;
    const bool delayedHongKong = key.substr(0, 2) == "hk";
    if (delayedHongKong || key.substr(0, 5) == "rt_hk") {
        const std::string_view code = key.substr(delayedHongKong ? 2 : 5);
        if (count < 19 || !IsHongKongCode(code))
            return std::nullopt;
        const auto prices = ReadPrices(f[3], f[6], f[2], f[4], f[5]);
        const auto amount = ReadNumber(f[11], kLargestFigure);
        const auto volume = ReadNumber(f[12], kLargestFigure);
        std::string dateTime = DateTimeOf(f[17], f[18]);
        if (!prices || !amount || !volume || f[1].empty() || dateTime.empty())
            return std::nullopt;
        record.market = kMarketHongKong;
        record.code = std::string(code);
        record.name = std::string(f[1]);
        SetMarketPriceTexts(record, record.market, prices->previousClose, prices->price, prices->open,
                            prices->high, prices->low);
        SetFigures(record, *volume, amount);
        record.dateTime = std::move(dateTime);
        record.delayed = delayedHongKong;
        return record;
    }
    const std::string code = Upper(key.substr(3));
    if (count < 11 || !IsUsCode(code))
        return std::nullopt;
    const auto price = ReadNumber(f[1], kLargestPrice);
    const auto change = ReadNumber(f[4], kLargestPrice);
    // The previous close is sent from field 26 on; before that it is what the change says.
    const double sentClose = count > 26 ? ReadNumber(f[26], kLargestPrice).value_or(0.0) : 0.0;
    if (!price || !change)
        return std::nullopt;
    const double previousClose = sentClose > 0.0 ? sentClose : *price - *change;
    const auto prices = ReadPrices(f[1], f[1], f[5], f[6], f[7]);
    const auto volume = ReadNumber(f[10], kLargestFigure);
    const auto amount = count > 30 ? ReadNumber(f[30], kLargestFigure) : std::nullopt;
    if (!prices || !volume || f[0].empty() || f[3].size() != 19 || !ParseBeijingDateTime(f[3]))
        return std::nullopt;
    record.market = kMarketUnitedStates;
    record.code = code;
    record.name = std::string(f[0]);
    SetMarketPriceTexts(record, record.market, previousClose, prices->price, prices->open, prices->high,
                        prices->low);
    SetFigures(record, *volume, amount);
    record.dateTime = std::string(f[3]);
    return record;
}

bool IsTencentMarketKey(std::string_view key) {
    return key.substr(0, 4) == "r_hk" || key.substr(0, 2) == "hk" || key.substr(0, 2) == "us";
}

std::optional<QuoteRecord> TencentMarketRecord(std::string_view key, std::string_view value) {
    if (!IsTencentMarketKey(key) || HasNul(value))
        return std::nullopt;
    std::array<std::string_view, 38> f;
    std::size_t count = 0;
    SplitFields(value, '~', f, count);
    if (count < 38)
        return std::nullopt;
    const bool us = key.substr(0, 2) == "us";
    const std::string_view keyCode = key.substr(us ? 2 : key.find("hk") + 2);
    QuoteRecord record;
    record.market = us ? kMarketUnitedStates : kMarketHongKong;
    if (us) {
        // "AAPL.OQ": the ticker before the exchange.
        const std::size_t dot = f[2].rfind('.');
        const std::string ticker = Upper(f[2].substr(0, dot));
        if (ticker != Upper(keyCode) || !IsUsCode(ticker))
            return std::nullopt;
        record.code = ticker;
    } else {
        if (f[2] != keyCode || !IsHongKongCode(keyCode))
            return std::nullopt;
        record.code = std::string(keyCode);
    }
    const auto prices = ReadPrices(f[4], f[3], f[5], f[33], f[34]);
    const auto volume = ReadNumber(f[36].empty() ? f[6] : f[36], kLargestFigure);
    const auto amount = ReadNumber(f[37], kLargestFigure);
    const std::string_view stamp = f[30];
    std::string dateTime =
        stamp.size() == 19 ? DateTimeOf(stamp.substr(0, 10), stamp.substr(11)) : std::string();
    if (!prices || !volume || !amount || f[1].empty() || dateTime.empty())
        return std::nullopt;
    if (us) {
        // New York time to Beijing time.
        const std::int64_t newYork = *ParseBeijingDateTime(dateTime) + kBeijingOffsetSeconds;
        dateTime = BeijingTimeAt(UnixSecondsOfMarketTime(MarketClock::NewYork, newYork)).DateTime();
    }
    record.name = std::string(f[1]);
    SetMarketPriceTexts(record, record.market, prices->previousClose, prices->price, prices->open,
                        prices->high, prices->low);
    SetFigures(record, *volume, amount);
    record.dateTime = std::move(dateTime);
    record.delayed = key.substr(0, 2) == "hk";
    return record;
}

} // namespace marlune
