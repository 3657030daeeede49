#pragma once
// The date of a quote as the services write it, read as a date: the services write it in
// different forms, so that dates are compared, never their texts.

#include <cstdint>
#include <optional>
#include <string_view>

namespace marlune {

// The Beijing day number (days since 1970-01-01) of the date a quote's time text names:
//   "2026-04-24 10:21:18"   Sina, Tencent, East Money
//   "2026/04/24 10:21:18"   NetEase
//   "Apr 24, 10:24AM GMT+8" Google, without a year: the year that puts the date nearest to
//                           `now` (seconds since 1970), so "Dec 31" read on 1 January is
//                           the day before.
// Nothing for a text that names no valid date (empty, " ", "2026-02-30", garbage).
std::optional<std::int64_t> QuoteDayNumber(std::string_view text, std::int64_t now);

} // namespace marlune
