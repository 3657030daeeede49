#pragma once
// Reading request targets: percent-decoding and query parameters.

#include <optional>
#include <string>
#include <string_view>

namespace marlune::sim {

// %XX sequences become the bytes they stand for; a malformed % is kept as it is and
// every other byte (raw GBK included) passes through. "+" stays "+".
std::string PercentDecode(std::string_view text);

// %-encodes everything but unreserved characters, as for a query value.
std::string PercentEncode(std::string_view text);

// The raw (still encoded) value of the first parameter with this name in a query
// ("a=1&b=2", without the "?"); nothing when absent. A name without "=" has an empty value.
std::optional<std::string> QueryValue(std::string_view query, std::string_view name);

// The target split into the path and the query after the first "?" (empty without one).
void SplitTarget(std::string_view target, std::string& path, std::string& query);

} // namespace marlune::sim
