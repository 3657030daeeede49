// The Google finance reply: a file of one key per line, flattened, then parsed.
#include "platform/os/FileSystem.h"
#include "quote/DerivedValues.h"
#include "quote/QuoteParsers.h"
#include "quote/ServiceText.h"
#include "text/CNumber.h"
#include "text/Fields.h"
#include "text/FileBytes.h"
#include "text/Gbk.h"

#include <cstdio>
#include <optional>
#include <vector>

namespace marlune {
namespace {

constexpr std::string_view kStringValue = ": \"";
constexpr std::string_view kLeadingBlanks = " \t\n\v\f\r";
constexpr std::size_t kShortestText = 10; // bytes
constexpr std::size_t kFieldsRead = 27;   // "x" and fields 1 to 26

void FlattenLine(std::string_view line, std::string& out) {
    std::size_t mark = line.find(kStringValue);
    if (mark == std::string_view::npos) {
        if (!line.empty() && line.front() == '}')
            out += '|';
        return;
    }
    std::size_t valueStart = mark + kStringValue.size();
    std::size_t valueEnd = line.find('"', valueStart);
    if (valueEnd == std::string_view::npos)
        return;
    std::string_view value = line.substr(valueStart, valueEnd - valueStart);
    std::size_t first = value.find_first_not_of(kLeadingBlanks);
    value.remove_prefix(first == std::string_view::npos ? value.size() : first);
    out += value;
    out += ';';
}

QuoteRecord BuildRecord(std::string_view flattened, int& market) {
    std::string withKey = "x;";
    withKey += flattened;
    std::vector<std::string> fields = SplitHead(withKey, ";", kFieldsRead);
    auto field = [&fields](std::size_t i) -> const std::string& { return FieldAt(fields, i); };

    std::string ticker = field(2);
    if (field(3) == "SHA") {
        ticker = "sh" + ticker;
        market = kMarketShanghai;
    } else if (field(3) == "SHE") {
        ticker = "sz" + ticker;
        market = kMarketShenzhen;
    }

    QuoteRecord record;
    record.market = market;
    record.code = std::string(Utf8Right(ticker, 6));
    record.price = field(4);
    record.dateTime = field(6);
    record.change = field(8);
    record.changeRate = field(9) + "%";
    record.open = field(13);
    record.previousClose = field(13);
    record.high = field(14);
    record.low = field(15);
    record.volume = field(16);
    record.name = field(26);
    // Google writes thousands separators: "3,154.03".
    double previousClose = QuoteNumber(field(13));
    double high = QuoteNumber(field(14));
    double low = QuoteNumber(field(15));
    record.amplitude = previousClose > 0.05 ? PercentText(high - low, previousClose) : "-";
    return record;
}

// Prices, the change and its rate as sane figures; the volume a figure or Google's short
// form of one ("591.21M"); the time within a field's length.
bool HasSaneGoogleFigures(const QuoteRecord& record) {
    std::string_view rate = record.changeRate;
    rate.remove_suffix(1); // the "%" the parser added
    std::string_view volume = record.volume;
    if (!volume.empty() && (volume.back() == 'K' || volume.back() == 'M' || volume.back() == 'B'))
        volume.remove_suffix(1);
    return HasSanePrices(record) && IsSaneFigure(record.change, kPriceBound) &&
           IsSaneFigure(rate, kPriceBound) && IsSaneFigure(volume, kCountBound) &&
           FitsQuoteField(record.dateTime);
}

} // namespace

std::string FlattenGoogleReply(std::string_view gbkFile) {
    const std::string text = GbkToUtf8(gbkFile);
    std::string out;
    ForEachLine(text, [&out](std::string_view line) { FlattenLine(line, out); });
    return out;
}

std::string ReadGoogleReply(const std::string& path) {
    std::optional<std::string> bytes = ReadFileBytes(path);
    if (!bytes)
        return {};
    os::RemoveFile(path);
    return FlattenGoogleReply(*bytes);
}

void ReadGoogleRecords(QuoteBook& book, std::string_view flattenedUtf8) {
    if (ServiceByteLength(flattenedUtf8) < kShortestText)
        return;
    book.quoteList.clear();
    int market = 0;
    ForEachPiece(flattenedUtf8, "|", [&](std::string_view flattened) {
        // A record holding NUL bytes is damaged beyond reading.
        if (book.quoteList.size() < kMaxQuoteRecords && ServiceByteLength(flattened) >= kShortestText &&
            flattened.find('\0') == std::string_view::npos) {
            // A record whose figures are no sane figures is left out, as elsewhere.
            QuoteRecord record = BuildRecord(flattened, market);
            if (HasSaneGoogleFigures(record))
                book.quoteList.push_back(std::move(record));
        }
    });
}

void ParseGoogleReply(QuoteBook& book, std::string_view flattenedUtf8) {
    if (ServiceByteLength(flattenedUtf8) < kShortestText)
        return;
    ReadGoogleRecords(book, flattenedUtf8);
    ComputeDerivedValues(book);
}

} // namespace marlune
