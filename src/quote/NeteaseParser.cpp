// The NetEase 163 quote reply.
#include "quote/DerivedValues.h"
#include "quote/QuoteParsers.h"
#include "quote/ServiceText.h"
#include "text/CNumber.h"
#include "text/Fields.h"
#include "text/Gbk.h"

#include <optional>
#include <vector>

namespace marlune {
namespace {

constexpr std::string_view kValueOpen = "='";
constexpr std::string_view kValueClose = "';";
constexpr std::size_t kFieldsRead = 33; // fields 0 to 32

// Calls visit(value) for the values of a reply in order while visit returns true.
template <typename Visit> void ForEachValue(std::string_view text, Visit visit) {
    constexpr auto npos = std::string_view::npos;
    std::size_t scan = 1;
    while (true) {
        std::size_t open = text.find(kValueOpen, scan);
        if (open == npos)
            break;
        std::size_t valueStart = open + kValueOpen.size();
        std::size_t close = text.find(kValueClose, valueStart);
        if (close == npos)
            break; // no later value can be closed either
        if (!visit(text.substr(valueStart, close - valueStart)))
            break;
        scan = close;
    }
}

// market: the market of the previous record, kept when field 0 names none. Nothing for a
// value with a field too long or a price, volume or amount that is no sane figure.
std::optional<QuoteRecord> BuildRecord(std::string_view value, int& market) {
    std::vector<std::string> fields = SplitHead(value, ";", kFieldsRead);
    auto field = [&fields](std::size_t i) -> const std::string& { return FieldAt(fields, i); };
    for (const std::string& text : fields) {
        if (!FitsQuoteField(text))
            return std::nullopt;
    }
    if (!IsSaneFigure(field(4), kCountBound) || !IsSaneFigure(field(5), kCountBound) ||
        !IsSaneFigure(field(7), kPriceBound))
        return std::nullopt;

    std::string key = field(0);
    if (!key.empty() && key.front() == '0') {
        key = "sh" + std::string(Utf8Right(key, 6));
        market = kMarketShanghai;
    } else if (!key.empty() && key.front() == '1') {
        key = "sz" + std::string(Utf8Right(key, 6));
        market = kMarketShenzhen;
    }

    QuoteRecord record;
    record.market = market;
    record.code = std::string(Utf8Right(key, 6));
    record.name = field(1);
    record.previousClose = field(2);
    record.open = field(3);
    double previousClose = QuoteNumber(field(2));
    // NetEase sends the volume in shares for indices and stocks alike.
    record.amount = FigureText("%.2f", QuoteNumber(field(4)) * 0.0001);
    record.volume = FigureText("%.0f", QuoteNumber(field(5)) * 0.01);

    double change = QuoteNumber(field(7));
    bool rising = IsRisingChange(change);
    record.change = rising ? WithPlusSign(field(7)) : field(7);
    record.high = field(8);
    record.low = field(9);
    record.price = field(10);
    record.dateTime = field(32);
    double high = QuoteNumber(field(8));
    double low = QuoteNumber(field(9));

    record.amplitude = previousClose > 0.05 ? PercentText(high - low, previousClose) : "-";
    record.changeRate = PercentText(change, previousClose);
    if (rising && record.changeRate != "-")
        record.changeRate = WithPlusSign(record.changeRate);
    if (!HasSanePrices(record))
        return std::nullopt;
    return record;
}

} // namespace

void ReadNeteaseRecords(QuoteBook& book, std::string_view gbkReply) {
    const std::string text = GbkToUtf8(gbkReply);
    book.quoteList.clear();
    int market = 0;
    ForEachValue(text, [&](std::string_view value) {
        // A value holding NUL bytes is damaged beyond reading.
        if (value.find('\0') == std::string_view::npos) {
            if (std::optional<QuoteRecord> record = BuildRecord(value, market))
                book.quoteList.push_back(std::move(*record));
        }
        return book.quoteList.size() < kMaxQuoteRecords;
    });
}

void ParseNeteaseReply(QuoteBook& book, std::string_view gbkReply) {
    ReadNeteaseRecords(book, gbkReply);
    ComputeDerivedValues(book);
}

} // namespace marlune
