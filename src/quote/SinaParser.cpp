// The Sina quote reply.
#include "quote/DerivedValues.h"
#include "quote/MarketQuotes.h"
#include "quote/Markets.h"
#include "quote/QuoteParsers.h"
#include "quote/ServiceText.h"
#include "text/CNumber.h"
#include "text/Fields.h"
#include "text/Gbk.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace marlune {
namespace {

constexpr std::string_view kStatementMark = "_str_";
constexpr std::string_view kValueOpen = "=\"";
constexpr std::string_view kValueClose = "\";";
constexpr std::size_t kShortestItem = 10; // bytes; a key and a comma alone are 9
constexpr std::size_t kFieldsRead = 33;   // key and fields 1 to 32

// Calls visit(item) for the statements of a reply in order, as items "key,value" (key =
// market text and code), while visit returns true. A statement reaches up to the start of the
// next one: its value is read only when both its "=\"" and its "\";" lie before that, so a
// damaged statement gives nothing and never takes its neighbour's value. Hong Kong and US
// keys ("rt_hk00700", "gb_aapl") come whole; any other key of another length than market and
// code (seven digits) is no code the ticker asks for: its statement is passed over.
template <typename Visit> void ForEachStatement(std::string_view text, Visit visit) {
    constexpr auto npos = std::string_view::npos;
    std::size_t mark = text.find(kStatementMark, 1);
    while (mark != npos) {
        const std::size_t nextMark = text.find(kStatementMark, mark + kStatementMark.size());
        const std::string_view statement = text.substr(0, nextMark == npos ? text.size() : nextMark);
        const std::size_t open = statement.find(kValueOpen, mark + 7);
        const std::size_t valueStart = open == npos ? npos : open + kValueOpen.size();
        const std::size_t close = open == npos ? npos : statement.find(kValueClose, valueStart);
        // Hong Kong and US keys are longer than market text and code ("rt_hk00700").
        const std::string_view fullKey =
            open == npos ? std::string_view() : text.substr(mark + 5, open - mark - 5);
        const bool marketKey = IsSinaMarketKey(fullKey);
        if (close != npos && (marketKey || open == mark + kStatementMark.size() + 8)) {
            std::string item(marketKey ? fullKey : Utf8Slice(text, mark + 5, 2));
            if (!marketKey)
                item += Utf8Slice(text, mark + 7, 6);
            item += ',';
            item += text.substr(valueStart, close - valueStart);
            if (!visit(item))
                break;
        }
        mark = nextMark;
    }
}

// Shanghai indices (000xxx) come with their volume in lots of 100 shares already; every other
// code, the Shenzhen indices (399xxx) too, in shares: the amount over the volume is a price
// per lot for the one and a price per share for the other.
bool VolumeInLots(std::string_view key) {
    return key.size() == 8 && key.substr(0, 5) == "sh000";
}

// Fields 2 to 6 are prices, 9 and 10 the volume and the amount.
bool HasSaneFigures(const std::vector<std::string>& fields) {
    for (const std::string& field : fields) {
        if (!FitsQuoteField(field))
            return false;
    }
    for (std::size_t i = 2; i <= 6; ++i) {
        if (!IsSaneFigure(FieldAt(fields, i), kPriceBound))
            return false;
    }
    return IsSaneFigure(FieldAt(fields, 9), kCountBound) && IsSaneFigure(FieldAt(fields, 10), kCountBound);
}

std::optional<QuoteRecord> BuildRecord(const std::string& item, const RequestedCodes& requested) {
    std::vector<std::string> fields = SplitHead(item, ",", kFieldsRead);
    auto field = [&fields](std::size_t i) -> const std::string& { return FieldAt(fields, i); };
    const std::string& key = field(0);

    if (key.compare(0, 2, "sh") != 0 && key.compare(0, 2, "sz") != 0 && key.compare(0, 2, "bj") != 0)
        return std::nullopt;
    QuoteRecord record;
    record.market = key.compare(0, 2, "sh") == 0   ? kMarketShanghai
                    : key.compare(0, 2, "bj") == 0 ? kMarketBeijing
                                                   : kMarketShenzhen;
    record.code = std::string(Utf8Right(key, 6));
    if (!requested.Contains(record.market, record.code) || !HasSaneFigures(fields))
        return std::nullopt;
    record.name = field(1);
    record.open = field(2);
    record.previousClose = field(3);
    record.price = field(4);
    record.high = field(5);
    record.low = field(6);
    double previousClose = QuoteNumber(field(3));
    double price = QuoteNumber(field(4));
    double high = QuoteNumber(field(5));
    double low = QuoteNumber(field(6));

    record.volume = FigureText("%.0f", QuoteNumber(field(9)) * (VolumeInLots(key) ? 1.0 : 0.01));
    record.amount = FigureText("%.2f", QuoteNumber(field(10)) * 0.0001);
    record.dateTime = field(31) + " " + field(32);
    SetChangeTexts(record, IsMainIndexKey(key), previousClose, price, high, low);
    return record;
}

} // namespace

void ReadSinaRecords(QuoteBook& book, std::string_view gbkReply) {
    const std::string text = GbkToUtf8(gbkReply);
    book.quoteList.clear();
    book.quoteList.reserve(book.watchList.size());
    const RequestedCodes requested(book.watchList);
    ForEachStatement(text, [&book, &requested](const std::string& item) {
        // A value holding NUL bytes is damaged beyond reading.
        const std::size_t keyEnd = item.find(',');
        const std::string_view key = std::string_view(item).substr(0, keyEnd);
        if (IsSinaMarketKey(key)) {
            std::optional<QuoteRecord> record =
                SinaMarketRecord(key, std::string_view(item).substr(keyEnd + 1));
            if (record && requested.Contains(record->market, record->code)) {
                book.updateTime = record->dateTime;
                book.quoteList.push_back(std::move(*record));
            }
            return book.quoteList.size() < kMaxQuoteRecords;
        }
        if (ServiceByteLength(item) < kShortestItem || item.find('\0') != std::string::npos)
            return true;
        if (std::optional<QuoteRecord> record = BuildRecord(item, requested)) {
            book.updateTime = record->dateTime;
            book.quoteList.push_back(std::move(*record));
        }
        return book.quoteList.size() < kMaxQuoteRecords;
    });
}

void ParseSinaReply(QuoteBook& book, std::string_view gbkReply) {
    ReadSinaRecords(book, gbkReply);
    ComputeDerivedValues(book);
}

} // namespace marlune
