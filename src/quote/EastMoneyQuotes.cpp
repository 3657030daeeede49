#include "quote/EastMoneyQuotes.h"

#include "quote/DerivedValues.h"
#include "quote/QuoteParsers.h"
#include "quote/QuoteService.h"
#include "quote/ServiceText.h"
#include "text/BeijingTime.h"

#include <nlohmann/json.hpp>

#include <cmath>

namespace marlune {
namespace {

using Json = nlohmann::json;

constexpr const char* kFields = "f2,f3,f4,f5,f6,f12,f13,f14,f15,f16,f17,f18,f124";
// No price, volume or amount comes near this; a larger number is a damaged reply.
constexpr double kLargestNumber = 1e15;

// A number field: its value, 0 for "-" (no trade), nothing when missing or malformed.
std::optional<double> NumberField(const Json& item, const char* name) {
    const auto found = item.find(name);
    if (found == item.end())
        return std::nullopt;
    if (found->is_string() && found->get_ref<const std::string&>() == "-")
        return 0.0;
    if (!found->is_number())
        return std::nullopt;
    const double value = found->get<double>();
    if (!std::isfinite(value) || std::fabs(value) > kLargestNumber)
        return std::nullopt;
    return value;
}

bool IsSixDigits(const std::string& code) {
    if (code.size() != 6)
        return false;
    for (char c : code) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

std::optional<QuoteRecord> BuildRecord(const Json& item) {
    if (!item.is_object())
        return std::nullopt;
    const auto code = item.find("f12");
    const auto name = item.find("f14");
    const std::optional<double> market = NumberField(item, "f13");
    if (code == item.end() || !code->is_string() || !IsSixDigits(code->get_ref<const std::string&>()) ||
        name == item.end() || !name->is_string() || !market || (*market != 0.0 && *market != 1.0))
        return std::nullopt;
    // "\u0000" decodes to a NUL byte: a damaged record, as a NUL-laced statement is elsewhere.
    if (name->get_ref<const std::string&>().find('\0') != std::string::npos)
        return std::nullopt;
    const std::optional<double> price = NumberField(item, "f2");
    const std::optional<double> volume = NumberField(item, "f5");
    const std::optional<double> amount = NumberField(item, "f6");
    const std::optional<double> high = NumberField(item, "f15");
    const std::optional<double> low = NumberField(item, "f16");
    const std::optional<double> open = NumberField(item, "f17");
    const std::optional<double> previousClose = NumberField(item, "f18");
    const std::optional<double> time = NumberField(item, "f124");
    if (!price || !volume || !amount || !high || !low || !open || !previousClose || !time)
        return std::nullopt;

    QuoteRecord record;
    record.market = *market == 1.0 ? kMarketShanghai : kMarketShenzhen;
    record.code = code->get<std::string>();
    record.name = name->get<std::string>();
    const std::string key = (record.market == kMarketShanghai ? "sh" : "sz") + record.code;
    const bool index = key.compare(0, 5, "sh000") == 0 || key.compare(0, 5, "sz399") == 0;
    const char* priceFormat = index ? "%.3f" : "%.2f";
    record.price = FigureText(priceFormat, *price);
    record.previousClose = FigureText(priceFormat, *previousClose);
    record.open = FigureText(priceFormat, *open);
    record.high = FigureText(priceFormat, *high);
    record.low = FigureText(priceFormat, *low);
    record.volume = FigureText("%.0f", *volume);
    record.amount = FigureText("%.2f", *amount * 0.0001);
    if (*time > 0)
        record.dateTime = BeijingTimeAt(static_cast<std::int64_t>(*time)).DateTime();
    SetChangeTexts(record, IsMainIndexKey(key), *previousClose, *price, *high, *low);
    return record;
}

} // namespace

std::string EastMoneyRequestPath(const std::string& codeList, std::uint32_t) {
    return std::string("/api/qt/ulist.np/get?fltt=2&invt=2&secids=") + codeList + "&fields=" + kFields;
}

std::optional<std::string> EastMoneyCodesOfRequest(std::string_view target) {
    std::string_view path;
    std::string_view query;
    SplitRequestTarget(target, path, query);
    if (path != "/api/qt/ulist.np/get")
        return std::nullopt;
    return std::string(RequestQueryValue(query, "secids").value_or(""));
}

void ParseEastMoneyReply(QuoteBook& book, std::string_view utf8Reply) {
    book.quoteList.clear();
    const Json reply = Json::parse(utf8Reply.begin(), utf8Reply.end(), nullptr, /*allow_exceptions=*/false);
    if (reply.is_object()) {
        const auto data = reply.find("data");
        if (data != reply.end() && data->is_object()) {
            const auto diff = data->find("diff");
            if (diff != data->end() && diff->is_array()) {
                for (const Json& item : *diff) {
                    if (book.quoteList.size() >= kMaxQuoteRecords)
                        break;
                    if (std::optional<QuoteRecord> record = BuildRecord(item)) {
                        book.updateTime = record->dateTime;
                        book.quoteList.push_back(std::move(*record));
                    }
                }
            }
        }
    }
    ComputeDerivedValues(book);
}

} // namespace marlune
