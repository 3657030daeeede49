#pragma once
// The rules behind the detail popup of the quote grid, free of widgets: what a mouse move over
// a cell does, where the popup goes, the texts it is given and the pages a click opens.

#include "quote/StockEntry.h"

#include <QPoint>
#include <QRect>
#include <QSize>

#include <string>

namespace marlune {

// What a mouse move over the quote grid asks for.
enum class HoverAction {
    Hide,        // header, total row or outside the cells: hide the popup
    HideForLink, // code, name or chart column: hide the popup and show the hand cursor
    ShowNewRow,  // another stock: give the popup its data, then place and show it
    Replace,     // same stock, another column: place and show it again without new data
    Nothing,     // same cell as before
};

// Remembers the cell the popup was last shown for.
class PopupHoverTracker {
public:
    // row and col as the grid reports them (-1 outside the cells); entryCount is the number of
    // watch-list rows (grid rows 1 to entryCount). A popup that is not visible (hidden by a
    // leave, a right click or the window) counts as shown for no cell.
    HoverAction MouseMove(int row, int col, int entryCount, bool popupVisible);
    // Forgets the last cell, so that the next hover loads its stock again.
    void Forget();

    int lastRow() const { return m_lastRow; }
    int lastCol() const { return m_lastCol; }

private:
    int m_lastRow = -1;
    int m_lastCol = -1;
};

// Code, name and chart columns: clicking them opens a page, hovering shows the hand cursor.
bool IsLinkColumn(int col);

// The popup's top-left corner for a cursor position: at the cursor and 30 pixels below it; 450
// pixels to the left when it would pass the work area's right edge, 430 pixels up when it would
// pass the screen's bottom edge. It never starts left of the work area, nor above it unless it
// would then cover the cursor.
QPoint PlaceDetailPopup(const QPoint& cursor, const QSize& popupSize, const QRect& workArea,
                        const QRect& screen);

// code + "," + name + "," + market, alert flag, upper limit, lower limit, quantity and cost as
// "%d,%d,%.2f,%.2f,%d,%.2f".
std::string PopupSummaryText(const StockEntry& entry);

// The fourteen quote texts joined by ",": price, low, high, open, previous close, volume,
// amount, change rate, change, (spare), amplitude, P/L rate, P/L amount, date time.
std::string PopupDetailText(const QuoteRecord& quote);

// "sh" for Shanghai, "sz" for every other market (the pages' and the popup's rule).
std::string StockPagePrefix(int market);

// Vendor-site paths opened by a click on the code or name column, and on the chart column.
std::string StockInfoPath(const StockEntry& entry);
std::string MiniStockPath(const StockEntry& entry);

} // namespace marlune
