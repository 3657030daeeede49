#pragma once
// A small custom-painted table: the part of a spreadsheet-style grid that the quote window
// and the detail popup need. Cells hold a text, an optional text colour and an underline flag;
// columns have a width and an alignment, rows a height; the first rows can be fixed (header
// rows with their own background). Rows can be marked for merging, so that neighbouring cells
// with the same text show as one cell. Everything is measured in pixels.
//
// A text wider than its cell: all texts of a column share one font size, the grid's or up to
// kMaxFontShrink pixels smaller, the largest at which the column's texts fit. A number still
// too wide is narrowed a little; a word still too wide ends in "…". Neither is ever cut at
// its start.

#include <QColor>
#include <QHash>
#include <QRegion>
#include <QString>
#include <QWidget>

#include <vector>

namespace marlune {

// Horizontal placement of a cell's text; the text is always centred vertically.
// General puts numbers (digits with an optional sign, decimal point and percent sign) to the
// right and every other text to the left.
enum class GridAlignment { General, Left, Center, Right };

class QuoteGrid final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kDefaultColWidth = 64;
    static constexpr int kDefaultRowHeight = 20;
    // How many pixels smaller than the grid's font a column's texts may be drawn.
    static constexpr int kMaxFontShrink = 2;

    explicit QuoteGrid(QWidget* parent = nullptr);

    // Shape. Cells that remain keep their contents; new cells start empty with the default look.
    void setShape(int rows, int cols, int fixedRows);
    void setFixedRows(int fixedRows);
    int rows() const { return m_rows; }
    int cols() const { return m_cols; }
    int fixedRows() const { return m_fixedRows; }

    void setColWidth(int col, int pixels);
    int colWidth(int col) const;
    void setRowHeight(int row, int pixels);
    int rowHeight(int row) const;
    void setColAlignment(int col, GridAlignment alignment);
    GridAlignment colAlignment(int col) const;

    // Cell contents. Out-of-range cells are ignored when set and read as empty.
    void setText(int row, int col, const QString& text);
    QString text(int row, int col) const;
    // An invalid colour means "the grid's fore colour".
    void setCellForeColor(int row, int col, const QColor& color);
    QColor cellForeColor(int row, int col) const;
    // The colour the cell's text is actually drawn in (its own colour or the grid's).
    QColor effectiveForeColor(int row, int col) const;
    void setCellUnderline(int row, int col, bool underline);
    bool cellUnderline(int row, int col) const;
    // An invalid colour means "the row's background".
    void setCellBackColor(int row, int col, const QColor& color);
    QColor cellBackColor(int row, int col) const;

    // The pixel size the texts of a column are drawn in (merged spans keep the grid's font).
    int columnFontPixels(int col) const;

    // Colours of the whole grid.
    QColor foreColor() const { return m_foreColor; }
    void setBackColor(const QColor& color); // cells below the fixed rows
    QColor backColor() const { return m_backColor; }
    void setBackColorFixed(const QColor& color); // fixed rows
    QColor backColorFixed() const { return m_backColorFixed; }
    void setBackColorBkg(const QColor& color); // the area right of the last column and below the last row
    QColor backColorBkg() const { return m_backColorBkg; }
    void setBackColorSel(const QColor& color); // highlighted cells of a selected range
    QColor backColorSel() const { return m_backColorSel; }
    void setGridColor(const QColor& color);
    QColor gridColor() const { return m_gridColor; }
    void setGridLines(bool on);

    // Neighbouring cells of a merged row with equal texts are drawn as one cell, with the look
    // (colour, underline, alignment) of the first of them.
    void setMergeRow(int row, bool merge);
    bool mergeRow(int row) const;
    // The first and last column of the merged span that holds (row, col).
    std::pair<int, int> mergedSpan(int row, int col) const;

    // Selection: the current cell and the far corner of the selected range. Cells of the range
    // other than the current cell are drawn highlighted. A click makes the clicked cell current,
    // a drag with the left button extends the range.
    void setSelection(int row, int col, int rowSel, int colSel);
    int currentRow() const { return m_curRow; }
    int currentCol() const { return m_curCol; }
    bool isHighlighted(int row, int col) const;

    // The tip shown while the mouse rests on a row; empty: none.
    void setRowToolTip(int row, const QString& tip);
    QString rowToolTip(int row) const { return m_rowTips.value(row); }

    // While redraw is off, changes do not repaint; switching it back on repaints once, only
    // the cells that changed when nothing else did.
    void setRedraw(bool on);
    bool redraw() const { return m_redraw; }

    // The row and column under a point in widget coordinates; -1 outside the cells.
    int rowAt(int y) const;
    int colAt(int x) const;
    QRect cellRect(int row, int col) const;
    // The cell under the mouse at the last mouse event; -1 when outside the cells.
    int mouseRow() const { return m_mouseRow; }
    int mouseCol() const { return m_mouseCol; }

    // Width and height of all columns and rows together.
    int contentWidth() const;
    int contentHeight() const;

    QSize sizeHint() const override;

signals:
    void mouseMoved(int row, int col);
    // Sent after mouseReleased when the left button is released over the grid; the second
    // press of a double click gives no second click.
    void clicked(int row, int col);
    void mouseReleased(int row, int col, Qt::MouseButton button);
    void mouseLeft();
    // The left button held down and moved by more than the drag distance: the grid's window
    // is being dragged. No click follows and the selection stays on the pressed cell.
    // globalPress is where the button went down; then every move, then the release.
    void windowDragStarted(const QPoint& globalPress);
    void windowDragMoved(const QPoint& globalPos);
    void windowDragEnded();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;

private:
    struct Cell {
        QString text;
        QColor foreColor; // invalid: the grid's fore colour
        bool underline = false;
        QColor backColor; // invalid: the row's background
        // The text's width in the grid's font, measured when first needed; -1 until then.
        mutable int textWidth = -1;
    };

    bool contains(int row, int col) const;
    const Cell* cellAt(int row, int col) const;
    Cell* cellAt(int row, int col);
    void reshapeCells(int rows, int cols);
    void updateMousePosition(const QPointF& position);
    void changed();                     // repaint everything
    void changedCell(int row, int col); // repaint one cell (a merged row: the row)
    void changedColumn(int col);
    // The width inside a span's margins and lines that its text may take.
    int textRoom(int spanWidth) const;
    int baseTextWidth(const Cell& cell) const;
    // Forgets the column font sizes; with a column, only that one's.
    void forgetColumnFonts();
    struct TextPainter; // the painter with the cells' fonts and the state last set on it
    void paintText(TextPainter& out, int row, int firstCol, int lastCol, const QRect& rect);

    int m_rows = 0;
    int m_cols = 0;
    int m_fixedRows = 0;
    std::vector<Cell> m_cells; // row by row
    std::vector<int> m_colWidths;
    std::vector<GridAlignment> m_colAlignments;
    std::vector<int> m_rowHeights;
    std::vector<bool> m_mergeRows;
    // Per column: the pixel size of its texts, 0 until measured.
    mutable std::vector<int> m_colFontPixels;
    QHash<int, QString> m_rowTips;

    QColor m_foreColor{Qt::black};
    QColor m_backColor{Qt::white};
    QColor m_backColorFixed{QColor(0xf0, 0xf0, 0xf0)};
    QColor m_backColorBkg{QColor(0x80, 0x80, 0x80)};
    QColor m_backColorSel{QColor(0x00, 0x12, 0xff)};
    QColor m_foreColorSel{Qt::white};
    QColor m_gridColor{QColor(0xc0, 0xc0, 0xc0)};
    bool m_gridLines = true;

    int m_curRow = 0;
    int m_curCol = 0;
    int m_selRow = 0;
    int m_selCol = 0;
    bool m_selecting = false;
    bool m_clickArmed = false; // a left press that a release turns into a click
    bool m_draggingWindow = false;
    QPoint m_pressGlobal;

    bool m_redraw = true;
    bool m_dirtyAll = false; // what changed while redraw was off
    QRegion m_dirtyRegion;

    int m_mouseRow = -1;
    int m_mouseCol = -1;
};

} // namespace marlune
