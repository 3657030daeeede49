#include "ticker/ChartPopupRules.h"

#include "quote/QuoteTable.h"
#include "text/CNumber.h"

#include <algorithm>

namespace marlune {

namespace {

// How far the popup moves away from the cursor.
constexpr int kBelowCursor = 30;
constexpr int kLeftOfCursor = 450;
constexpr int kAboveCursor = 430;

} // namespace

HoverAction PopupHoverTracker::MouseMove(int row, int col, int entryCount, bool popupVisible) {
    if (row <= 0 || row > entryCount || col < 0) {
        Forget();
        return HoverAction::Hide;
    }
    if (IsLinkColumn(col)) {
        Forget();
        return HoverAction::HideForLink;
    }
    HoverAction action;
    if (row != m_lastRow || !popupVisible)
        action = HoverAction::ShowNewRow;
    else if (col == m_lastCol)
        return HoverAction::Nothing;
    else
        action = HoverAction::Replace;
    m_lastRow = row;
    m_lastCol = col;
    return action;
}

void PopupHoverTracker::Forget() {
    m_lastRow = -1;
    m_lastCol = -1;
}

bool IsLinkColumn(int col) {
    return col == kColCode || col == kColName || col == kColChart;
}

QPoint PlaceDetailPopup(const QPoint& cursor, const QSize& popupSize, const QRect& workArea,
                        const QRect& screen) {
    int x = cursor.x();
    int y = cursor.y();
    // QRect's right() and bottom() are the last pixel inside; the edges are one past them.
    if (x + popupSize.width() > workArea.right() + 1)
        x -= kLeftOfCursor;
    if (y + popupSize.height() > screen.bottom() + 1)
        y -= kAboveCursor;
    else
        y += kBelowCursor;
    // On a screen too small for the rules above the popup would start outside it; it is kept
    // on the screen unless it would then cover the cursor (it would hide as soon as it shows).
    x = std::max(x, workArea.left());
    const int top = std::max(y, workArea.top());
    if (!QRect(QPoint(x, top), popupSize).contains(cursor))
        y = top;
    return {x, y};
}

std::string PopupSummaryText(const StockEntry& entry) {
    return entry.code + "," + ShownName(entry) + "," +
           Format("%d,%d,%.2f,%.2f,%d,%.2f", entry.market, entry.alertFlag,
                  static_cast<double>(entry.upperLimit), static_cast<double>(entry.lowerLimit),
                  entry.quantity, static_cast<double>(entry.cost));
}

std::string PopupDetailText(const QuoteRecord& q) {
    const std::string* texts[] = {&q.price,     &q.low,    &q.high,       &q.open,    &q.previousClose,
                                  &q.volume,    &q.amount, &q.changeRate, &q.change,  &q.spare,
                                  &q.amplitude, &q.plRate, &q.plAmount,   &q.dateTime};
    std::string result;
    for (const std::string* text : texts) {
        if (text != texts[0])
            result += ',';
        result += *text;
    }
    return result;
}

std::string StockPagePrefix(int market) {
    return market == kMarketShanghai ? "sh" : "sz";
}

std::string StockInfoPath(const StockEntry& entry) {
    return "/stock/stock_info.php?stockid=" + StockPagePrefix(entry.market) + entry.code;
}

std::string MiniStockPath(const StockEntry& entry) {
    return "/stock/ministock.php?stockid=" + StockPagePrefix(entry.market) + entry.code;
}

} // namespace marlune
