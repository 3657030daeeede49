#include "quote/EastMoneyQuotes.h"

#include "quote/DerivedValues.h"
#include "quote/MarketQuotes.h"
#include "quote/Markets.h"
#include "quote/QuoteParsers.h"
#include "quote/QuoteService.h"
#include "quote/ServiceText.h"
#include "text/BeijingTime.h"

#include <nlohmann/json.hpp>

#include <array>
#include <cmath>
#include <utility>
#include <vector>

namespace marlune {
namespace {

using Json = nlohmann::json;

constexpr const char* kFields = "f2,f3,f4,f5,f6,f12,f13,f14,f15,f16,f17,f18,f124";

// The fields of a diff element that a record is built from.
enum ItemField : int {
    kPrice,
    kVolume,
    kAmount,
    kCode,
    kMarket,
    kName,
    kHigh,
    kLow,
    kOpen,
    kPreviousClose,
    kTime,
    kItemFields
};

// "f2" -> kPrice ...; -1 for a key no record needs. Called for every key of every element.
int ItemFieldOf(const std::string& key) {
    if (key.size() < 2 || key.size() > 4 || key[0] != 'f')
        return -1;
    int number = 0;
    for (std::size_t i = 1; i < key.size(); ++i) {
        if (key[i] < '0' || key[i] > '9')
            return -1;
        number = number * 10 + (key[i] - '0');
    }
    if (key[1] == '0')
        return -1; // "f02" is not "f2"
    switch (number) {
    case 2:
        return kPrice;
    case 5:
        return kVolume;
    case 6:
        return kAmount;
    case 12:
        return kCode;
    case 13:
        return kMarket;
    case 14:
        return kName;
    case 15:
        return kHigh;
    case 16:
        return kLow;
    case 17:
        return kOpen;
    case 18:
        return kPreviousClose;
    case 124:
        return kTime;
    default:
        return -1;
    }
}

// One value of an element as the reply gave it.
struct ItemValue {
    enum class Kind { kMissing, kNumber, kString, kOther } kind = Kind::kMissing;
    double number = 0;
    std::string text;
};
using Item = std::array<ItemValue, kItemFields>;

// A number field: its value, 0 for "-" (no trade), nothing when missing, malformed or
// beyond the bound (kPriceBound for prices, kCountBound for the rest).
std::optional<double> NumberField(const Item& item, ItemField field, double bound = kCountBound) {
    const ItemValue& value = item[field];
    if (value.kind == ItemValue::Kind::kString && value.text == "-")
        return 0.0;
    if (value.kind != ItemValue::Kind::kNumber || !std::isfinite(value.number) ||
        std::fabs(value.number) >= bound)
        return std::nullopt;
    return value.number;
}

// The decimals East Money keeps for a security (fltt=2 rounds to them and drops trailing
// zeros): three for funds and ETFs (Shanghai 5xxxxx, Shenzhen 15xxxx, 16xxxx, 18xxxx), two
// for stocks and indices.
int PriceDecimals(int market, const std::string& code) {
    const bool fund = market == kMarketShanghai
                          ? code[0] == '5'
                          : code[0] == '1' && (code[1] == '5' || code[1] == '6' || code[1] == '8');
    return fund ? 3 : 2;
}

// Fills the record from a well-formed element of a requested code; false for any other.
bool BuildRecord(Item& item, const RequestedCodes& requested, QuoteRecord& record) {
    const ItemValue& code = item[kCode];
    const ItemValue& name = item[kName];
    const std::optional<double> eastMoneyMarket = NumberField(item, kMarket);
    const std::optional<int> market = code.kind == ItemValue::Kind::kString && eastMoneyMarket
                                          ? MarketOfEastMoneyCode(*eastMoneyMarket, code.text)
                                          : std::nullopt;
    if (!market || name.kind != ItemValue::Kind::kString)
        return false;
    // "\u0000" decodes to a NUL byte: a damaged record, as a NUL-laced statement is elsewhere.
    if (name.text.find('\0') != std::string::npos)
        return false;
    if (!FitsQuoteField(name.text))
        return false;
    const int recordMarket = *market;
    if (!requested.Contains(recordMarket, code.text))
        return false;
    const std::optional<double> price = NumberField(item, kPrice, kPriceBound);
    const std::optional<double> volume = NumberField(item, kVolume);
    const std::optional<double> amount = NumberField(item, kAmount);
    const std::optional<double> high = NumberField(item, kHigh, kPriceBound);
    const std::optional<double> low = NumberField(item, kLow, kPriceBound);
    const std::optional<double> open = NumberField(item, kOpen, kPriceBound);
    const std::optional<double> previousClose = NumberField(item, kPreviousClose, kPriceBound);
    const std::optional<double> time = NumberField(item, kTime);
    if (!price || !volume || !amount || !high || !low || !open || !previousClose || !time)
        return false;

    record.market = recordMarket;
    record.code = std::move(item[kCode].text);
    record.name = std::move(item[kName].text);
    if (*time > 0)
        record.dateTime = BeijingTimeAt(static_cast<std::int64_t>(*time)).DateTime();
    if (record.market == kMarketHongKong || record.market == kMarketUnitedStates) {
        // Volume in shares, amount in 10,000 of the market's currency, the market's decimals.
        SetMarketPriceTexts(record, record.market, *previousClose, *price, *open, *high, *low);
        record.volume = FigureText("%.0f", *volume);
        record.amount = FigureText("%.2f", *amount * 0.0001);
        return true;
    }
    const std::string key = (record.market == kMarketShanghai ? "sh" : "sz") + record.code;
    // Printed with the decimals the service keeps for the security: a price never gains a
    // digit the service did not send, and a fund's third decimal stays.
    const char* priceFormat = PriceDecimals(record.market, record.code) == 3 ? "%.3f" : "%.2f";
    record.price = FigureText(priceFormat, *price);
    record.previousClose = FigureText(priceFormat, *previousClose);
    record.open = FigureText(priceFormat, *open);
    record.high = FigureText(priceFormat, *high);
    record.low = FigureText(priceFormat, *low);
    record.volume = FigureText("%.0f", *volume);
    record.amount = FigureText("%.2f", *amount * 0.0001);
    SetChangeTexts(record, IsMainIndexKey(key), *previousClose, *price, *high, *low);
    return true;
}

// Reads the reply as a stream of JSON events and keeps only what the elements of data.diff
// hold: no document is built, which would cost more than the rest of the refresh. The result
// is what the document would give: of keys given twice the last counts, and a reply that is
// not well-formed JSON from start to end gives no records.
class DiffReader final : public nlohmann::json_sax<Json> {
public:
    // Fills records, which keeps its capacity from one refresh to the next.
    DiffReader(std::vector<QuoteRecord>& records, const RequestedCodes& requested)
        : records(records), m_requested(requested) {}

    std::vector<QuoteRecord>& records;

    bool null() override { return scalar(ItemValue::Kind::kOther); }
    bool boolean(bool) override { return scalar(ItemValue::Kind::kOther); }
    bool number_integer(number_integer_t value) override { return number(static_cast<double>(value)); }
    bool number_unsigned(number_unsigned_t value) override { return number(static_cast<double>(value)); }
    bool number_float(number_float_t value, const string_t& written) override {
        // A number with an exponent, or one longer than any quote field, is no figure of a
        // quote: NaN makes NumberField refuse it.
        const bool plain =
            written.size() <= kLongestQuoteField && written.find_first_of("eE") == std::string::npos;
        return number(plain ? value : std::nan(""));
    }
    bool string(string_t& value) override {
        if (ItemValue* target = itemValue()) {
            target->kind = ItemValue::Kind::kString;
            target->text.assign(value); // a copy: the parser reuses its buffer for the next token
            return true;
        }
        return scalar(ItemValue::Kind::kOther);
    }
    bool binary(binary_t&) override { return scalar(ItemValue::Kind::kOther); }
    bool start_object(std::size_t) override { return open(/*isObject=*/true); }
    bool end_object() override { return close(); }
    bool start_array(std::size_t) override { return open(/*isObject=*/false); }
    bool end_array() override { return close(); }
    bool key(string_t& name) override {
        switch (m_levels.empty() ? Level::kSkip : m_levels.back()) {
        case Level::kRoot:
            m_next = name == "data" ? Next::kData : Next::kNothing;
            if (m_next == Next::kData)
                records.clear(); // a later "data" replaces an earlier one
            break;
        case Level::kData:
            m_next = name == "diff" ? Next::kDiff : Next::kNothing;
            if (m_next == Next::kDiff)
                records.clear();
            break;
        case Level::kItem:
            m_field = ItemFieldOf(name);
            m_next = m_field >= 0 ? Next::kItemField : Next::kNothing;
            break;
        default:
            m_next = Next::kNothing;
            break;
        }
        return true;
    }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override {
        records.clear();
        return false;
    }

private:
    enum class Level : unsigned char { kRoot, kData, kDiff, kItem, kSkip };
    // What the value after the last key (or the next element of diff) is.
    enum class Next : unsigned char { kNothing, kData, kDiff, kItemField };

    // The item field the next value fills, or null.
    ItemValue* itemValue() {
        if (m_levels.empty() || m_levels.back() != Level::kItem || m_next != Next::kItemField)
            return nullptr;
        m_next = Next::kNothing;
        return &m_item[m_field];
    }
    bool number(double value) {
        if (ItemValue* target = itemValue()) {
            target->kind = ItemValue::Kind::kNumber;
            target->number = value;
        }
        m_next = Next::kNothing;
        return true;
    }
    bool scalar(ItemValue::Kind kind) {
        if (ItemValue* target = itemValue())
            target->kind = kind;
        m_next = Next::kNothing;
        return true;
    }
    bool open(bool isObject) {
        Level level = Level::kSkip;
        if (m_levels.empty()) {
            level = isObject ? Level::kRoot : Level::kSkip;
        } else if (m_levels.back() == Level::kDiff) {
            level = isObject ? Level::kItem : Level::kSkip; // an element that is no object gives nothing
        } else if (m_next == Next::kData && isObject) {
            level = Level::kData;
        } else if (m_next == Next::kDiff && !isObject) {
            level = Level::kDiff;
        } else if (ItemValue* target = itemValue()) {
            target->kind = ItemValue::Kind::kOther; // a field that holds an object or array
        }
        if (level == Level::kItem) {
            for (ItemValue& value : m_item)
                value.kind = ItemValue::Kind::kMissing;
        }
        m_next = Next::kNothing;
        m_levels.push_back(level);
        return true;
    }
    bool close() {
        const Level level = m_levels.back();
        m_levels.pop_back();
        if (level == Level::kItem && records.size() < kMaxQuoteRecords) {
            // Built in place: a record is sixteen strings.
            if (!BuildRecord(m_item, m_requested, records.emplace_back()))
                records.pop_back();
        }
        return true;
    }

    const RequestedCodes& m_requested;
    std::vector<Level> m_levels;
    Next m_next = Next::kNothing;
    int m_field = -1;
    Item m_item;
};

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

void ReadEastMoneyRecords(QuoteBook& book, std::string_view utf8Reply) {
    book.quoteList.clear();
    book.quoteList.reserve(book.watchList.size());
    const RequestedCodes requested(book.watchList);
    DiffReader reader(book.quoteList, requested);
    if (!Json::sax_parse(utf8Reply.begin(), utf8Reply.end(), &reader))
        book.quoteList.clear();
    if (!book.quoteList.empty())
        book.updateTime = book.quoteList.back().dateTime;
}

void ParseEastMoneyReply(QuoteBook& book, std::string_view utf8Reply) {
    ReadEastMoneyRecords(book, utf8Reply);
    ComputeDerivedValues(book);
}

} // namespace marlune
