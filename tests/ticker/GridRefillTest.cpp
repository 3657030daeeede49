// Setting up and refilling the quote grid from the quote state: shape, headers, colours,
// underlines, alignments, the merged total row and one paint per refresh.
#include "ticker/GridRefill.h"

#include "quote/QuoteBook.h"
#include "ticker/QuoteGrid.h"

#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>

using namespace marlune;

namespace {

const GridColors kColors{ColorFromColorRef(0x0000ff),
                         ColorFromColorRef(0x009900),
                         ColorFromColorRef(0xff0000),
                         ColorFromColorRef(0x000000),
                         ColorFromColorRef(0xe6ffff),
                         QColor(),
                         true,
                         true};

StockEntry Entry(const std::string& code, const std::string& name, int market) {
    StockEntry e;
    e.code = code;
    e.name = name;
    e.market = market;
    return e;
}

QuoteRecord Quote(const std::string& price, const std::string& change, const std::string& plAmount) {
    QuoteRecord q;
    q.price = price;
    q.change = change;
    q.changeRate = change.empty() ? "" : change + "%";
    q.high = "11.00";
    q.low = "9.00";
    q.open = "9.50";
    q.previousClose = "10.00";
    q.amplitude = "20.00%";
    q.volume = "12345";
    q.amount = "678.90";
    q.plAmount = plAmount;
    q.plRate = plAmount.empty() ? "" : plAmount + "%";
    q.dateTime = "2024-05-06 15:00:00";
    return q;
}

// Rise with a gain, fall with a loss, flat without a holding, and a stock without a quote.
QuoteBook SampleBook() {
    QuoteBook book;
    WatchList list;
    list.push_back(Entry("600000", "浦发银行", 1));
    list.back().quote = Quote("10.50", "+0.50", "50.00");
    list.push_back(Entry("000002", "万科A", 2));
    list.back().quote = Quote("9.50", "-0.50", "-25.00");
    list.push_back(Entry("399001", "深证成指", 2));
    list.back().quote = Quote("10000.000", "0.000", "0.00");
    list.push_back(Entry("600519", "贵州茅台", 1));
    book.setWatchList(std::move(list));
    book.totalPlAmount = "25.00";
    book.totalPlRate = "1.25%";
    book.updateTime = "2024-05-06 15:00:00";
    return book;
}

} // namespace

TEST(GridRefill, SetUpShapesTheGridWithHeadersColoursAndLinks) {
    QuoteGrid grid;
    SetUpQuoteGrid(grid, 3, kColors);
    ASSERT_EQ(grid.rows(), 5);
    ASSERT_EQ(grid.cols(), 15);
    EXPECT_EQ(grid.fixedRows(), 1);
    EXPECT_EQ(grid.contentWidth(), 825); // the window is 26 pixels wider: 851
    for (int r = 0; r < 5; ++r)
        EXPECT_EQ(grid.rowHeight(r), 20);
    const int widths[] = {45, 60, 60, 60, 60, 60, 60, 40, 60, 60, 40, 60, 60, 60, 40};
    const char* headers[] = {"代码",   "简称",   "最新价", "涨跌额", "涨跌率", "最高价", "最低价", "分时图",
                             "今开盘", "昨收盘", "振幅",   "成交量", "成交额", "盈亏额", "盈亏率"};
    for (int k = 0; k < 15; ++k) {
        EXPECT_EQ(grid.colWidth(k), widths[k]) << k;
        EXPECT_EQ(grid.text(0, k), QString::fromUtf8(headers[k])) << k;
        EXPECT_EQ(grid.cellForeColor(0, k), QColor(Qt::black)) << k;
        EXPECT_EQ(grid.colAlignment(k), k == 0 ? GridAlignment::Right : GridAlignment::Center) << k;
    }
    EXPECT_EQ(grid.backColor(), QColor(255, 255, 230));
    EXPECT_EQ(grid.backColorFixed(), QColor(255, 255, 230));
    EXPECT_EQ(grid.backColorBkg(), QColor(255, 255, 230));
    EXPECT_EQ(grid.backColorSel(), QColor(0, 18, 255));

    for (int r = 1; r <= 3; ++r)
        for (int c = 0; c < 15; ++c)
            EXPECT_EQ(grid.cellUnderline(r, c), c == 0 || c == 1 || c == 7) << r << "," << c;
    EXPECT_FALSE(grid.cellUnderline(0, 0));
    EXPECT_FALSE(grid.cellUnderline(4, 0)); // the total row's first cell, drawn for the merged row
    EXPECT_FALSE(grid.mergeRow(4));

    // Rebuilt for another watch list: old rows leave nothing behind.
    grid.setText(2, 3, "stale");
    SetUpQuoteGrid(grid, 1, kColors);
    EXPECT_EQ(grid.rows(), 3);
    EXPECT_EQ(grid.text(2, 3), QString());
    SetUpQuoteGrid(grid, 3, kColors);
    EXPECT_EQ(grid.text(2, 3), QString());
    EXPECT_EQ(grid.text(0, 3), QString::fromUtf8("涨跌额"));

    // An empty watch list: the header and the total row.
    SetUpQuoteGrid(grid, 0, kColors);
    EXPECT_EQ(grid.rows(), 2);
    EXPECT_EQ(QuoteGridHeight(0), 42);
    EXPECT_EQ(QuoteGridHeight(20), 462);
}

TEST(GridRefill, WritesTextsAndColoursOfEveryRow) {
    QuoteGrid grid;
    QuoteBook book = SampleBook();
    SetUpQuoteGrid(grid, 4, kColors);
    RefillQuoteGrid(grid, book, kColors);

    // Rise: code, name, price, change, rate, high, low, chart, open, close, amplitude, volume,
    // amount, P/L amount, P/L rate.
    const char* rise[] = {"600000", "浦发银行", "10.50",  "+0.50", "+0.50%", "11.00", "9.00",  "分时图",
                          "9.50",   "10.00",    "20.00%", "12345", "678.90", "50.00", "50.00%"};
    for (int c = 0; c < 15; ++c)
        EXPECT_EQ(grid.text(1, c), QString::fromUtf8(rise[c])) << c;

    const QColor up = kColors.up, down = kColors.down, name = kColors.name;
    for (int c : {0, 1, 7})
        EXPECT_EQ(grid.effectiveForeColor(1, c), name) << c;
    for (int c : {2, 3, 4})
        EXPECT_EQ(grid.effectiveForeColor(1, c), up) << c;
    for (int c : {5, 6, 8, 9, 10, 11, 12})
        EXPECT_EQ(grid.effectiveForeColor(1, c), QColor(Qt::black)) << c;
    // A gain shows in the rising colour although its text has no plus sign.
    EXPECT_EQ(grid.effectiveForeColor(1, 13), up);
    EXPECT_EQ(grid.effectiveForeColor(1, 14), up);

    // Fall with a loss.
    for (int c : {2, 3, 4, 13, 14})
        EXPECT_EQ(grid.effectiveForeColor(2, c), down) << c;
    EXPECT_EQ(grid.text(2, 13), "-25.00");

    // An unchanged quote and the 0.00 of a row without a holding are neither up nor down:
    // the neutral header colour, not the falling one.
    for (int c : {2, 3, 4, 13, 14})
        EXPECT_EQ(grid.effectiveForeColor(3, c), kColors.title) << c;
    EXPECT_NE(kColors.title, down);
    EXPECT_EQ(grid.text(3, 3), "0.000");

    // No quote yet: code and name from the entry, everything else (the chart cell too) empty.
    EXPECT_EQ(grid.text(4, 0), "600519");
    EXPECT_EQ(grid.text(4, 1), QString::fromUtf8("贵州茅台"));
    for (int c = 2; c < 15; ++c)
        EXPECT_EQ(grid.text(4, c), QString()) << c;
    EXPECT_EQ(grid.effectiveForeColor(4, 2), kColors.title);

    // A later refill follows the new quotes.
    book.watchList[0].quote = Quote("9.90", "-0.10", "-10.00");
    RefillQuoteGrid(grid, book, kColors);
    EXPECT_EQ(grid.text(1, 2), "9.90");
    EXPECT_EQ(grid.effectiveForeColor(1, 2), down);
    EXPECT_EQ(grid.effectiveForeColor(1, 13), down);
}

TEST(GridRefill, FillsTheMergedTotalRow) {
    QuoteGrid grid;
    QuoteBook book = SampleBook();
    SetUpQuoteGrid(grid, 4, kColors);
    RefillQuoteGrid(grid, book, kColors);
    const QString total = QString::fromUtf8("总盈亏:25.00  1.25%  2024-05-06 15:00:00");
    for (int c = 0; c < 15; ++c)
        EXPECT_EQ(grid.text(5, c), total) << c;
    EXPECT_TRUE(grid.mergeRow(5));
    EXPECT_EQ(grid.mergedSpan(5, 7), std::make_pair(0, 14));
    EXPECT_EQ(grid.effectiveForeColor(5, 0), QColor(Qt::black));
    EXPECT_FALSE(grid.cellUnderline(5, 0)); // the merged cell takes the look of its first cell

    // Painted: the total row's text lies at the right end of the row (column 0 is right-aligned),
    // and no line splits the merged cell.
    grid.resize(841, QuoteGridHeight(4));
    const QImage image = grid.grab().toImage();
    const QRect totalRow(0, 100, 825, 20);
    int inkLeft = -1;
    for (int x = totalRow.left(); x < totalRow.right() && inkLeft < 0; ++x)
        for (int y = totalRow.top(); y < totalRow.bottom() - 1; ++y)
            if (image.pixelColor(x, y).lightness() < 120) {
                inkLeft = x;
                break;
            }
    EXPECT_GT(inkLeft, 500);
    EXPECT_NE(image.pixelColor(44, 105), grid.gridColor());
}

TEST(GridRefill, SkipsEntriesTheGridHasNoRowFor) {
    QuoteGrid grid;
    QuoteBook book = SampleBook();
    SetUpQuoteGrid(grid, 2, kColors);
    RefillQuoteGrid(grid, book, kColors);
    EXPECT_EQ(grid.text(2, 0), "000002");
    EXPECT_EQ(grid.text(3, 0), QString::fromUtf8("总盈亏:25.00  1.25%  2024-05-06 15:00:00"));

    QuoteGrid empty; // never set up
    RefillQuoteGrid(empty, book, kColors);
    EXPECT_EQ(empty.rows(), 0);
}

TEST(GridRefill, PaintsOncePerRefill) {
    class PaintCounter : public QObject {
    public:
        int paints = 0;
        bool eventFilter(QObject*, QEvent* event) override {
            paints += event->type() == QEvent::Paint;
            return false;
        }
    } counter;
    QuoteGrid grid;
    QuoteBook book = SampleBook();
    SetUpQuoteGrid(grid, 4, kColors);
    grid.resize(841, QuoteGridHeight(4));
    grid.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
    QApplication::processEvents();
    grid.installEventFilter(&counter);
    RefillQuoteGrid(grid, book, kColors);
    QApplication::processEvents();
    EXPECT_EQ(counter.paints, 1);
    EXPECT_TRUE(grid.redraw());
}
