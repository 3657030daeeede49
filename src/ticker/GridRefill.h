#pragma once
// Setting up the quote grid of the ticker window and refilling it from the quote state after
// every parsed reply. The rules (which text and which colour in which cell) come from
// quote/QuoteTable.h; this step applies them to the widget.

#include <QColor>

#include <cstdint>

namespace marlune {

class QuoteGrid;
struct QuoteBook;
struct DisplaySettings;

// The five colours the ticker window reads from base.ini.
struct GridColors {
    QColor up;         // ColorUp: rising quotes
    QColor down;       // ColorDown: falling or unchanged quotes
    QColor name;       // ColorName: code, name and chart columns
    QColor title;      // ColorTitle: header row (and the status line)
    QColor background; // ColorBK: every background of the grid
    // Texts without a colour of their own (high, low, volume, ...) and the total line;
    // invalid: the grid's fore colour.
    QColor other;
    // The code, name and chart cells are underlined as the links they are.
    bool underlineLinks = true;
    // A row whose alert holds has its code cell marked (AlertMarkColor).
    bool markAlerts = true;
};

// The plain mode's colours: every text in one colour (the total line too), no underlines.
GridColors PlainGridColors(const QColor& text, const QColor& background);

// base.ini keeps colours as the Windows colour value 0x00BBGGRR.
QColor ColorFromColorRef(std::uint32_t colorRef);

// Pixel sizes of the quote grid.
constexpr int kQuoteGridRowHeight = 20;
// The selection highlight of the quote grid and of the detail popup: blue 255, green 18, red 0.
QColor GridSelectionColor();

// The code cell of a row whose alert has fired and still holds is filled with this.
QColor AlertMarkColor();

// Rows of a grid for entryCount watch-list entries: header, one per entry, total row.
constexpr int QuoteGridRowCount(int entryCount) {
    return entryCount + 2;
}
// The grid's height in the ticker window (one spare pixel per row below the cells).
constexpr int QuoteGridHeight(int entryCount) {
    return 21 * entryCount + 42;
}

// Shapes the grid for entryCount entries: 15 columns with their widths, headers, header
// colours and alignments, 20-pixel rows, underlines of the clickable cells and the colours.
// Calling it again with another count rebuilds the grid (all cells cleared).
void SetUpQuoteGrid(QuoteGrid& grid, int entryCount, const GridColors& colors);

// Every background of the grid (header row, quote rows, the area beyond them) in one
// colour: ColorBK, or transparent for a window whose colour key is made with alpha.
void SetQuoteGridBackground(QuoteGrid& grid, const QColor& background);

// Redraws the grid from the quote state with one repaint: every entry's texts and colours, the
// mark of a row whose alert holds (the refresh cycle keeps the alerts: the grid only paints
// them) and the merged total row. Entries beyond
// the grid's rows are skipped
// (the grid is rebuilt by SetUpQuoteGrid when the watch list changes size).
// Without showUpdateTime the total line leaves out the time of the quotes.
void RefillQuoteGrid(QuoteGrid& grid, const QuoteBook& book, const GridColors& colors,
                     bool showUpdateTime = true);

// Whether the display settings show a column of the quote table (seven columns can be left out).
bool IsQuoteColumnShown(int column, const DisplaySettings& display);
// The pixels of the columns left out, and the rows left out (header row, total line).
int HiddenColumnsWidth(const DisplaySettings& display);
int HiddenRowCount(const DisplaySettings& display);
// Applies the display settings to a grid set up by SetUpQuoteGrid: the columns, the header
// row and the total line it leaves out get no width or height, and the font its size and
// weight.
void ApplyDisplayToGrid(QuoteGrid& grid, const DisplaySettings& display);

} // namespace marlune
