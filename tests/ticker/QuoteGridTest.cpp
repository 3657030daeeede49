// The grid widget: cell geometry and mouse mapping, painting (backgrounds, text colours,
// underline, alignment, merged rows, selection) and batched redraw.
#include "ticker/QuoteGrid.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace marlune;

namespace {

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    int paints = 0;
    QRegion region; // of the last paint

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++paints;
            region = static_cast<QPaintEvent*>(event)->region();
        }
        return false;
    }
};

void SendMouse(QWidget& w, QEvent::Type type, QPoint pos, Qt::MouseButton button = Qt::NoButton) {
    const Qt::MouseButtons buttons =
        type == QEvent::MouseButtonPress ? Qt::MouseButtons(button) : Qt::NoButton;
    QMouseEvent event(type, QPointF(pos), QPointF(w.mapToGlobal(pos)), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(&w, &event);
}

// Horizontal extent of the pixels in a rectangle that differ clearly from the background.
std::pair<int, int> InkExtent(const QImage& image, const QRect& rect, QColor background) {
    int left = -1;
    int right = -1;
    for (int x = rect.left(); x <= rect.right(); ++x) {
        for (int y = rect.top(); y <= rect.bottom(); ++y) {
            const QColor c = image.pixelColor(x, y);
            const int diff = std::abs(c.red() - background.red()) + std::abs(c.green() - background.green()) +
                             std::abs(c.blue() - background.blue());
            if (diff > 120) {
                if (left < 0)
                    left = x;
                right = x;
                break;
            }
        }
    }
    return {left, right};
}

// The longest horizontal run of exactly this colour inside a rectangle.
int LongestRun(const QImage& image, const QRect& rect, QColor color) {
    int best = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        int run = 0;
        for (int x = rect.left(); x <= rect.right(); ++x) {
            run = image.pixelColor(x, y) == color ? run + 1 : 0;
            best = std::max(best, run);
        }
    }
    return best;
}

// Whether some pixel of the rectangle is close to the colour (anti-aliased text).
bool HasColor(const QImage& image, const QRect& rect, QColor color) {
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (std::abs(c.red() - color.red()) + std::abs(c.green() - color.green()) +
                    std::abs(c.blue() - color.blue()) <
                60)
                return true;
        }
    return false;
}

struct SmallGrid {
    QuoteGrid grid;
    SmallGrid() {
        grid.setShape(4, 3, 1);
        grid.setColWidth(0, 40);
        grid.setColWidth(1, 60);
        grid.setColWidth(2, 50);
        for (int r = 0; r < 4; ++r)
            grid.setRowHeight(r, 20);
        grid.resize(170, 90); // 20 pixels of empty area right, 10 below
        grid.setBackColor(Qt::white);
        grid.setBackColorFixed(QColor(200, 200, 255));
        grid.setBackColorBkg(QColor(0, 128, 0));
        grid.setGridColor(QColor(10, 10, 10));
    }
};

} // namespace

TEST(QuoteGrid, MapsPointsToCellsAndKeepsCellsWhenReshaped) {
    SmallGrid s;
    QuoteGrid& g = s.grid;
    EXPECT_EQ(g.contentWidth(), 150);
    EXPECT_EQ(g.contentHeight(), 80);
    EXPECT_EQ(g.colAt(0), 0);
    EXPECT_EQ(g.colAt(39), 0);
    EXPECT_EQ(g.colAt(40), 1);
    EXPECT_EQ(g.colAt(149), 2);
    EXPECT_EQ(g.colAt(150), -1); // empty area
    EXPECT_EQ(g.colAt(-1), -1);
    EXPECT_EQ(g.rowAt(19), 0);
    EXPECT_EQ(g.rowAt(20), 1);
    EXPECT_EQ(g.rowAt(80), -1);
    EXPECT_EQ(g.cellRect(2, 1), QRect(40, 40, 60, 20));
    EXPECT_EQ(g.cellRect(4, 0), QRect());

    g.setText(1, 1, "kept");
    g.setText(3, 2, "dropped");
    g.setText(9, 9, "ignored");
    EXPECT_EQ(g.text(9, 9), QString());
    g.setShape(3, 2, 1);
    EXPECT_EQ(g.text(1, 1), "kept");
    g.setShape(4, 3, 1);
    EXPECT_EQ(g.text(3, 2), QString()); // came back empty
    EXPECT_EQ(g.colWidth(2), QuoteGrid::kDefaultColWidth);
}

TEST(QuoteGrid, ReportsMouseCellsButtonsAndLeave) {
    SmallGrid s;
    QuoteGrid& g = s.grid;
    QSignalSpy moved(&g, &QuoteGrid::mouseMoved);
    QSignalSpy clicked(&g, &QuoteGrid::clicked);
    QSignalSpy released(&g, &QuoteGrid::mouseReleased);
    QSignalSpy left(&g, &QuoteGrid::mouseLeft);

    SendMouse(g, QEvent::MouseMove, {45, 65});
    ASSERT_EQ(moved.size(), 1);
    EXPECT_EQ(moved[0][0].toInt(), 3);
    EXPECT_EQ(moved[0][1].toInt(), 1);
    EXPECT_EQ(g.mouseRow(), 3);
    EXPECT_EQ(g.mouseCol(), 1);

    SendMouse(g, QEvent::MouseMove, {160, 65}); // right of the last column
    EXPECT_EQ(moved.last()[0].toInt(), -1);
    EXPECT_EQ(moved.last()[1].toInt(), -1);

    SendMouse(g, QEvent::MouseButtonPress, {110, 25}, Qt::RightButton);
    SendMouse(g, QEvent::MouseButtonRelease, {110, 25}, Qt::RightButton);
    ASSERT_EQ(released.size(), 1);
    EXPECT_EQ(released[0][0].toInt(), 1);
    EXPECT_EQ(released[0][1].toInt(), 2);
    EXPECT_EQ(released[0][2].value<Qt::MouseButton>(), Qt::RightButton);
    EXPECT_EQ(clicked.size(), 0); // only the left button clicks

    SendMouse(g, QEvent::MouseButtonPress, {10, 45}, Qt::LeftButton);
    SendMouse(g, QEvent::MouseButtonRelease, {10, 45}, Qt::LeftButton);
    ASSERT_EQ(clicked.size(), 1);
    EXPECT_EQ(clicked[0][0].toInt(), 2);
    EXPECT_EQ(clicked[0][1].toInt(), 0);
    EXPECT_EQ(g.currentRow(), 2);
    EXPECT_EQ(g.currentCol(), 0);
    // The second press of a double click clicks no second time.
    SendMouse(g, QEvent::MouseButtonDblClick, {10, 45}, Qt::LeftButton);
    SendMouse(g, QEvent::MouseButtonRelease, {10, 45}, Qt::LeftButton);
    EXPECT_EQ(clicked.size(), 1);
    EXPECT_EQ(released.size(), 3);

    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&g, &leave);
    EXPECT_EQ(left.size(), 1);
    EXPECT_EQ(g.mouseRow(), -1);
}

TEST(QuoteGrid, PaintsBackgroundsLinesColoursAndUnderline) {
    SmallGrid s;
    QuoteGrid& g = s.grid;
    const QColor red(255, 0, 0);
    g.setText(1, 1, "||||||");
    g.setCellForeColor(1, 1, red);
    g.setText(2, 1, "||||||");
    g.setCellForeColor(2, 1, red);
    g.setCellUnderline(2, 1, true);
    g.setText(1, 2, "MMMM");
    g.setCellForeColor(1, 2, red);
    g.setText(3, 2, "MMMM");
    const QImage image = g.grab().toImage();

    EXPECT_EQ(image.pixelColor(5, 5), QColor(200, 200, 255)); // fixed row
    EXPECT_EQ(image.pixelColor(5, 25), QColor(Qt::white));    // cell
    EXPECT_EQ(image.pixelColor(160, 25), QColor(0, 128, 0));  // right of the columns
    EXPECT_EQ(image.pixelColor(20, 85), QColor(0, 128, 0));   // below the rows
    EXPECT_EQ(image.pixelColor(39, 25), QColor(10, 10, 10));  // line at the right of column 0
    EXPECT_EQ(image.pixelColor(20, 39), QColor(10, 10, 10));  // line below row 1

    EXPECT_TRUE(HasColor(image, g.cellRect(1, 2), red));
    EXPECT_FALSE(HasColor(image, g.cellRect(1, 0), red));
    EXPECT_FALSE(HasColor(image, g.cellRect(3, 2), red));
    // Bars have no horizontal strokes; only the underline makes a long run of the text colour.
    EXPECT_LT(LongestRun(image, g.cellRect(1, 1), red), 5);
    EXPECT_GT(LongestRun(image, g.cellRect(2, 1), red), 12);
    // Cells without their own colour use the grid's fore colour.
    EXPECT_TRUE(HasColor(image, g.cellRect(3, 2), Qt::black));
    EXPECT_EQ(g.effectiveForeColor(3, 2), QColor(Qt::black));
}

TEST(QuoteGrid, AlignsTextsAsTheColumnSays) {
    QuoteGrid g;
    g.setShape(5, 1, 0);
    g.setColWidth(0, 100);
    g.resize(100, 100);
    g.setGridLines(false);
    g.setText(0, 0, "|");
    g.setText(1, 0, "|");
    g.setText(2, 0, "|");
    g.setText(3, 0, "12.5%"); // General: a number goes right
    g.setText(4, 0, "abc");   // General: other text goes left
    g.setColAlignment(0, GridAlignment::Left);
    const auto leftExtent = InkExtent(g.grab().toImage(), g.cellRect(0, 0), Qt::white);
    g.setColAlignment(0, GridAlignment::Right);
    const auto rightExtent = InkExtent(g.grab().toImage(), g.cellRect(1, 0), Qt::white);
    g.setColAlignment(0, GridAlignment::Center);
    const auto centreExtent = InkExtent(g.grab().toImage(), g.cellRect(2, 0), Qt::white);
    EXPECT_LE(leftExtent.first, 6);
    EXPECT_GE(rightExtent.second, 93);
    EXPECT_NEAR((centreExtent.first + centreExtent.second) / 2.0, 50, 3);

    g.setColAlignment(0, GridAlignment::General);
    const QImage general = g.grab().toImage();
    const auto number = InkExtent(general, g.cellRect(3, 0), Qt::white);
    const auto word = InkExtent(general, g.cellRect(4, 0), Qt::white);
    EXPECT_GE(number.second, 93);
    EXPECT_LE(word.first, 6);
}

// A grid of one column for texts that may be too wide for it, without lines, white.
struct NarrowColumn {
    QuoteGrid grid;
    NarrowColumn(int rows, int width, int fontPixels, GridAlignment alignment) {
        grid.setShape(rows, 2, 0);
        grid.setColWidth(0, width);
        grid.setColWidth(1, 30);
        grid.resize(width + 30, rows * QuoteGrid::kDefaultRowHeight);
        grid.setGridLines(false);
        QFont font = grid.font();
        font.setPixelSize(fontPixels);
        grid.setFont(font);
        grid.setColAlignment(0, alignment);
    }
    QImage cell(int row, const QImage& image) const { return image.copy(grid.cellRect(row, 0)); }
};

bool InkAt(const QImage& image, int x) {
    for (int y = 0; y < image.height(); ++y) {
        const QColor c = image.pixelColor(x, y);
        if (765 - c.red() - c.green() - c.blue() > 60)
            return true;
    }
    return false;
}

TEST(QuoteGrid, ANumberTooWideIsNarrowedNotCut) {
    NarrowColumn n(1, 60, 12, GridAlignment::Right);
    QString wide = "1";
    while (n.grid.fontMetrics().horizontalAdvance(wide) < 62)
        wide += "1";
    ASSERT_LT(n.grid.fontMetrics().horizontalAdvance(wide), 56 * 1.0 / 0.7);
    n.grid.setText(0, 0, wide);
    EXPECT_EQ(n.grid.columnFontPixels(0), 12); // narrowed, the font keeps its size
    const QImage image = n.grid.grab().toImage();
    // Every digit is still there, and nothing spills into the next column.
    int digits = 0;
    bool inDigit = false;
    for (int x = 0; x < image.width(); ++x) {
        const bool ink = InkAt(image, x);
        digits += ink && !inDigit;
        inDigit = ink;
        if (x >= 60) {
            EXPECT_FALSE(ink) << x;
        }
    }
    EXPECT_EQ(digits, wide.size());
}

TEST(QuoteGrid, LongNamesShrinkTheirColumnALittleAndEndInAnEllipsis) {
    // Names in a 60-pixel column at 12 pixels: one fits, one fits at 11 pixels, one never.
    const QString shortName = QStringLiteral("浦发银行");
    const QString longer = QStringLiteral("中国石油化");                  // 5 × 12 > 56, 5 × 11 ≤ 56
    const QString longest = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ"); // wide at any size
    NarrowColumn n(3, 60, 12, GridAlignment::Center);
    const auto widthAt = [&](const QString& text, int pixels) {
        QFont font = n.grid.font();
        font.setPixelSize(pixels);
        return QFontMetrics(font).horizontalAdvance(text);
    };
    ASSERT_LE(widthAt(shortName, 12), 56);
    ASSERT_GT(widthAt(longer, 12), 56);
    ASSERT_LE(widthAt(longer, 11), 56);
    n.grid.setText(0, 0, shortName);
    EXPECT_EQ(n.grid.columnFontPixels(0), 12);
    n.grid.setText(1, 0, longer);
    EXPECT_EQ(n.grid.columnFontPixels(0), 11);
    n.grid.setText(2, 0, longest);
    EXPECT_EQ(n.grid.columnFontPixels(0), 12 - QuoteGrid::kMaxFontShrink); // never smaller
    const QImage image = n.grid.grab().toImage();

    // One size for the whole column: the short name looks as it does in a grid whose font
    // is the column's size.
    NarrowColumn reference(3, 60, 10, GridAlignment::Center);
    reference.grid.setText(0, 0, shortName);
    const QImage referenceImage = reference.grid.grab().toImage();
    EXPECT_EQ(n.cell(0, image), reference.cell(0, referenceImage));

    // The long name starts with its first letters drawn as they are (no narrowing, no cut
    // at the start) and ends in an ellipsis within its cell.
    NarrowColumn start(3, 60, 10, GridAlignment::Left);
    start.grid.setText(2, 0, QStringLiteral("ABC"));
    const QImage startImage = start.cell(2, start.grid.grab().toImage());
    const QImage longestCell = n.cell(2, image);
    const int abcWidth = QFontMetrics(start.grid.font()).horizontalAdvance(QStringLiteral("ABC"));
    const auto firstInk = [](const QImage& cell) {
        int x = 0;
        while (x < cell.width() && !InkAt(cell, x))
            ++x;
        return x;
    };
    const int from = firstInk(longestCell);
    EXPECT_LE(from, 6); // the text takes the cell's width from its left margin
    EXPECT_EQ(longestCell.copy(from, 0, abcWidth - 2, longestCell.height()),
              startImage.copy(firstInk(startImage), 0, abcWidth - 2, startImage.height()));
    for (int x = 60; x < image.width(); ++x)
        EXPECT_FALSE(InkAt(image, x)) << "spills at " << x;
    int lastInk = longestCell.width() - 1;
    while (lastInk > 0 && !InkAt(longestCell, lastInk))
        --lastInk;
    EXPECT_GE(lastInk, 50); // the ellipsis near the cell's end
    // The name shortened again, the column returns to the grid's size.
    n.grid.setText(2, 0, QStringLiteral("ABC"));
    n.grid.setText(1, 0, shortName);
    EXPECT_EQ(n.grid.columnFontPixels(0), 12);
}

TEST(QuoteGrid, PaintsACellsOwnBackground) {
    SmallGrid s;
    QuoteGrid& g = s.grid;
    const QColor amber(255, 213, 79);
    g.setCellBackColor(2, 0, amber);
    QImage image = g.grab().toImage();
    EXPECT_GT(LongestRun(image, g.cellRect(2, 0), amber), 30);
    EXPECT_EQ(LongestRun(image, g.cellRect(2, 1), amber), 0);
    EXPECT_EQ(LongestRun(image, g.cellRect(1, 0), amber), 0);
    g.setCellBackColor(2, 0, QColor());
    image = g.grab().toImage();
    EXPECT_EQ(LongestRun(image, g.cellRect(2, 0), amber), 0);
}

TEST(QuoteGrid, MergesEqualNeighboursOfAMergedRow) {
    SmallGrid s;
    QuoteGrid& g = s.grid;
    for (int c = 0; c < 3; ++c) {
        g.setText(3, c, "total");
        g.setText(2, c, "same");
    }
    g.setText(3, 2, "other");
    g.setMergeRow(3, true);
    EXPECT_EQ(g.mergedSpan(3, 1), std::make_pair(0, 1));
    EXPECT_EQ(g.mergedSpan(3, 2), std::make_pair(2, 2));
    EXPECT_EQ(g.mergedSpan(2, 1), std::make_pair(1, 1)); // row 2 is not merged

    const QImage image = g.grab().toImage();
    // No line between the merged cells; the line stays in the row that is not merged.
    EXPECT_NE(image.pixelColor(39, 62), QColor(10, 10, 10));
    EXPECT_EQ(image.pixelColor(39, 42), QColor(10, 10, 10));
    EXPECT_EQ(image.pixelColor(99, 62), QColor(10, 10, 10)); // end of the merged span
}

TEST(QuoteGrid, HighlightsTheSelectedRangeButNotTheCurrentCell) {
    SmallGrid s;
    QuoteGrid& g = s.grid;
    g.setBackColorSel(QColor(0, 18, 255));
    g.setSelection(1, 0, 2, 1);
    EXPECT_FALSE(g.isHighlighted(1, 0));
    EXPECT_TRUE(g.isHighlighted(2, 1));
    EXPECT_FALSE(g.isHighlighted(3, 1));
    QImage image = g.grab().toImage();
    EXPECT_EQ(image.pixelColor(5, 25), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(45, 45), QColor(0, 18, 255));

    // Dragging with the left button drags the window: no block of cells is selected and no
    // click follows.
    QSignalSpy started(&g, &QuoteGrid::windowDragStarted);
    QSignalSpy moved(&g, &QuoteGrid::windowDragMoved);
    QSignalSpy ended(&g, &QuoteGrid::windowDragEnded);
    QSignalSpy clicks(&g, &QuoteGrid::clicked);
    SendMouse(g, QEvent::MouseButtonPress, {5, 25}, Qt::LeftButton);
    QMouseEvent drag(QEvent::MouseMove, QPointF(120, 65), QPointF(g.mapToGlobal(QPoint(120, 65))),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&g, &drag);
    SendMouse(g, QEvent::MouseButtonRelease, {120, 65}, Qt::LeftButton);
    ASSERT_EQ(started.size(), 1);
    EXPECT_EQ(started[0][0].toPoint(), g.mapToGlobal(QPoint(5, 25)));
    ASSERT_EQ(moved.size(), 1);
    EXPECT_EQ(moved[0][0].toPoint(), g.mapToGlobal(QPoint(120, 65)));
    EXPECT_EQ(ended.size(), 1);
    EXPECT_EQ(clicks.size(), 0);
    EXPECT_FALSE(g.isHighlighted(3, 2));
    EXPECT_FALSE(g.isHighlighted(2, 0));
    image = g.grab().toImage();
    EXPECT_NE(image.pixelColor(125, 65), QColor(0, 18, 255));
    // A press and release without a move is a click.
    SendMouse(g, QEvent::MouseButtonPress, {45, 45}, Qt::LeftButton);
    SendMouse(g, QEvent::MouseButtonRelease, {45, 45}, Qt::LeftButton);
    EXPECT_EQ(clicks.size(), 1);
    EXPECT_EQ(started.size(), 1);
}

TEST(QuoteGrid, PaintsOnceWhenRedrawComesBackOn) {
    SmallGrid s;
    QuoteGrid& g = s.grid;
    PaintCounter counter;
    g.installEventFilter(&counter);
    g.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&g));
    QApplication::processEvents();
    counter.paints = 0;

    g.setRedraw(false);
    for (int r = 1; r < 4; ++r) {
        g.setText(r, 0, QString::number(r));
        QApplication::processEvents(); // even with events in between nothing paints
        g.setCellForeColor(r, 1, Qt::red);
        QApplication::processEvents();
    }
    EXPECT_EQ(counter.paints, 0);
    g.setRedraw(true);
    QApplication::processEvents();
    EXPECT_EQ(counter.paints, 1);
    // Only the changed cells are painted.
    EXPECT_EQ(counter.region.boundingRect(), QRect(0, 20, 100, 60));
    EXPECT_FALSE(counter.region.intersects(g.cellRect(1, 2)));

    // One changed cell repaints that cell; one in a merged row repaints the row.
    g.setText(2, 2, "changed");
    QApplication::processEvents();
    EXPECT_EQ(counter.region, QRegion(g.cellRect(2, 2)));
    g.setMergeRow(3, true);
    QApplication::processEvents();
    g.setText(3, 0, "merged");
    QApplication::processEvents();
    EXPECT_EQ(counter.region, QRegion(QRect(0, 60, 170, 20)));

    // Switching redraw on without a change paints nothing.
    counter.paints = 0;
    g.setRedraw(false);
    g.setRedraw(true);
    QApplication::processEvents();
    EXPECT_EQ(counter.paints, 0);
}
