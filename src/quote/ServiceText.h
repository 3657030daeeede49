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

// The sane bounds of what a quote service sends. No real quote comes near them: a figure
// beyond them is a damaged or hostile reply, and its statement gives no record.
inline constexpr std::size_t kLongestQuoteField = 32; // characters
inline constexpr double kPriceBound = 1e7;            // prices, in yuan or index points
inline constexpr double kCountBound = 1e15;           // volumes and amounts, in the service's units

// True for a field of at most kLongestQuoteField characters.
bool FitsQuoteField(std::string_view utf8);

// True for a figure written the way the services write numbers: an optional sign, digits
// with an optional fraction (thousands separators between groups of three allowed), at
// most kLongestQuoteField characters. An exponent, "inf", "nan", blanks or any other
// character make it no figure; so does the empty text.
bool IsPlainFigure(std::string_view text);

// A figure of the reply that a record may show: empty (a field the service left out) or a
// plain figure whose value lies below bound in magnitude.
bool IsSaneFigure(std::string_view text, double bound);

// True when the record's price, open, high, low and previous close texts, as the service sent
// them, are sane figures below kPriceBound and its name and code fit a quote field.
bool HasSanePrices(const QuoteRecord& record);

// The codes a reply was asked for: the market and code of every watch-list entry. A
// reply's statement for any other code (another market's quote the service adds, a code
// nobody asked for) builds no record and never sets the update time.
class RequestedCodes {
public:
    explicit RequestedCodes(const WatchList& watchList);
    bool Contains(int market, std::string_view code) const;

private:
    std::vector<std::string> m_keys; // "market|code", sorted
};

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

// A change counts as rising from 0.001 up, or, for prices of more than three decimals (fund
// net values, US stocks under 1 USD), from one step of their last decimal (0.0001 for four).
// The difference of two prices read as binary fractions can fall a hair short (3000.001 - 3000
// = 0.00099999999997635), which still counts.
bool IsRisingChange(double change, int decimals = 3);

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

// The same with the change printed in changeFormat: the markets whose prices carry three or
// four decimals (Hong Kong, US stocks under 1 USD, fund net values) print it as their prices,
// and a change of four decimals rises from 0.0001 (IsRisingChange).
void SetChangeTexts(QuoteRecord& record, const char* changeFormat, double previousClose, double price,
                    double high, double low);

} // namespace marlune
