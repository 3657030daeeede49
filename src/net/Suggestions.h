#pragma once
// Stock suggestions for the my-stocks page: the request to the Sina suggestion service
// for the typed text, and the reading of its reply.

#include "net/FetchJob.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace marlune {

inline constexpr std::string_view kSuggestPath = "/suggest/?type=11,12,13,14,15&key=";

// The real service answers at most 10 entries of a few hundred bytes. A longer reply is
// refused (the download stops there) and entries past the first kMaxSuggestionEntries are
// dropped: a hostile reply of millions of entries would freeze the settings dialog.
inline constexpr std::uint32_t kMaxSuggestionReplyBytes = 64 * 1024;
inline constexpr std::size_t kMaxSuggestionEntries = 20;

// Shown in the settings dialog's status text when a suggestion download fails.
inline constexpr std::string_view kSuggestionFailedText = "访问失败";

// The typed text as the service expects it in the query: GBK bytes, every byte other
// than a letter, a digit or one of "-._~" percent-encoded, so that blanks, '&', '#' or
// line breaks cannot change the request.
std::string EncodeSuggestionKey(std::string_view typedText);

// The side-download job for the typed text (any text, also the empty one): Sina
// suggestion base URL + kSuggestPath + the encoded key, reply kept in memory (at most
// kMaxSuggestionReplyBytes), Sina header block, idle priority.
QuoteFetchJob BuildSuggestionJob(std::string_view typedText);

struct SuggestionResults {
    // "code-name-fullcode" (e.g. "600000-浦发银行-sh600000") per usable entry, in the
    // reply's order: what the add button looks the typed text up in.
    std::vector<std::string> results;
    // The drop-down entries: each result without its last 9 characters (the dash and
    // the 8-character full code), i.e. "code-name".
    std::vector<std::string> boxEntries;
};

// Reads a reply already decoded to UTF-8: the value between the first `="` and the
// first `";` after it, without one `;` that ends it (the service writes both
// `...,,";` and `...,,;";`), split into ";"-separated entries of ","-separated fields;
// an entry with at least 6 fields gives field 2 + "-" + field 4 + "-" + field 3, for the
// first kMaxSuggestionEntries such entries. Nothing when the reply is longer than
// kMaxSuggestionReplyBytes, a marker is missing, the value is 4 characters or shorter,
// or no entry is usable: the page then keeps its result list and drop-down entries as
// they are.
std::optional<SuggestionResults> ParseSuggestionText(std::string_view replyUtf8);

// As above for the reply as the service sends it, in GBK.
std::optional<SuggestionResults> ParseSuggestionReply(std::string_view replyGbk);

} // namespace marlune
