#pragma once
// The reply parsers of the three quote services. Each takes the reply as the service sent it,
// rebuilds book.quoteList from it and ends with ComputeDerivedValues(book).
//
// Replies are GBK. They are decoded to UTF-8 before anything is searched or split, because
// GBK trail bytes include "|", "_", "[" and more. The length rules ("9 characters or
// shorter") count the bytes the service sent: ServiceByteLength gives that count for a
// decoded text (one byte per ASCII character or undecodable byte, two per other character).
// Malformed replies give what the rules below make of them; nothing is reported.
//
// A reply holds one quote per requested stock. Past kMaxQuoteRecords records the rest of a
// reply is ignored: no request asks for that many, and a hostile reply of millions of empty
// values would otherwise take gigabytes.

#include "quote/QuoteBook.h"
#include "quote/ServiceText.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace marlune {

constexpr std::size_t kMaxQuoteRecords = 4096;

// Sina: statements var hq_str_sh600000="name,open,previous close,price,...,date,time,..";
// One record per statement longer than 9 bytes (key, comma and value) for a code of the watch
// list, in reply order; an empty statement gives none, nor does one for a code nobody asked
// for (Sina adds other markets' statements, "rt_hk..." or "gb_...", to some replies). Volume is
// printed in lots of 100 shares ("%.0f"; Sina sends it in shares, but for the Shanghai indices,
// sh000xxx, already in lots: the Shenzhen indices, sz399xxx, come in shares), the amount in
// units of 10,000 yuan ("%.2f"), the change with three decimals for sh000001 and sz399001 and
// two for the rest, with "+" from 0.001 up, and its rate "%.2f%%" of the previous close.
// Without a trade (price not above 0) the previous close stands in for the price, so the
// change is 0; a previous close of 0 gives the rate and the amplitude "-". Prices are shown as
// sent. Sets book.updateTime to the date and time of the last record.
//
// A statement ends where the next one begins. One without a complete value (its =" or its
// closing "; missing before that point), with NUL bytes in its value, with a field longer
// than kLongestQuoteField characters or with a price, volume or amount that is no sane
// figure (IsSaneFigure: kPriceBound, kCountBound) gives no record, so a damaged statement
// costs no other stock its quote and lends none its values.
void ParseSinaReply(QuoteBook& book, std::string_view gbkReply);
// The records alone (book.quoteList and book.updateTime), without the derived values.
void ReadSinaRecords(QuoteBook& book, std::string_view gbkReply);

// NetEase 163: values between =' and '; with fields separated by ";". Every value gives a
// record, an empty one too (with an empty code, which matches no entry), except one holding
// NUL bytes, a field longer than kLongestQuoteField characters or a price, change, volume or
// amount that is no sane figure. Volumes come in shares and are printed in lots of 100. The change is taken
// as sent, with "+" added from 0.001 up. book.updateTime stays as it was.
void ParseNeteaseReply(QuoteBook& book, std::string_view gbkReply);
// The records alone (book.quoteList and book.updateTime), without the derived values.
void ReadNeteaseRecords(QuoteBook& book, std::string_view gbkReply);

// Flattens a Google reply (GBK, one key per line): every string value of an object, leading
// blanks removed, followed by ";", and "|" at each line that begins with "}". UTF-8 out.
std::string FlattenGoogleReply(std::string_view gbkFile);

// Reads the Google reply file, flattens it and deletes the file. Empty, and nothing deleted,
// when the file cannot be read.
std::string ReadGoogleReply(const std::string& path);

// Google: records of the flattened text separated by "|". A text of 9 bytes or fewer changes
// nothing (not even the derived values). Change and rate are taken as sent, the volume is not
// scaled, the amount stays empty, open and previous close show the same value. Numbers may
// carry thousands separators. A record holding NUL bytes, or whose prices are no sane
// figures (HasSanePrices), is left out.
// book.updateTime stays as it was.
void ParseGoogleReply(QuoteBook& book, std::string_view flattenedUtf8);
// The records alone (book.quoteList and book.updateTime), without the derived values.
void ReadGoogleRecords(QuoteBook& book, std::string_view flattenedUtf8);

} // namespace marlune
