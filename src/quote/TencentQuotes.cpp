#include "quote/TencentQuotes.h"

#include "quote/DerivedValues.h"
#include "quote/MarketQuotes.h"
#include "quote/Markets.h"
#include "quote/QuoteParsers.h"
#include "quote/ServiceText.h"
#include "text/Gbk.h"

#include <array>

namespace marlune {
namespace {

constexpr std::string_view kStatementStart = "v_";
constexpr std::size_t kFieldsNeeded = 38; // up to the amount in 10,000 yuan, field 37
constexpr std::size_t kFieldsRead = 58;   // up to the exact amount, field 57

bool IsKeyCharacter(char c) {
    // "." for US share classes and indices: v_usBRK.B, v_us.DJI.
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '.';
}

bool IsDigits(std::string_view text) {
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
    }
    return !text.empty();
}

// "20260424102118" -> "2026-04-24 10:21:18"; empty for anything else.
std::string DateTimeText(std::string_view stamp) {
    if (stamp.size() != 14 || !IsDigits(stamp))
        return {};
    std::string text;
    text.reserve(19);
    text.append(stamp.substr(0, 4)).append("-").append(stamp.substr(4, 2)).append("-");
    text.append(stamp.substr(6, 2)).append(" ").append(stamp.substr(8, 2)).append(":");
    text.append(stamp.substr(10, 2)).append(":").append(stamp.substr(12, 2));
    return text;
}

// Calls visit(key, value) for every complete statement v_key="value"; in order.
template <typename Visit> void ForEachStatement(std::string_view text, Visit visit) {
    constexpr auto npos = std::string_view::npos;
    std::size_t from = 0;
    while (true) {
        const std::size_t mark = text.find(kStatementStart, from);
        if (mark == npos)
            return;
        std::size_t keyEnd = mark + kStatementStart.size();
        while (keyEnd < text.size() && IsKeyCharacter(text[keyEnd]))
            ++keyEnd;
        if (text.substr(keyEnd, 2) != "=\"") {
            from = mark + kStatementStart.size();
            continue;
        }
        const std::size_t valueStart = keyEnd + 2;
        const std::size_t close = text.find('"', valueStart);
        if (close == npos)
            return; // the last statement was cut off
        if (text.substr(close, 2) != "\";") {
            // Not closed: the quote found opens the next statement. Read on from there.
            from = valueStart;
            continue;
        }
        const std::string_view key = text.substr(mark + kStatementStart.size(), keyEnd - mark - 2);
        if (!visit(key, text.substr(valueStart, close - valueStart)))
            return;
        from = close + 2;
    }
}

using ValueFields = std::array<std::string_view, kFieldsRead>;

// The first kFieldsRead fields of a value split at "~" (as Split splits: the first search from
// the second character), as views into it, the ones it lacks empty; false when it has fewer
// than kFieldsNeeded. A search for one character, and no copies: a reply of 60 statements of
// 88 fields is split on every refresh.
bool SplitValue(std::string_view value, ValueFields& fields) {
    std::size_t start = 0;
    std::size_t from = 1;
    for (std::size_t i = 0; i < kFieldsRead; ++i) {
        const std::size_t end = value.find('~', from);
        if (end == std::string_view::npos) {
            fields[i] = value.substr(start);
            for (std::size_t rest = i + 1; rest < kFieldsRead; ++rest)
                fields[rest] = {};
            return i + 1 >= kFieldsNeeded;
        }
        fields[i] = value.substr(start, end - start);
        start = from = end + 1;
    }
    return true;
}

// The fields a record is built from hold what the service sends there: a time of 14 digits in
// field 30, plain figures within bounds for the prices (3, 4, 5, 33, 34), the volume (6) and
// the amounts (37, and 57 where the statement has it). A statement whose fields are shifted,
// by a field lost or one too many, fails this and gives no record rather than a price made
// of another field.
bool HasSoundFields(const ValueFields& fields) {
    for (std::string_view field : fields) {
        if (!FitsQuoteField(field))
            return false;
    }
    if (fields[30].size() != 14 || !IsDigits(fields[30]))
        return false;
    for (std::size_t i : {3, 4, 5, 33, 34}) {
        if (fields[i].empty() || !IsSaneFigure(fields[i], kPriceBound))
            return false;
    }
    return !fields[6].empty() && IsSaneFigure(fields[6], kCountBound) && !fields[37].empty() &&
           IsSaneFigure(fields[37], kCountBound) && IsSaneFigure(fields[57], kCountBound);
}

std::optional<QuoteRecord> BuildRecord(std::string_view key, std::string_view value,
                                       const RequestedCodes& requested) {
    if (IsTencentMarketKey(key)) {
        // Hong Kong and US.
        std::optional<QuoteRecord> record = TencentMarketRecord(key, value);
        if (!record || !requested.Contains(record->market, record->code))
            return std::nullopt;
        return record;
    }
    const std::string_view prefix = key.substr(0, 2);
    if (key.size() != 8 || (prefix != "sh" && prefix != "sz" && prefix != "bj") || !IsDigits(key.substr(2)))
        return std::nullopt; // v_pv_none_match and anything else that is no quote
    const int market = prefix == "sh" ? kMarketShanghai : prefix == "bj" ? kMarketBeijing : kMarketShenzhen;
    if (!requested.Contains(market, key.substr(2)))
        return std::nullopt;
    // A value holding NUL bytes is damaged beyond reading, as in the other services' replies.
    if (value.find('\0') != std::string_view::npos)
        return std::nullopt;
    ValueFields fields;
    if (!SplitValue(value, fields) || fields[2] != key.substr(2) || !HasSoundFields(fields))
        return std::nullopt;

    QuoteRecord record;
    record.market = market;
    record.code = fields[2];
    record.name = fields[1];
    record.price = fields[3];
    record.previousClose = fields[4];
    record.open = fields[5];
    record.high = fields[33];
    record.low = fields[34];
    record.volume = FigureText("%.0f", QuoteNumber(fields[6]));
    // Field 37 is the amount rounded to whole 10,000 yuan; field 57 holds it exactly, so that
    // the same moment shows the same amount as from Sina.
    record.amount = FigureText("%.2f", QuoteNumber(fields[57].empty() ? fields[37] : fields[57]));
    record.dateTime = DateTimeText(fields[30]);
    SetChangeTexts(record, IsMainIndexKey(key), QuoteNumber(fields[4]), QuoteNumber(fields[3]),
                   QuoteNumber(fields[33]), QuoteNumber(fields[34]));
    return record;
}

} // namespace

std::string TencentRequestPath(const std::string& codeList, std::uint32_t) {
    return "/q=" + codeList;
}

std::optional<std::string> TencentCodesOfRequest(std::string_view target) {
    if (target.substr(0, 3) != "/q=")
        return std::nullopt;
    return std::string(target.substr(3, target.find('&') == std::string_view::npos ? std::string_view::npos
                                                                                   : target.find('&') - 3));
}

void ReadTencentRecords(QuoteBook& book, std::string_view gbkReply) {
    const std::string text = GbkToUtf8(gbkReply);
    book.quoteList.clear();
    book.quoteList.reserve(book.watchList.size());
    const RequestedCodes requested(book.watchList);
    ForEachStatement(text, [&book, &requested](std::string_view key, std::string_view value) {
        if (std::optional<QuoteRecord> record = BuildRecord(key, value, requested)) {
            book.updateTime = record->dateTime;
            book.quoteList.push_back(std::move(*record));
        }
        return book.quoteList.size() < kMaxQuoteRecords;
    });
}

void ParseTencentReply(QuoteBook& book, std::string_view gbkReply) {
    ReadTencentRecords(book, gbkReply);
    ComputeDerivedValues(book);
}

} // namespace marlune
