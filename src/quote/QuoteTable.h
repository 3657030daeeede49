#pragma once
// What the quote table shows: the fifteen columns, the text and the colour role of every
// cell of an entry's row, and the total line. Shared by the ticker grid and the terminal
// ticker so that both show exactly the same texts.

#include "quote/QuoteBook.h"
#include "quote/StockEntry.h"

#include <array>
#include <string>

namespace marlune {

constexpr int kQuoteColumnCount = 15;

// Column indexes of the quote table.
enum QuoteColumn : int {
    kColCode = 0,
    kColName,
    kColPrice,
    kColChange,
    kColChangeRate,
    kColHigh,
    kColLow,
    kColChart,
    kColOpen,
    kColPreviousClose,
    kColAmplitude,
    kColVolume,
    kColAmount,
    kColPlAmount,
    kColPlRate,
};

// Which of the configured colours a cell is drawn in.
// Flat is a change or a profit of 0.00: neither up nor down.
enum class CellColor { Default, Name, Up, Down, Flat };

struct QuoteColumnInfo {
    const char* header; // UTF-8
    int width;          // pixels
};

const std::array<QuoteColumnInfo, kQuoteColumnCount>& QuoteColumns();

// The texts of an entry's row: code and name from the entry itself, the rest from its quote;
// the chart column reads "分时图" once the entry has a price.
std::array<std::string, kQuoteColumnCount> QuoteRowTexts(const StockEntry& entry);

// The colour role of a cell in an entry's row. Price, change and rate rise with a leading "+"
// in the change text; the profit columns show a gain (P/L amount above 0) in the rising colour.
CellColor QuoteCellColor(const StockEntry& entry, int column);

// "总盈亏:" + amount + "  " + rate + "  " + update time.
std::string TotalLineText(const std::string& totalPlAmount, const std::string& totalPlRate,
                          const std::string& updateTime);

// What the total line says after its rate when it is not the whole story: "（未含美元）" when
// holdings were left out for want of a rate, "*" when the rates are those of an earlier
// request (the last one brought none); empty for a total of yuan holdings, and whenever
// every holding was converted at fresh rates. The tooltip (TotalRatesText) says which.
std::string TotalLineMark(const QuoteBook& book);

// The total line of the book: TotalLineText with the mark after the rate.
std::string TotalLineTextOf(const QuoteBook& book, bool showUpdateTime);

} // namespace marlune
