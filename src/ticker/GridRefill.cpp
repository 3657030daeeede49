#include "ticker/GridRefill.h"

#include "config/DisplaySettings.h"
#include "quote/AlertRules.h"
#include "quote/DerivedValues.h"
#include "quote/QuoteBook.h"
#include "quote/QuoteTable.h"
#include "ticker/QuoteGrid.h"

#include <QString>

namespace marlune {

namespace {

// Rows 1 to n underline the cells that open a page when clicked.
constexpr int kLinkColumns[] = {kColCode, kColName, kColChart};
constexpr int kGridFontPixels = 12;

QColor CellColorFor(CellColor role, const GridColors& colors) {
    switch (role) {
    case CellColor::Name:
        return colors.name;
    case CellColor::Up:
        return colors.up;
    case CellColor::Down:
        return colors.down;
    case CellColor::Flat:
        // Neither rising nor falling: the header's colour, which the user keeps readable on
        // the background.
        return colors.title;
    case CellColor::Default:
        break;
    }
    return colors.other; // invalid: the grid's own fore colour
}

} // namespace

QColor ColorFromColorRef(std::uint32_t colorRef) {
    return QColor(static_cast<int>(colorRef & 0xff), static_cast<int>((colorRef >> 8) & 0xff),
                  static_cast<int>((colorRef >> 16) & 0xff));
}

QColor AlertMarkColor() {
    // Amber: seen at a glance on light and dark backgrounds, and the name colour's blue stays
    // readable on it.
    return QColor(0xff, 0xd5, 0x4f);
}

GridColors PlainGridColors(const QColor& text, const QColor& background) {
    // No mark of a fired alert either: an amber cell would say what the colours no longer do.
    return {text, text, text, text, background, text, false, false};
}

QColor GridSelectionColor() {
    return ColorFromColorRef(0xff1200);
}

void SetUpQuoteGrid(QuoteGrid& grid, int entryCount, const GridColors& colors) {
    const int n = std::max(entryCount, 0);
    const int totalRow = n + 1;
    grid.setRedraw(false);
    // Start from an empty grid so that a rebuild leaves nothing of the old rows behind.
    grid.setShape(0, 0, 0);
    grid.setShape(QuoteGridRowCount(n), kQuoteColumnCount, 1);

    SetQuoteGridBackground(grid, colors.background);
    grid.setBackColorSel(GridSelectionColor());
    QFont font = grid.font();
    font.setPixelSize(kGridFontPixels);
    grid.setFont(font);

    const auto& columns = QuoteColumns();
    for (int k = 0; k < kQuoteColumnCount; ++k) {
        grid.setColWidth(k, columns[static_cast<std::size_t>(k)].width);
        grid.setCellForeColor(0, k, colors.title);
        grid.setColAlignment(k, GridAlignment::Center);
    }
    for (int r = 0; r <= totalRow; ++r) {
        grid.setRowHeight(r, kQuoteGridRowHeight);
        if (r > 0 && colors.underlineLinks) {
            for (int col : kLinkColumns)
                grid.setCellUnderline(r, col, true);
        }
    }
    // Codes line up on the right; the total row is no link.
    grid.setColAlignment(kColCode, GridAlignment::Right);
    grid.setCellUnderline(totalRow, kColCode, false);

    for (int k = 0; k < kQuoteColumnCount; ++k)
        grid.setText(0, k, QString::fromUtf8(columns[static_cast<std::size_t>(k)].header));
    grid.setRedraw(true);
}

void SetQuoteGridBackground(QuoteGrid& grid, const QColor& background) {
    grid.setBackColorFixed(background);
    grid.setBackColor(background);
    grid.setBackColorBkg(background);
}

void RefillQuoteGrid(QuoteGrid& grid, const QuoteBook& book, const GridColors& colors, bool showUpdateTime) {
    grid.setRedraw(false);
    const std::size_t rows =
        std::min<std::size_t>(book.watchList.size(), static_cast<std::size_t>(std::max(grid.rows() - 2, 0)));
    for (std::size_t i = 0; i < rows; ++i) {
        const StockEntry& entry = book.watchList[i];
        const int r = static_cast<int>(i) + 1;
        const auto texts = QuoteRowTexts(entry);
        for (int col = 0; col < kQuoteColumnCount; ++col) {
            grid.setCellForeColor(r, col, CellColorFor(QuoteCellColor(entry, col), colors));
            grid.setText(r, col, QString::fromStdString(texts[static_cast<std::size_t>(col)]));
        }
        const bool fired = i < book.alerts.size() && AnyAlertFired(book.alerts[i]);
        grid.setCellBackColor(r, kColCode, fired && colors.markAlerts ? AlertMarkColor() : QColor());
    }

    const int totalRow = grid.rows() - 1;
    if (totalRow >= 1) {
        const QString total = QString::fromStdString(TotalLineTextOf(book, showUpdateTime));
        for (int col = 0; col < kQuoteColumnCount; ++col) {
            grid.setCellForeColor(totalRow, col, colors.other);
            grid.setText(totalRow, col, total);
        }
        grid.setMergeRow(totalRow, true);
        // Holdings in other currencies: which rates the total used, and what it left out.
        grid.setRowToolTip(totalRow, QString::fromStdString(TotalRatesText(
                                         book.exchangeRates, book.totalLeavesOut, book.exchangeRatesStale)));
    }
    grid.setRedraw(true);
}

bool IsQuoteColumnShown(int column, const DisplaySettings& display) {
    switch (column) {
    case kColCode:
        return display.showCode;
    case kColName:
        return display.showName;
    case kColPrice:
        return display.showPrice;
    case kColChange:
        return display.showChange;
    case kColChangeRate:
        return display.showChangeRate;
    case kColPlAmount:
        return display.showPlAmount;
    case kColPlRate:
        return display.showPlRate;
    default:
        return true;
    }
}

int HiddenColumnsWidth(const DisplaySettings& display) {
    int width = 0;
    for (int k = 0; k < kQuoteColumnCount; ++k) {
        if (!IsQuoteColumnShown(k, display))
            width += QuoteColumns()[static_cast<std::size_t>(k)].width;
    }
    return width;
}

int HiddenRowCount(const DisplaySettings& display) {
    return (display.showHead ? 0 : 1) + (display.showTotalLine ? 0 : 1);
}

void ApplyDisplayToGrid(QuoteGrid& grid, const DisplaySettings& display) {
    grid.setRedraw(false);
    for (int k = 0; k < std::min(grid.cols(), kQuoteColumnCount); ++k) {
        if (!IsQuoteColumnShown(k, display))
            grid.setColWidth(k, 0);
    }
    if (grid.rows() >= 2) {
        if (!display.showHead)
            grid.setRowHeight(0, 0);
        if (!display.showTotalLine)
            grid.setRowHeight(grid.rows() - 1, 0);
    }
    QFont font = grid.font();
    font.setPixelSize(FontSizePixels(display.fontSize));
    font.setBold(display.fontBold);
    grid.setFont(font);
    grid.setRedraw(true);
}

} // namespace marlune
