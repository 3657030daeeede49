// The Sina quote reply.
#include "quote/DerivedValues.h"
#include "quote/QuoteParsers.h"
#include "quote/ServiceText.h"
#include "text/CNumber.h"
#include "text/Fields.h"
#include "text/Gbk.h"

#include <algorithm>
#include <vector>

namespace marlune {
namespace {

constexpr std::string_view kStatementMark = "_str_";
constexpr std::string_view kValueOpen = "=\"";
constexpr std::string_view kValueClose = "\";";
constexpr std::size_t kShortestItem = 10; // bytes; a key and a comma alone are 9
constexpr std::size_t kFieldsRead = 33;   // key and fields 1 to 32

// Calls visit(item) for the statements of a reply in order, as items "key,value" (key =
// market text and code), while visit returns true.
template <typename Visit> void ForEachStatement(std::string_view text, Visit visit) {
    constexpr auto npos = std::string_view::npos;
    std::size_t mark = text.find(kStatementMark, 1);
    std::size_t close = npos; // the first closing quote at or after the last search start
    while (mark != npos) {
        std::size_t open = text.find(kValueOpen, mark + 7);
        if (open == npos)
            break; // no later statement has a value either
        std::size_t valueStart = open + kValueOpen.size();
        if (close == npos || close < valueStart)
            close = text.find(kValueClose, valueStart);
        if (close == npos)
            break; // no later statement can be closed either
        std::size_t nextMark = text.find(kStatementMark, valueStart);
        std::size_t valueEnd = std::min(close, nextMark);

        std::string item(Utf8Slice(text, mark + 5, 2));
        item += Utf8Slice(text, mark + 7, 6);
        item += ',';
        item += text.substr(valueStart, valueEnd - valueStart);
        if (!visit(item))
            break;
        mark = nextMark;
    }
}

QuoteRecord BuildRecord(const std::string& item) {
    std::vector<std::string> fields = SplitHead(item, ",", kFieldsRead);
    auto field = [&fields](std::size_t i) -> const std::string& { return FieldAt(fields, i); };
    const std::string& key = field(0);

    QuoteRecord record;
    record.market = key.compare(0, 2, "sh") == 0 ? kMarketShanghai : kMarketShenzhen;
    record.code = std::string(Utf8Right(key, 6));
    record.name = field(1);
    record.open = field(2);
    record.previousClose = field(3);
    record.price = field(4);
    record.high = field(5);
    record.low = field(6);
    double previousClose = AtoF(field(3));
    double price = AtoF(field(4));
    double high = AtoF(field(5));
    double low = AtoF(field(6));

    record.volume = Format("%.0f", AtoF(field(9)) * 0.01);
    record.amount = Format("%.2f", AtoF(field(10)) * 0.0001);
    record.dateTime = field(31) + " " + field(32);
    SetChangeTexts(record, IsMainIndexKey(key), previousClose, price, high, low);
    return record;
}

} // namespace

void ParseSinaReply(QuoteBook& book, std::string_view gbkReply) {
    const std::string text = GbkToUtf8(gbkReply);
    book.quoteList.clear();
    ForEachStatement(text, [&book](const std::string& item) {
        if (ServiceByteLength(item) >= kShortestItem) {
            book.quoteList.push_back(BuildRecord(item));
            book.updateTime = book.quoteList.back().dateTime;
        }
        return book.quoteList.size() < kMaxQuoteRecords;
    });
    ComputeDerivedValues(book);
}

} // namespace marlune
