#include "ticker/QuoteGrid.h"

#include <QApplication>
#include <QFontInfo>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QToolTip>

#include <algorithm>

namespace marlune {

namespace {

// Space between a cell's border and its text.
constexpr int kTextMargin = 2;
// A number wider than its cell is narrowed, down to this share of its width: the columns are
// narrow and a slightly condensed number reads better than a smaller one or a cut one. A
// column's font shrinks for a number only when it is too wide even at kFitSqueeze.
constexpr double kFitSqueeze = 0.7;
constexpr double kMinSqueeze = 0.6;

bool LooksNumeric(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty())
        return false;
    int i = 0;
    if (t[i] == u'+' || t[i] == u'-')
        ++i;
    bool digits = false;
    bool point = false;
    for (; i < t.size(); ++i) {
        const QChar c = t[i];
        if (c.isDigit() && c.unicode() < 0x80) {
            digits = true;
        } else if (c == u'.' && !point) {
            point = true;
        } else if (c == u'%' && i == t.size() - 1) {
            break;
        } else {
            return false;
        }
    }
    return digits;
}

Qt::Alignment HorizontalAlignment(GridAlignment alignment, const QString& text) {
    switch (alignment) {
    case GridAlignment::Left:
        return Qt::AlignLeft;
    case GridAlignment::Center:
        return Qt::AlignHCenter;
    case GridAlignment::Right:
        return Qt::AlignRight;
    case GridAlignment::General:
        break;
    }
    return LooksNumeric(text) ? Qt::AlignRight : Qt::AlignLeft;
}

// Whether a text of this width fits into the room, a number narrowed as far as it may be
// without shrinking the font.
bool FitsInto(const QString& text, int width, int room) {
    return LooksNumeric(text) ? width * kFitSqueeze <= room : width <= room;
}

} // namespace

struct QuoteGrid::TextPainter {
    TextPainter(QPainter& p, const QFont& font)
        : painter(p), base(font), basePixels(QFontInfo(font).pixelSize()) {
        painter.setFont(base);
        current = base;
        metrics.reserve(kMaxFontShrink + 1);
        metrics.emplace_back(basePixels, QFontMetrics(base));
    }
    // Sets the font of this size and underline on the painter when it has another one.
    void use(int pixels, bool underline) {
        if (pixels == currentPixels && underline == currentUnderline)
            return;
        current = base;
        if (pixels != basePixels)
            current.setPixelSize(pixels);
        current.setUnderline(underline);
        painter.setFont(current);
        currentPixels = pixels;
        currentUnderline = underline;
    }
    // References stay valid until a size not met before is asked for.
    const QFontMetrics& metricsOf(int pixels) {
        for (const auto& [size, m] : metrics)
            if (size == pixels)
                return m;
        QFont font = base;
        font.setPixelSize(pixels);
        metrics.emplace_back(pixels, QFontMetrics(font));
        return metrics.back().second;
    }
    // The baseline of a line of text of this size centred in a height.
    int baseline(int pixels, int height) {
        const QFontMetrics& m = metricsOf(pixels);
        return (height - m.ascent() - m.descent()) / 2 + m.ascent();
    }
    QPainter& painter;
    QFont base;
    int basePixels;
    QFont current;
    int currentPixels = basePixels;
    bool currentUnderline = false;
    std::vector<std::pair<int, QFontMetrics>> metrics;
    QColor penColor;
};

QuoteGrid::QuoteGrid(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

// --- shape -------------------------------------------------------------------------------

void QuoteGrid::reshapeCells(int rows, int cols) {
    rows = std::max(rows, 0);
    cols = std::max(cols, 0);
    if (rows == m_rows && cols == m_cols)
        return;
    std::vector<Cell> cells(static_cast<std::size_t>(rows) * static_cast<std::size_t>(cols));
    for (int r = 0; r < std::min(rows, m_rows); ++r)
        for (int c = 0; c < std::min(cols, m_cols); ++c)
            cells[static_cast<std::size_t>(r) * cols + c] =
                std::move(m_cells[static_cast<std::size_t>(r) * m_cols + c]);
    m_cells = std::move(cells);
    m_rowTips.clear();
    m_rows = rows;
    m_cols = cols;
    m_colWidths.resize(static_cast<std::size_t>(cols), kDefaultColWidth);
    m_colAlignments.resize(static_cast<std::size_t>(cols), GridAlignment::General);
    m_rowHeights.resize(static_cast<std::size_t>(rows), kDefaultRowHeight);
    m_mergeRows.resize(static_cast<std::size_t>(rows), false);
    m_colFontPixels.assign(static_cast<std::size_t>(cols), 0);
    m_fixedRows = std::min(m_fixedRows, m_rows);
    // Keep the selection inside the grid.
    m_curRow = std::clamp(m_curRow, 0, std::max(m_rows - 1, 0));
    m_curCol = std::clamp(m_curCol, 0, std::max(m_cols - 1, 0));
    m_selRow = m_curRow;
    m_selCol = m_curCol;
    updateGeometry();
    changed();
}

void QuoteGrid::setShape(int rows, int cols, int fixedRows) {
    reshapeCells(rows, cols);
    setFixedRows(fixedRows);
}

void QuoteGrid::setFixedRows(int fixedRows) {
    fixedRows = std::clamp(fixedRows, 0, m_rows);
    if (fixedRows == m_fixedRows)
        return;
    m_fixedRows = fixedRows;
    changed();
}

void QuoteGrid::setColWidth(int col, int pixels) {
    if (col < 0 || col >= m_cols)
        return;
    m_colWidths[static_cast<std::size_t>(col)] = std::max(pixels, 0);
    m_colFontPixels[static_cast<std::size_t>(col)] = 0;
    updateGeometry();
    changed();
}

int QuoteGrid::colWidth(int col) const {
    return col >= 0 && col < m_cols ? m_colWidths[static_cast<std::size_t>(col)] : 0;
}

void QuoteGrid::setRowHeight(int row, int pixels) {
    if (row < 0 || row >= m_rows)
        return;
    m_rowHeights[static_cast<std::size_t>(row)] = std::max(pixels, 0);
    updateGeometry();
    changed();
}

int QuoteGrid::rowHeight(int row) const {
    return row >= 0 && row < m_rows ? m_rowHeights[static_cast<std::size_t>(row)] : 0;
}

void QuoteGrid::setColAlignment(int col, GridAlignment alignment) {
    if (col < 0 || col >= m_cols)
        return;
    m_colAlignments[static_cast<std::size_t>(col)] = alignment;
    changed();
}

GridAlignment QuoteGrid::colAlignment(int col) const {
    return col >= 0 && col < m_cols ? m_colAlignments[static_cast<std::size_t>(col)] : GridAlignment::General;
}

// --- cells -------------------------------------------------------------------------------

bool QuoteGrid::contains(int row, int col) const {
    return row >= 0 && row < m_rows && col >= 0 && col < m_cols;
}

const QuoteGrid::Cell* QuoteGrid::cellAt(int row, int col) const {
    return contains(row, col) ? &m_cells[static_cast<std::size_t>(row) * m_cols + col] : nullptr;
}

QuoteGrid::Cell* QuoteGrid::cellAt(int row, int col) {
    return contains(row, col) ? &m_cells[static_cast<std::size_t>(row) * m_cols + col] : nullptr;
}

void QuoteGrid::setText(int row, int col, const QString& text) {
    Cell* cell = cellAt(row, col);
    if (cell == nullptr || cell->text == text)
        return;
    cell->text = text;
    cell->textWidth = -1;
    if (mergeRow(row)) {
        changedCell(row, col);
        return;
    }
    // The new text may change the size of its column's texts, and then the whole column
    // is drawn anew.
    int& pixels = m_colFontPixels[static_cast<std::size_t>(col)];
    const int before = pixels;
    pixels = 0;
    if (before != 0 && columnFontPixels(col) != before)
        changedColumn(col);
    else
        changedCell(row, col);
}

QString QuoteGrid::text(int row, int col) const {
    const Cell* cell = cellAt(row, col);
    return cell != nullptr ? cell->text : QString();
}

void QuoteGrid::setCellForeColor(int row, int col, const QColor& color) {
    Cell* cell = cellAt(row, col);
    if (cell == nullptr || cell->foreColor == color)
        return;
    cell->foreColor = color;
    changedCell(row, col);
}

QColor QuoteGrid::cellForeColor(int row, int col) const {
    const Cell* cell = cellAt(row, col);
    return cell != nullptr ? cell->foreColor : QColor();
}

QColor QuoteGrid::effectiveForeColor(int row, int col) const {
    const QColor own = cellForeColor(row, col);
    return own.isValid() ? own : m_foreColor;
}

void QuoteGrid::setCellUnderline(int row, int col, bool underline) {
    Cell* cell = cellAt(row, col);
    if (cell == nullptr || cell->underline == underline)
        return;
    cell->underline = underline;
    changedCell(row, col);
}

bool QuoteGrid::cellUnderline(int row, int col) const {
    const Cell* cell = cellAt(row, col);
    return cell != nullptr && cell->underline;
}

void QuoteGrid::setCellBackColor(int row, int col, const QColor& color) {
    Cell* cell = cellAt(row, col);
    if (cell == nullptr || cell->backColor == color)
        return;
    cell->backColor = color;
    changedCell(row, col);
}

QColor QuoteGrid::cellBackColor(int row, int col) const {
    const Cell* cell = cellAt(row, col);
    return cell != nullptr ? cell->backColor : QColor();
}

// --- text sizes --------------------------------------------------------------------------

int QuoteGrid::textRoom(int spanWidth) const {
    return spanWidth - (m_gridLines ? 1 : 0) - 2 * kTextMargin;
}

int QuoteGrid::baseTextWidth(const Cell& cell) const {
    if (cell.textWidth < 0)
        cell.textWidth = fontMetrics().horizontalAdvance(cell.text);
    return cell.textWidth;
}

void QuoteGrid::forgetColumnFonts() {
    std::fill(m_colFontPixels.begin(), m_colFontPixels.end(), 0);
}

int QuoteGrid::columnFontPixels(int col) const {
    if (col >= 0 && col < m_cols && m_colFontPixels[static_cast<std::size_t>(col)] != 0)
        return m_colFontPixels[static_cast<std::size_t>(col)];
    const int base = QFontInfo(font()).pixelSize();
    if (col < 0 || col >= m_cols)
        return base;
    int& pixels = m_colFontPixels[static_cast<std::size_t>(col)];
    pixels = base;
    const int room = textRoom(m_colWidths[static_cast<std::size_t>(col)]);
    if (room <= 0)
        return pixels;
    // The texts too wide at the grid's font; the column shrinks until they fit, or as far
    // as it may.
    std::vector<const QString*> wide;
    for (int r = 0; r < m_rows; ++r) {
        const Cell& cell = *cellAt(r, col);
        if (!mergeRow(r) && !cell.text.isEmpty() && !FitsInto(cell.text, baseTextWidth(cell), room))
            wide.push_back(&cell.text);
    }
    QFont smaller = font();
    const int smallest = std::max(base - kMaxFontShrink, 1);
    while (!wide.empty() && pixels > smallest) {
        --pixels;
        smaller.setPixelSize(pixels);
        const QFontMetrics metrics(smaller);
        wide.erase(std::remove_if(wide.begin(), wide.end(),
                                  [&](const QString* text) {
                                      return FitsInto(*text, metrics.horizontalAdvance(*text), room);
                                  }),
                   wide.end());
    }
    return pixels;
}

// --- grid colours ------------------------------------------------------------------------

void QuoteGrid::setBackColor(const QColor& color) {
    m_backColor = color;
    changed();
}

void QuoteGrid::setBackColorFixed(const QColor& color) {
    m_backColorFixed = color;
    changed();
}

void QuoteGrid::setBackColorBkg(const QColor& color) {
    m_backColorBkg = color;
    changed();
}

void QuoteGrid::setBackColorSel(const QColor& color) {
    m_backColorSel = color;
    changed();
}

void QuoteGrid::setGridColor(const QColor& color) {
    m_gridColor = color;
    changed();
}

void QuoteGrid::setGridLines(bool on) {
    m_gridLines = on;
    forgetColumnFonts();
    changed();
}

// --- merging and selection ---------------------------------------------------------------

void QuoteGrid::setMergeRow(int row, bool merge) {
    if (row < 0 || row >= m_rows || m_mergeRows[static_cast<std::size_t>(row)] == merge)
        return;
    m_mergeRows[static_cast<std::size_t>(row)] = merge;
    forgetColumnFonts();
    changed();
}

bool QuoteGrid::mergeRow(int row) const {
    return row >= 0 && row < m_rows && m_mergeRows[static_cast<std::size_t>(row)];
}

std::pair<int, int> QuoteGrid::mergedSpan(int row, int col) const {
    if (!contains(row, col) || !mergeRow(row))
        return {col, col};
    const QString& text = cellAt(row, col)->text;
    int first = col;
    while (first > 0 && cellAt(row, first - 1)->text == text)
        --first;
    int last = col;
    while (last + 1 < m_cols && cellAt(row, last + 1)->text == text)
        ++last;
    return {first, last};
}

void QuoteGrid::setSelection(int row, int col, int rowSel, int colSel) {
    if (!contains(row, col))
        return;
    m_curRow = row;
    m_curCol = col;
    m_selRow = std::clamp(rowSel, 0, m_rows - 1);
    m_selCol = std::clamp(colSel, 0, m_cols - 1);
    changed();
}

bool QuoteGrid::isHighlighted(int row, int col) const {
    if (row == m_curRow && col == m_curCol)
        return false;
    return row >= std::min(m_curRow, m_selRow) && row <= std::max(m_curRow, m_selRow) &&
           col >= std::min(m_curCol, m_selCol) && col <= std::max(m_curCol, m_selCol);
}

// --- redraw ------------------------------------------------------------------------------

void QuoteGrid::setRedraw(bool on) {
    m_redraw = on;
    if (!on)
        return;
    if (m_dirtyAll)
        update();
    else if (!m_dirtyRegion.isEmpty())
        update(m_dirtyRegion);
    m_dirtyAll = false;
    m_dirtyRegion = QRegion();
}

void QuoteGrid::changed() {
    if (m_redraw)
        update();
    else
        m_dirtyAll = true;
}

void QuoteGrid::changedCell(int row, int col) {
    if (!m_redraw && m_dirtyAll)
        return;
    QRect rect = cellRect(row, col);
    if (mergeRow(row)) // spans can grow or shrink with the change
        rect = QRect(0, rect.top(), std::max(width(), contentWidth()), rect.height());
    if (m_redraw)
        update(rect);
    else
        m_dirtyRegion += rect;
}

void QuoteGrid::changedColumn(int col) {
    if (!m_redraw && m_dirtyAll)
        return;
    const QRect top = cellRect(0, col);
    // Merged rows span other columns: their whole width.
    QRegion region(top.x(), 0, top.width(), std::max(height(), contentHeight()));
    for (int r = 0; r < m_rows; ++r)
        if (mergeRow(r))
            region += QRect(0, cellRect(r, col).top(), std::max(width(), contentWidth()), rowHeight(r));
    if (m_redraw)
        update(region);
    else
        m_dirtyRegion += region;
}

// --- geometry ----------------------------------------------------------------------------

int QuoteGrid::rowAt(int y) const {
    if (y < 0)
        return -1;
    int top = 0;
    for (int r = 0; r < m_rows; ++r) {
        top += m_rowHeights[static_cast<std::size_t>(r)];
        if (y < top)
            return r;
    }
    return -1;
}

int QuoteGrid::colAt(int x) const {
    if (x < 0)
        return -1;
    int left = 0;
    for (int c = 0; c < m_cols; ++c) {
        left += m_colWidths[static_cast<std::size_t>(c)];
        if (x < left)
            return c;
    }
    return -1;
}

QRect QuoteGrid::cellRect(int row, int col) const {
    if (!contains(row, col))
        return {};
    int x = 0;
    for (int c = 0; c < col; ++c)
        x += m_colWidths[static_cast<std::size_t>(c)];
    int y = 0;
    for (int r = 0; r < row; ++r)
        y += m_rowHeights[static_cast<std::size_t>(r)];
    return {x, y, m_colWidths[static_cast<std::size_t>(col)], m_rowHeights[static_cast<std::size_t>(row)]};
}

int QuoteGrid::contentWidth() const {
    int width = 0;
    for (int w : m_colWidths)
        width += w;
    return width;
}

int QuoteGrid::contentHeight() const {
    int height = 0;
    for (int h : m_rowHeights)
        height += h;
    return height;
}

QSize QuoteGrid::sizeHint() const {
    return {contentWidth(), contentHeight()};
}

// --- painting ----------------------------------------------------------------------------

// One paint of the grid: the backgrounds row by row, then the cell lines, then the texts. A
// refresh repaints only the cells whose text or colour changed; the painter's font and pen
// change only when they have to.
void QuoteGrid::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    // Backgrounds replace what was there: a transparent background colour clears (the
    // window's see-through parts where it has an alpha channel). Lines and texts are
    // blended over them, so that soft text edges stay soft.
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    const QRegion& region = event->region();
    const QRect dirty = event->rect();
    // The empty area right of the columns and below the rows; the rows fill the rest.
    const int rowsWidth = std::min(contentWidth(), width());
    const int rowsHeight = std::min(contentHeight(), height());
    if (rowsWidth < width())
        painter.fillRect(QRect(rowsWidth, 0, width() - rowsWidth, rowsHeight), m_backColorBkg);
    if (rowsHeight < height())
        painter.fillRect(QRect(0, rowsHeight, width(), height() - rowsHeight), m_backColorBkg);

    struct Span {
        int row, first, last;
        QRect rect;
    };
    std::vector<Span> spans;
    spans.reserve(static_cast<std::size_t>(m_rows) * static_cast<std::size_t>(m_cols));
    // Cell lines as one-pixel rectangles: filled rectangles are much cheaper than stroked lines.
    std::vector<QRect> lines;
    lines.reserve(spans.capacity() + static_cast<std::size_t>(m_rows));

    int y = 0;
    for (int r = 0; r < m_rows && y < height(); ++r) {
        const int h = m_rowHeights[static_cast<std::size_t>(r)];
        if (h > 0 && y + h > dirty.top() && y <= dirty.bottom()) {
            const bool fixed = r < m_fixedRows;
            painter.fillRect(QRect(0, y, rowsWidth, h), fixed ? m_backColorFixed : m_backColor);
            if (m_gridLines)
                lines.emplace_back(0, y + h - 1, rowsWidth, 1);
            int x = 0;
            for (int c = 0; c < m_cols && x < width();) {
                const auto [first, last] = mergedSpan(r, c);
                int w = 0;
                for (int k = first; k <= last; ++k)
                    w += m_colWidths[static_cast<std::size_t>(k)];
                const QRect rect(x, y, w, h);
                if (w > 0 && region.intersects(rect)) {
                    const QColor& own = cellAt(r, first)->backColor;
                    if (!fixed && isHighlighted(r, first) && isHighlighted(r, last))
                        painter.fillRect(rect, m_backColorSel);
                    else if (own.isValid())
                        painter.fillRect(rect, own);
                    if (m_gridLines)
                        lines.emplace_back(rect.right(), rect.top(), 1, h);
                    spans.push_back({r, first, last, rect});
                }
                x += w;
                c = last + 1;
            }
        }
        y += h;
    }
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    for (const QRect& line : lines)
        painter.fillRect(line, m_gridColor);

    TextPainter text{painter, font()};
    for (const Span& span : spans)
        paintText(text, span.row, span.first, span.last, span.rect);
}

void QuoteGrid::paintText(TextPainter& out, int row, int firstCol, int lastCol, const QRect& rect) {
    Cell& cell = *cellAt(row, firstCol);
    if (cell.text.isEmpty())
        return;
    QRect textArea = rect;
    if (m_gridLines)
        textArea.adjust(0, 0, -1, -1);
    textArea.adjust(kTextMargin, 0, -kTextMargin, 0);
    if (textArea.width() <= 0 || textArea.height() <= 0)
        return;

    QPainter& painter = out.painter;
    const bool highlighted =
        row >= m_fixedRows && isHighlighted(row, firstCol) && isHighlighted(row, lastCol);
    const QColor& textColor =
        highlighted ? m_foreColorSel : (cell.foreColor.isValid() ? cell.foreColor : m_foreColor);
    const Qt::Alignment align =
        HorizontalAlignment(m_colAlignments[static_cast<std::size_t>(firstCol)], cell.text);
    // A merged span is no column's: it keeps the grid's font.
    const int pixels = firstCol == lastCol ? columnFontPixels(firstCol) : out.basePixels;
    const int textWidth =
        pixels == out.basePixels ? baseTextWidth(cell) : out.metricsOf(pixels).horizontalAdvance(cell.text);

    if (out.penColor != textColor) {
        painter.setPen(textColor);
        out.penColor = textColor;
    }
    out.use(pixels, cell.underline);
    const int baseline = textArea.top() + out.baseline(pixels, textArea.height());
    const auto drawAligned = [&](const QString& text, int width) {
        int left = textArea.left();
        if (align & Qt::AlignRight)
            left = textArea.right() + 1 - width;
        else if (align & Qt::AlignHCenter)
            left = textArea.left() + (textArea.width() - width) / 2;
        painter.drawText(QPoint(left, baseline), text);
    };
    if (textWidth <= textArea.width()) {
        // The common case: the text fits.
        drawAligned(cell.text, textWidth);
        return;
    }
    if (!LooksNumeric(cell.text)) {
        // A word ends in "…" where the cell ends; its start always shows.
        const QString elided = out.metricsOf(pixels).elidedText(cell.text, Qt::ElideRight, textArea.width());
        drawAligned(elided, out.metricsOf(pixels).horizontalAdvance(elided));
        return;
    }
    // A number is narrowed to fit; one too wide even then shows from its first digit and is
    // cut at the cell's edge.
    const double squeeze = std::max(kMinSqueeze, static_cast<double>(textArea.width()) / textWidth);
    const double squeezedWidth = textWidth * squeeze;
    double left = textArea.left();
    if (squeezedWidth <= textArea.width()) {
        if (align & Qt::AlignRight)
            left = textArea.right() + 1 - squeezedWidth;
        else if (align & Qt::AlignHCenter)
            left = textArea.left() + (textArea.width() - squeezedWidth) / 2.0;
    }
    painter.save();
    painter.setClipRect(textArea);
    painter.translate(left, 0);
    painter.scale(squeeze, 1.0);
    painter.drawText(QPointF(0, baseline), cell.text);
    painter.restore(); // font and pen as before
}

void QuoteGrid::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) {
        for (Cell& cell : m_cells)
            cell.textWidth = -1;
        forgetColumnFonts();
        changed();
    }
    QWidget::changeEvent(event);
}

// --- mouse -------------------------------------------------------------------------------

void QuoteGrid::updateMousePosition(const QPointF& position) {
    const QPoint p = position.toPoint();
    m_mouseRow = rowAt(p.y());
    m_mouseCol = colAt(p.x());
    if (m_mouseRow < 0 || m_mouseCol < 0) {
        m_mouseRow = -1;
        m_mouseCol = -1;
    }
}

void QuoteGrid::mouseMoveEvent(QMouseEvent* event) {
    updateMousePosition(event->position());
    const QPoint global = event->globalPosition().toPoint();
    if (m_draggingWindow) {
        emit windowDragMoved(global);
        return;
    }
    if (m_clickArmed && (event->buttons() & Qt::LeftButton) &&
        (global - m_pressGlobal).manhattanLength() >= QApplication::startDragDistance()) {
        // A drag moves the window, as on the window's body; it selects nothing.
        m_draggingWindow = true;
        m_clickArmed = false;
        m_selecting = false;
        emit windowDragStarted(m_pressGlobal);
        emit windowDragMoved(global);
        return;
    }
    if (m_selecting && (event->buttons() & Qt::LeftButton) && m_mouseRow >= m_fixedRows && m_mouseCol >= 0 &&
        (m_mouseRow != m_selRow || m_mouseCol != m_selCol)) {
        m_selRow = m_mouseRow;
        m_selCol = m_mouseCol;
        changed();
    }
    emit mouseMoved(m_mouseRow, m_mouseCol);
}

void QuoteGrid::mousePressEvent(QMouseEvent* event) {
    updateMousePosition(event->position());
    if (event->button() == Qt::LeftButton) {
        m_clickArmed = true;
        m_pressGlobal = event->globalPosition().toPoint();
        if (m_mouseRow >= m_fixedRows && m_mouseCol >= 0) {
            m_selecting = true;
            setSelection(m_mouseRow, m_mouseCol, m_mouseRow, m_mouseCol);
        }
    }
    event->accept();
}

void QuoteGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    mousePressEvent(event);
    m_clickArmed = false;
}

void QuoteGrid::mouseReleaseEvent(QMouseEvent* event) {
    updateMousePosition(event->position());
    const Qt::MouseButton button = event->button();
    const bool click =
        button == Qt::LeftButton && m_clickArmed && rect().contains(event->position().toPoint());
    if (button == Qt::LeftButton) {
        m_selecting = false;
        m_clickArmed = false;
        if (m_draggingWindow) {
            m_draggingWindow = false;
            emit windowDragEnded();
            event->accept();
            return;
        }
    }
    emit mouseReleased(m_mouseRow, m_mouseCol, button);
    if (click)
        emit clicked(m_mouseRow, m_mouseCol);
    event->accept();
}

void QuoteGrid::leaveEvent(QEvent* event) {
    m_mouseRow = -1;
    m_mouseCol = -1;
    emit mouseLeft();
    QWidget::leaveEvent(event);
}

} // namespace marlune

namespace marlune {

void QuoteGrid::setRowToolTip(int row, const QString& tip) {
    if (tip.isEmpty())
        m_rowTips.remove(row);
    else
        m_rowTips.insert(row, tip);
}

bool QuoteGrid::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const QString tip = m_rowTips.value(rowAt(help->pos().y()));
        if (tip.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), tip, this);
        return true;
    }
    return QWidget::event(event);
}

} // namespace marlune
