#pragma once
// Small helpers the quote parsers share. A reply is decoded from GBK to UTF-8 before it is
// searched or split, but its length rules ("9 characters or shorter") are about the bytes
// the service sent, so lengths are measured as the GBK form had them. Cuts by position
// never leave half a UTF-8 character behind.

#include "quote/StockEntry.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace marlune {

// The number of bytes the decoded text had in the service's GBK form: one for every ASCII
// character and for every byte that did not decode (U+FFFD), two for every other character.
std::size_t ServiceByteLength(std::string_view utf8);

// The first maxFields fields of Split(text, separator). The parsers read fixed positions, so
// they split only as far as the last field they read: a hostile reply of ten million commas
// costs no more than one of 33 fields.
std::vector<std::string> SplitHead(std::string_view text, std::string_view separator, std::size_t maxFields);

// Calls visit(piece) for every piece of Split(text, separator), in order, as views into the
// text, without building the list.
template <typename Visit> void ForEachPiece(std::string_view text, std::string_view separator, Visit visit) {
    if (separator.empty())
        return;
    std::size_t start = 0;
    std::size_t found = text.find(separator, 1);
    while (found != std::string_view::npos) {
        visit(text.substr(start, found - start));
        start = found + separator.size();
        found = text.find(separator, start);
    }
    visit(text.substr(start));
}

// At most n bytes from pos, narrowed to whole UTF-8 characters (a character cut by either
// end is left out). Empty when pos is beyond the text.
std::string_view Utf8Slice(std::string_view text, std::size_t pos, std::size_t n);

// The last n bytes of the text (all of it when shorter), narrowed to whole characters.
std::string_view Utf8Right(std::string_view text, std::size_t n);

// A number as a quote service writes it: as AtoF reads it, except that thousands separators
// are read through ("3,154.03" is 3154.03, not 3). A comma counts as a separator only between
// a digit and a group of exactly three digits, so a comma that separates fields still ends
// the number.
double QuoteNumber(std::string_view text);

// Format(format, value) for a figure the program computes, never "-0.00": a value that rounds
// to zero prints without a sign.
std::string FigureText(const char* format, double value);

// The rate text the parsers and the holdings print: "%.2f%%" of numerator * 100 / denominator,
// or "-" when the denominator is 0 or the result is not a finite number.
std::string PercentText(double numerator, double denominator);

// A change counts as rising from 0.001 up. The difference of two prices read as binary
// fractions can fall a hair short (3000.001 - 3000 = 0.00099999999997635), which still counts.
bool IsRisingChange(double change);

// "+" in front of a change text that is positive (and does not carry a sign yet).
std::string WithPlusSign(std::string_view text);

// True for the two indices whose change is printed with three decimals.
bool IsMainIndexKey(std::string_view key); // "sh000001", "sz399001"

// The change, change-rate and amplitude texts every parser that computes them shares:
// without a trade (price not above 0: suspended, before the first trade) the previous
// close stands in for the price, so the change is 0; the change is "%.3f" for the two main
// indices and "%.2f" otherwise, with "+" from 0.001 up, as is its rate "%.2f%%" of the
// previous close; the amplitude is "-" without a price above 0.05, else (high - low) in
// percent of the previous close. A previous close of 0 gives the rate and amplitude "-".
void SetChangeTexts(QuoteRecord& record, bool mainIndex, double previousClose, double price, double high,
                    double low);

} // namespace marlune
