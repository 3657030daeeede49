#pragma once
// What the quote table shows: the fifteen columns, the text and the colour role of every
// cell of an entry's row, and the total line. Shared by the ticker grid and the terminal
// ticker so that both show exactly the same texts.

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

} // namespace marlune
