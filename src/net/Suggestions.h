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

// The types asked for: every type of MarketTable()'s markets, in number order
// ("11,12,13,14,15,21,22,23,24,25,26,31,33,41").
const std::string& SuggestionTypes();

// "/suggest/?type=" + SuggestionTypes() + "&key=".
std::string SuggestionPath();

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
// suggestion base URL + SuggestionPath() + the encoded key, reply kept in memory (at most
// kMaxSuggestionReplyBytes), Sina header block, idle priority.
QuoteFetchJob BuildSuggestionJob(std::string_view typedText);

// One entry of the reply, as the my-stocks page offers and adds it.
struct Suggestion {
    // What the add button looks the typed text up in, and what the drop-down shows: an A
    // share of Shanghai or Shenzhen "600000-浦发银行-sh600000" and "600000-浦发银行" (the
    // result without its last 9 characters, the dash and the 8-character full code); any
    // other market name, code and market, "腾讯控股 00700 港股", as both.
    std::string result;
    std::string boxEntry;
    std::string code; // as list.ini stores it: "600000", "00700", "HSI", "AAPL", "161725"
    std::string name;
    int market = 0; // list.ini's market number
};

struct SuggestionResults {
    std::vector<Suggestion> entries; // in the reply's order
};

// Reads a reply already decoded to UTF-8: the value between the first `="` and the
// first `";` after it, without one `;` that ends it (the service writes both
// `...,,";` and `...,,;";`), split into ";"-separated entries of ","-separated fields.
// An entry with at least 6 fields whose type names a market of MarketTable() and whose code
// fits that market's code rule gives a Suggestion, for the first kMaxSuggestionEntries such
// entries; other entries are skipped. Nothing when the reply is longer than
// kMaxSuggestionReplyBytes, a marker is missing, the value is 4 characters or shorter, or no
// entry is usable: the page then keeps its result list and drop-down entries as they are.
//
// The fields of an entry, from the service's replies:
//   0  the text that matched: the key as typed ("AAPL", "pfyh") or the name
//   1  the type: 11 A share (Beijing stocks too), 12 B share, 13 warrant, 14 futures,
//      15 bond; 21 open-end fund, 22 ETF, 23 LOF, 24 money-market fund, 25 QDII fund,
//      26 closed-end fund; 31 Hong Kong stock, 33 Hong Kong index; 41 US stock
//   2  the code: six digits (A shares, funds), five digits (Hong Kong stocks), lower case
//      for Hong Kong indices and US tickers ("hsi", "aapl")
//   3  the full code: "sh"/"sz"/"bj" + code for types 11-15, "of" + code for funds, the
//      code itself for Hong Kong and the US ("00700", "aapl")
//   4  the short name
//   5  empty
//   6  the short name again
//   7  99
//   8  1 while listed
//   9  "ESG" or empty; 10, 11 empty, or missing
// Types 11-15 belong to the market whose Sina prefix begins the full code, Shenzhen when none
// does (as the program always read them); Hong Kong and US codes are stored in upper case.
std::optional<SuggestionResults> ParseSuggestionText(std::string_view replyUtf8);

// As above for the reply as the service sends it, in GBK.
std::optional<SuggestionResults> ParseSuggestionReply(std::string_view replyGbk);

// What a code typed on its own adds: blanks around it dropped, letters in upper case; the
// market and name of the first suggestion with that code whose market the code fits, else
// the market the code rules give (MarketOfTypedCode: A-share prefixes first) with an empty
// name. Nothing when the text fits no market's code rule.
std::optional<Suggestion> SuggestionOfTypedCode(std::string_view typed,
                                                const std::vector<Suggestion>& listed);

} // namespace marlune
