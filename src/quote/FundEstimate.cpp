#include "quote/FundEstimate.h"

#include "quote/MarketQuotes.h"
#include "quote/Markets.h"
#include "quote/ServiceText.h"
#include "text/BeijingTime.h"
#include "text/CNumber.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <string_view>

namespace marlune {
namespace {

using Json = nlohmann::json;

constexpr std::string_view kCallOpen = "jsonpgz(";
constexpr double kLargestValue = 1e6; // no net value comes near this

std::string_view Trimmed(std::string_view text) {
    constexpr std::string_view kBlanks = " \t\r\n";
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark)
        text.remove_prefix(kByteOrderMark.size());
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos)
        return {};
    const std::size_t last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

// The argument of the script call "jsonpgz(...);", or nothing for any other text.
std::optional<std::string_view> CallArgument(std::string_view reply) {
    std::string_view text = Trimmed(reply);
    if (text.substr(0, kCallOpen.size()) != kCallOpen)
        return std::nullopt;
    text.remove_prefix(kCallOpen.size());
    if (!text.empty() && text.back() == ';')
        text.remove_suffix(1);
    if (text.empty() || text.back() != ')')
        return std::nullopt;
    text.remove_suffix(1);
    return text;
}

// The fields of the estimate object the record is made of.
enum FundField : std::size_t {
    kFundCode,
    kName,
    kNetValueDate,
    kNetValue,
    kEstimate,
    kEstimateTime,
    kFieldCount
};

// Reads the reply's top-level object as a stream of events (a small object, read three times
// a refresh: a document of maps cost more than the rest of the fund's record). Each field
// keeps the last value of its name, and only a string counts, as a document would give it.
class EstimateReader final : public nlohmann::json_sax<Json> {
public:
    std::array<std::optional<std::string>, kFieldCount> fields;
    bool isObject = false;

    bool null() override { return other(); }
    bool boolean(bool) override { return other(); }
    bool number_integer(number_integer_t) override { return other(); }
    bool number_unsigned(number_unsigned_t) override { return other(); }
    bool number_float(number_float_t, const string_t&) override { return other(); }
    bool binary(binary_t&) override { return other(); }
    bool string(string_t& value) override {
        if (m_depth == 1 && m_field < kFieldCount)
            fields[m_field] = value;
        return true;
    }
    bool start_object(std::size_t) override {
        isObject = isObject || m_depth == 0;
        return open();
    }
    bool start_array(std::size_t) override { return open(); }
    bool end_object() override { return close(); }
    bool end_array() override { return close(); }
    bool key(string_t& name) override {
        if (m_depth == 1) {
            static constexpr std::array<std::string_view, kFieldCount> kNames{"fundcode", "name", "jzrq",
                                                                              "dwjz",     "gsz",  "gztime"};
            m_field =
                static_cast<std::size_t>(std::find(kNames.begin(), kNames.end(), name) - kNames.begin());
        }
        return true;
    }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override {
        isObject = false;
        return false;
    }

private:
    // A value of another kind than a string under a name of the record stands for none.
    bool other() {
        if (m_depth == 1 && m_field < kFieldCount)
            fields[m_field].reset();
        return true;
    }
    bool open() {
        other();
        ++m_depth;
        return true;
    }
    bool close() {
        --m_depth;
        return true;
    }

    int m_depth = 0;
    std::size_t m_field = kFieldCount;
};

// A value as the service writes it, "1.0389"; nothing for anything that is not a number
// above 0 within reason.
std::optional<double> ValueOf(const std::string& text) {
    if (text.empty() || !(text.front() >= '0' && text.front() <= '9'))
        return std::nullopt;
    const double value = AtoF(text);
    if (!std::isfinite(value) || value <= 0.0 || value > kLargestValue)
        return std::nullopt;
    return value;
}

// "2026-12-09 14:35" -> "2026-12-09 14:35:00"; the text as it is when it has its seconds.
std::optional<std::string> EstimateTime(const std::string& text) {
    std::string time = text.size() == 16 ? text + ":00" : text;
    if (time.size() != 19 || !ParseBeijingDateTime(time))
        return std::nullopt;
    return time;
}

bool IsDate(const std::string& text) {
    return text.size() == 10 && ParseBeijingDateTime(text).has_value();
}

} // namespace

std::string FundEstimatePath(std::string_view code, std::uint32_t now) {
    return "/js/" + std::string(code) + Format(".js?rt=%u", now);
}

std::optional<std::string> FundCodeOfRequest(std::string_view target) {
    std::string_view path = target.substr(0, target.find('?'));
    if (path.substr(0, 4) != "/js/" || path.size() < 8 || path.substr(path.size() - 3) != ".js")
        return std::nullopt;
    return std::string(path.substr(4, path.size() - 7));
}

std::optional<QuoteRecord> ParseFundEstimate(std::string_view utf8Reply, std::string_view requestedCode) {
    const std::optional<std::string_view> argument = CallArgument(utf8Reply);
    if (!argument || Trimmed(*argument).empty())
        return std::nullopt; // "jsonpgz();": no estimate
    EstimateReader reader;
    if (!Json::sax_parse(argument->begin(), argument->end(), &reader) || !reader.isObject)
        return std::nullopt;
    const auto field = [&reader](FundField which) {
        const std::optional<std::string>& value = reader.fields[which];
        return value ? &*value : nullptr;
    };
    const std::string* code = field(kFundCode);
    const std::string* name = field(kName);
    const std::string* netValueDate = field(kNetValueDate);
    const std::string* netValueText = field(kNetValue);
    if (!code || *code != requestedCode || !IsFundCode(*code) || !name || name->empty() ||
        name->find('\0') != std::string::npos || !netValueDate || !IsDate(*netValueDate) || !netValueText)
        return std::nullopt;
    const std::optional<double> netValue = ValueOf(*netValueText);
    if (!netValue)
        return std::nullopt;

    QuoteRecord record;
    record.market = kMarketFund;
    record.code = *code;
    record.name = *name;
    record.high = record.low = record.open = record.volume = record.amount = "-";

    const std::string* estimateText = field(kEstimate);
    const std::string* estimateTimeText = field(kEstimateTime);
    const double estimate = estimateText ? ValueOf(*estimateText).value_or(0.0) : 0.0;
    const std::optional<std::string> estimateTime =
        estimateTimeText ? EstimateTime(*estimateTimeText) : std::nullopt;
    // The estimate of a day whose net value is out, or of an earlier one, is stale.
    if (estimate > 0.0 && estimateTime && estimateTime->compare(0, 10, *netValueDate) > 0) {
        SetChangeTexts(record, MarketPriceFormat(kMarketFund, *netValue), *netValue, estimate, 0.0, 0.0);
        record.price = FigureText("%.4f", estimate);
        record.dateTime = *estimateTime;
    } else {
        record.price = FigureText("%.4f", *netValue);
        record.change = record.changeRate = "-";
        record.dateTime = *netValueDate;
    }
    record.previousClose = FigureText("%.4f", *netValue);
    record.amplitude = "-";
    return record;
}

} // namespace marlune
