#include "net/Suggestions.h"

#include "net/ServiceEndpoints.h"
#include "text/Fields.h"
#include "text/Gbk.h"

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

bool IsUnreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

} // namespace

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
    job.url =
        ServiceBaseUrl(Service::kSinaSuggest) + std::string(kSuggestPath) + EncodeSuggestionKey(typedText);
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
    while (found.results.size() < kMaxSuggestionEntries) {
        const std::size_t end = value.find(';', start);
        const std::vector<std::string> fields = SplitFields(
            value.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start), ",");
        if (fields.size() >= kFieldsOfAnEntry) {
            std::string result = fields[2] + "-" + fields[4] + "-" + fields[3];
            found.boxEntries.push_back(DropLastCharacters(result, kFullCodeTail));
            found.results.push_back(std::move(result));
        }
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
    if (found.results.empty())
        return std::nullopt;
    return found;
}

std::optional<SuggestionResults> ParseSuggestionReply(std::string_view replyGbk) {
    if (replyGbk.size() > kMaxSuggestionReplyBytes)
        return std::nullopt; // refused before it is decoded
    return ParseSuggestionText(GbkToUtf8(replyGbk));
}

} // namespace marlune
