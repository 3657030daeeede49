#pragma once
// Printing the quote table of the terminal ticker: an aligned, optionally coloured table, or
// one JSON object with the same display texts.

#include "quote/QuoteBook.h"

#include <string>

namespace marlune {

// The watch list as a table: header, one line per entry, the total line. ANSI colours when
// `colour` is set (rising red, falling green, names blue, as on the desktop). Texts from
// replies and files never reach the terminal raw: their control characters print as "?".
std::string FormatQuoteTable(const QuoteBook& book, bool colour);

// {"rows":[{...15 display texts..., "market": n, "currency": "CNY"}],
//  "total":{"plAmount","plRate","updateTime"}}, the total with "rates":[{"currency","yuan",
//  "time"}], "ratesStale" and "leftOut":["USD"] when holdings are in other currencies than
//  yuan, and "alerts":["...",...] after the total
// when alerts fired with this refresh (alertText as the book collects it: each message
// followed by "\n").
std::string FormatQuoteJson(const QuoteBook& book, const std::string& alertText = {});

// The alerts that fired with this refresh, one line each: "预警：<message>\n"; empty without
// alerts.
std::string FormatAlertLines(const std::string& alertText);

// Terminal columns a UTF-8 text takes (CJK characters take two).
int DisplayWidth(const std::string& utf8);

} // namespace marlune
