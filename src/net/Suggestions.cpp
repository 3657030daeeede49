#include "net/Suggestions.h"

#include "net/ServiceEndpoints.h"
#include "quote/Markets.h"
#include "text/CNumber.h"
#include "text/Fields.h"
#include "text/Gbk.h"

#include <algorithm>
#include <cctype>
#include <set>

namespace marlune {
namespace {

constexpr std::string_view kValueOpening = "=\"";
constexpr std::string_view kValueClosing = "\";";
constexpr std::size_t kShortestValue = 5; // characters
constexpr std::size_t kFieldsOfAnEntry = 6;
constexpr std::size_t kFullCodeTail = 9; // "-" + the 8-character full code

bool IsContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

std::size_t CountCharacters(std::string_view utf8) {
    std::size_t count = 0;
    for (char c : utf8) {
        if (!IsContinuationByte(c))
            ++count;
    }
    return count;
}

// The text without its last n characters; empty when it has no more than n.
std::string DropLastCharacters(std::string_view utf8, std::size_t n) {
    std::size_t end = utf8.size();
    for (std::size_t dropped = 0; dropped < n; ++dropped) {
        if (end == 0)
            return {};
        --end;
        while (end > 0 && IsContinuationByte(utf8[end]))
            --end;
    }
    return std::string(utf8.substr(0, end));
}

std::string Upper(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return std::toupper(c); });
    return out;
}

bool ListsType(const MarketInfo& market, std::string_view type) {
    for (const std::string& listed : SplitFields(market.suggestTypes, ","))
        if (listed == type)
            return true;
    return false;
}

// The market of an entry's type and full code; nullptr for a type of no market.
const MarketInfo* MarketOfEntry(std::string_view type, std::string_view fullCode) {
    const MarketInfo* first = nullptr;
    int sharing = 0;
    for (const MarketInfo& market : MarketTable()) {
        if (!ListsType(market, type))
            continue;
        ++sharing;
        if (first == nullptr)
            first = &market;
        if (*market.sinaPrefix != '\0' && fullCode.substr(0, std::string_view(market.sinaPrefix).size()) ==
                                              std::string_view(market.sinaPrefix))
            return &market;
    }
    // A type shared by several markets whose full code names none of them: Shenzhen, as the
    // page always took everything that is not "sh".
    return sharing > 1 ? MarketOf(kMarketShenzhen) : first;
}

// The entry's Suggestion, or nothing for a type of no market or a code its market never has.
std::optional<Suggestion> SuggestionOfEntry(const std::vector<std::string>& fields) {
    const MarketInfo* market = MarketOfEntry(fields[1], fields[3]);
    if (market == nullptr)
        return std::nullopt;
    Suggestion found;
    found.market = market->number;
    found.name = fields[4];
    if (market->number == kMarketShanghai || market->number == kMarketShenzhen) {
        // Read as they always were, whatever the code looks like.
        found.code = fields[2];
        found.result = fields[2] + "-" + fields[4] + "-" + fields[3];
        found.boxEntry = DropLastCharacters(found.result, kFullCodeTail);
        return found;
    }
    found.code = Upper(fields[2]);
    if (!market->isCode(found.code))
        return std::nullopt; // ".ixic", a warrant: nothing the watch list can hold
    found.result = found.name + " " + found.code + " " + market->label;
    found.boxEntry = found.result;
    return found;
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

bool IsUnreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

} // namespace

const std::string& SuggestionTypes() {
    static const std::string types = [] {
        std::set<int> numbers;
        for (const MarketInfo& market : MarketTable()) {
            for (const std::string& type : SplitFields(market.suggestTypes, ","))
                numbers.insert(AtoI(type));
        }
        std::string list;
        for (int number : numbers)
            list += (list.empty() ? "" : ",") + std::to_string(number);
        return list;
    }();
    return types;
}

std::string SuggestionPath() {
    return "/suggest/?type=" + SuggestionTypes() + "&key=";
}

std::string EncodeSuggestionKey(std::string_view typedText) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    for (char c : Utf8ToGbk(typedText)) {
        const auto byte = static_cast<unsigned char>(c);
        if (IsUnreserved(byte)) {
            encoded.push_back(c);
        } else {
            encoded.push_back('%');
            encoded.push_back(kHex[byte >> 4]);
            encoded.push_back(kHex[byte & 0x0F]);
        }
    }
    return encoded;
}

QuoteFetchJob BuildSuggestionJob(std::string_view typedText) {
    QuoteFetchJob job;
    job.url = ServiceBaseUrl(Service::kSinaSuggest) + SuggestionPath() + EncodeSuggestionKey(typedText);
    job.headerBlock = ServiceHeaderBlock(Service::kSinaSuggest);
    job.jobKind = kJobSideDownload;
    job.threadPriority = kThreadPriorityIdle;
    job.timeLimitMs = kSuggestionTimeLimitMs;
    job.sizeLimit = kMaxSuggestionReplyBytes;
    return job;
}

std::optional<SuggestionResults> ParseSuggestionText(std::string_view replyUtf8) {
    if (replyUtf8.size() > kMaxSuggestionReplyBytes)
        return std::nullopt;
    const std::size_t opening = replyUtf8.find(kValueOpening);
    if (opening == std::string_view::npos)
        return std::nullopt;
    const std::size_t valueStart = opening + kValueOpening.size();
    const std::size_t closing = replyUtf8.find(kValueClosing, valueStart);
    if (closing == std::string_view::npos)
        return std::nullopt;
    std::string_view value = replyUtf8.substr(valueStart, closing - valueStart);
    // The service ends its last entry with "\";" or with ";\";": either way the value ends
    // with that entry.
    if (!value.empty() && value.back() == ';')
        value.remove_suffix(1);
    if (CountCharacters(value) < kShortestValue)
        return std::nullopt;

    SuggestionResults found;
    // Entries are read one by one, and no further than the ones kept.
    std::size_t start = 0;
    while (found.entries.size() < kMaxSuggestionEntries) {
        const std::size_t end = value.find(';', start);
        const std::vector<std::string> fields = SplitFields(
            value.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start), ",");
        if (fields.size() >= kFieldsOfAnEntry) {
            if (std::optional<Suggestion> entry = SuggestionOfEntry(fields))
                found.entries.push_back(std::move(*entry));
        }
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
    if (found.entries.empty())
        return std::nullopt;
    return found;
}

std::optional<SuggestionResults> ParseSuggestionReply(std::string_view replyGbk) {
    if (replyGbk.size() > kMaxSuggestionReplyBytes)
        return std::nullopt; // refused before it is decoded
    return ParseSuggestionText(GbkToUtf8(replyGbk));
}

std::optional<Suggestion> SuggestionOfTypedCode(std::string_view typed,
                                                const std::vector<Suggestion>& listed) {
    const std::string code = Upper(Trimmed(typed));
    const std::vector<int> fitting = MarketsOfCode(code);
    for (const Suggestion& suggestion : listed) {
        if (Upper(suggestion.code) == code &&
            std::find(fitting.begin(), fitting.end(), suggestion.market) != fitting.end())
            return suggestion;
    }
    const std::optional<int> market = MarketOfTypedCode(code);
    if (!market)
        return std::nullopt;
    Suggestion found;
    found.code = code;
    found.market = *market;
    return found;
}

} // namespace marlune
