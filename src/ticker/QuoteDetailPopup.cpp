#include "ticker/QuoteDetailPopup.h"

#include "net/MinuteRequest.h"
#include "text/CNumber.h"
#include "text/Fields.h"
#include "ticker/ChartImageCache.h"
#include "ticker/GridRefill.h"
#include "ticker/IntradayChartModel.h"
#include "ticker/IntradayChartView.h"
#include "ticker/MinuteChartSource.h"
#include "ticker/QuoteGrid.h"

#include <QCursor>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace marlune {

namespace {

constexpr int kGridRows = 5;
constexpr int kGridCols = 6;
constexpr std::size_t kMinSummaryParts = 8;
constexpr std::size_t kMinDetailParts = 13;

// Positions in the detail text (see PopupDetailText).
enum DetailField : std::size_t {
    kPrice = 0,
    kLow,
    kHigh,
    kOpen,
    kPreviousClose,
    kVolume,
    kAmount,
    kChangeRate,
    kChange,
    kSpare,
    kAmplitude,
    kPlRate,
    kPlAmount,
    kDateTime,
};

// The note of a delayed quote, in the middle of the drawn chart's caption row, between the
// day's date on the left and the legend on the right, where nothing else writes.
constexpr const char* kDelayedNoteText = "延时行情";
constexpr int kDelayedNoteWidth = 56;
constexpr int kDelayedNoteHeight = static_cast<int>(IntradayChartModel::kCaptionHeight);

// Values that carry the sign colour: the price, the change rate and the change.
constexpr std::array<std::size_t, 3> kSignedValues = {2, 9, 10};

// The minute-data symbol of the stock a summary text names (code, name, market, ...).
std::string SummarySymbol(std::string_view summary) {
    const std::vector<std::string> s = SplitFields(summary, ",");
    return s.size() > 2 ? MinuteSymbol(AtoI(s[2]), s[0]) : std::string();
}

} // namespace

std::optional<DetailValues> ParseDetailValues(std::string_view summary, std::string_view detail) {
    const std::vector<std::string> s = SplitFields(summary, ",");
    if (s.size() < kMinSummaryParts)
        return std::nullopt;
    const std::vector<std::string> d = SplitFields(detail, ",");
    if (d.size() < kMinDetailParts)
        return std::nullopt;

    DetailValues result;
    result.values = {s[0],
                     s[1],
                     d[kPrice],
                     d[kLow],
                     d[kHigh],
                     d[kOpen],
                     d[kPreviousClose],
                     d[kVolume],
                     d[kAmount],
                     d[kChangeRate],
                     d[kChange],
                     d[kAmplitude],
                     d[kPlRate],
                     d[kPlAmount],
                     FieldAt(d, kDateTime)};
    result.rising = !d[kChange].empty() && d[kChange][0] == '+';
    return result;
}

const std::array<const char*, 15>& DetailLabels() {
    static const std::array<const char*, 15> labels = {
        "代码",   "简称",   "当前价", "最低价", "最高价", "开盘价", "昨收盘",   "成交量",
        "成交额", "涨跌率", "涨跌额", "振幅",   "收益率", "收益额", "数据日期",
    };
    return labels;
}

QColor QuoteDetailPopup::RisingColor() {
    return ColorFromColorRef(0x0000ff);
}

QColor QuoteDetailPopup::FallingColor() {
    return ColorFromColorRef(0x009900);
}

QColor QuoteDetailPopup::BackgroundColor() {
    return ColorFromColorRef(0xe6ffff);
}

QColor QuoteDetailPopup::DelayedNoteColor() {
    return {0x00, 0x33, 0x99};
}

QuoteDetailPopup::QuoteDetailPopup(QWidget* parent)
    : QWidget(parent, Qt::ToolTip | Qt::FramelessWindowHint), m_grid(new QuoteGrid(this)),
      m_chartImages(new ChartImageCache(this)), m_minuteSource(new MinuteChartSource(this)),
      m_drawnChart(new IntradayChartView(m_minuteSource, this)) {
    connect(m_chartImages, &ChartImageCache::imageChanged, this, [this](const QString& path) {
        if (path.toStdString() == m_chartPath)
            showChart();
    });
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    setGeometry(0, 0, kWidth, kHeight);
    setFixedSize(kWidth, kHeight);
    setUpGrid();
    m_drawnChart->setGeometry(QRect(QPoint(kChartLeft, kChartTop), ChartBox(size())));
    m_drawnChart->hide();
    setUpDelayedNote();
}

void QuoteDetailPopup::setUpDelayedNote() {
    // Made after the drawn chart, so that it lies above it.
    m_delayedNote = new QLabel(QString::fromUtf8(kDelayedNoteText), this);
    QFont font = m_delayedNote->font();
    font.setPixelSize(12);
    m_delayedNote->setFont(font);
    m_delayedNote->setAlignment(Qt::AlignCenter);
    // The popup's background behind it, so that it reads the same over any chart.
    QPalette palette = m_delayedNote->palette();
    palette.setColor(QPalette::Window, BackgroundColor());
    palette.setColor(QPalette::WindowText, DelayedNoteColor());
    m_delayedNote->setPalette(palette);
    m_delayedNote->setAutoFillBackground(true);
    const QSize box = ChartBox(size());
    const int axes =
        static_cast<int>(IntradayChartModel::kLeftAxisWidth + IntradayChartModel::kRightAxisWidth);
    const int left = kChartLeft + static_cast<int>(IntradayChartModel::kLeftAxisWidth) +
                     (box.width() - axes - kDelayedNoteWidth) / 2;
    m_delayedNote->setGeometry(left, kChartTop, kDelayedNoteWidth, kDelayedNoteHeight);
    m_delayedNote->hide();
}

void QuoteDetailPopup::SetChartColors(const QColor& up, const QColor& down) {
    m_drawnChart->SetColors(up, down);
}

void QuoteDetailPopup::setUpGrid() {
    QuoteGrid& grid = *m_grid;
    grid.setShape(kGridRows, kGridCols, 0);
    grid.setBackColor(BackgroundColor());
    grid.setBackColorFixed(BackgroundColor());
    grid.setBackColorBkg(BackgroundColor());
    grid.setBackColorSel(GridSelectionColor());
    QFont font = grid.font();
    font.setPixelSize(12);
    grid.setFont(font);
    // The cell that is current when the grid is set up gets the falling green.
    grid.setCellForeColor(grid.currentRow(), grid.currentCol(), FallingColor());
    grid.setGeometry(0, 0, width(), kGridHeight);
    for (int c = 0; c < kGridCols; ++c)
        grid.setColWidth(c, kCellWidth);
    for (int r = 0; r < kGridRows; ++r)
        grid.setRowHeight(r, kCellHeight);
    const auto& labels = DetailLabels();
    for (std::size_t k = 0; k < labels.size(); ++k)
        grid.setText(static_cast<int>(k / 3), static_cast<int>(2 * (k % 3)), QString::fromUtf8(labels[k]));
}

void QuoteDetailPopup::SetSignColors(const QColor& rising, const QColor& falling) {
    m_rising = rising;
    m_falling = falling;
}

bool QuoteDetailPopup::Fill(const std::string& summary, const std::string& detail,
                            const std::string& chartPath, bool delayedQuote) {
    const std::optional<DetailValues> parsed = ParseDetailValues(summary, detail);
    if (!parsed)
        return false;
    const QColor sign = parsed->rising ? m_rising : m_falling;
    QuoteGrid& grid = *m_grid;
    grid.setRedraw(false);
    for (std::size_t k = 0; k < parsed->values.size(); ++k) {
        const int row = static_cast<int>(k / 3);
        const int col = static_cast<int>(2 * (k % 3) + 1);
        if (std::find(kSignedValues.begin(), kSignedValues.end(), k) != kSignedValues.end())
            grid.setCellForeColor(row, col, sign);
        grid.setText(row, col, QString::fromStdString(parsed->values[k]));
    }
    grid.setRedraw(true);
    m_delayedNote->setVisible(delayedQuote);
    m_drawnSymbol = SummarySymbol(summary);
    m_drawnPreviousClose = AtoF(parsed->values[6]);
    loadChart(chartPath);
    return true;
}

QSize QuoteDetailPopup::ChartBox(const QSize& clientSize) {
    return {std::min(kChartBoxWidth, std::max(clientSize.width() - 2 * kChartLeft, 0)),
            std::min(kChartBoxHeight, std::max(clientSize.height() - kChartTop, 0))};
}

QSize QuoteDetailPopup::FitChart(const QSize& imageSize, const QSize& box) {
    if (imageSize.isEmpty() || box.isEmpty())
        return {};
    const double factor = std::min(static_cast<double>(box.width()) / imageSize.width(),
                                   static_cast<double>(box.height()) / imageSize.height());
    const int w = static_cast<int>(std::lround(imageSize.width() * factor));
    const int h = static_cast<int>(std::lround(imageSize.height() * factor));
    return {std::clamp(w, 1, box.width()), std::clamp(h, 1, box.height())};
}

void QuoteDetailPopup::loadChart(const std::string& chartPath) {
    m_chartPath = chartPath;
    showChart();
}

void QuoteDetailPopup::showChart() {
    m_chart = m_chartImages->Image(m_chartPath);
    m_scaledChart = QImage();
    const QSize fitted = FitChart(m_chart.size(), ChartBox(size()));
    if (!m_chart.isNull() && fitted.isValid())
        m_scaledChart = m_chart.scaled(fitted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    showDrawnChartUnlessImage();
    update();
}

void QuoteDetailPopup::showDrawnChartUnlessImage() {
    // While the file is being decoded (a few milliseconds) neither shows; then the image,
    // or for a file that is missing or no chart the chart drawn from minute data.
    if (hasChart() || m_chartImages->IsDecoding(m_chartPath)) {
        m_drawnChart->hide();
        return;
    }
    m_drawnChart->ShowStock(m_drawnSymbol, m_drawnPreviousClose);
    m_drawnChart->show();
}

QRect QuoteDetailPopup::chartRect() const {
    return hasChart() ? QRect(QPoint(kChartLeft, kChartTop), m_scaledChart.size()) : QRect();
}

void QuoteDetailPopup::showAt(const QPoint& topLeft) {
    setGeometry(QRect(topLeft, QSize(kWidth, kHeight)));
    show();
}

void QuoteDetailPopup::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), BackgroundColor());
    if (hasChart())
        painter.drawImage(QPoint(kChartLeft, kChartTop), m_scaledChart);
    // A thin frame keeps the borderless popup apart from what lies behind it.
    painter.setPen(QColor(0x80, 0x80, 0x80));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void QuoteDetailPopup::leaveEvent(QEvent* event) {
    if (!frameGeometry().contains(QCursor::pos()))
        hide();
    QWidget::leaveEvent(event);
}

void QuoteDetailPopup::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        event->accept(); // the popup is closed only with its owner
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

} // namespace marlune
