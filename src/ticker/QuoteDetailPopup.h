#pragma once
// The quote detail popup: a borderless window with a 5 x 6 grid of fifteen label and value
// pairs of one stock above its intraday chart. It is filled with the summary and detail texts
// the chart popup rules build (ChartPopupRules.h) and the path of the stock's chart file.

#include <QImage>
#include <QWidget>

#include <array>
#include <optional>
#include <string>
#include <string_view>

class QLabel;

namespace marlune {

class ChartImageCache;
class IntradayChartView;
class MinuteChartSource;
class QuoteGrid;

// The fifteen values of one fill, row by row (value k goes to row k / 3, column 2 * (k % 3) + 1),
// and whether the stock rises (its change text starts with "+"), which colours the price,
// the change rate and the change.
struct DetailValues {
    std::array<std::string, 15> values;
    bool rising = false;
};

// Splits the summary and detail texts at ",". Nothing when the summary has fewer than 8 parts
// or the detail text fewer than 13. The values are taken by their meaning: the detail text's
// unused tenth field is skipped, so amplitude, P/L rate, P/L amount and the quote's date and
// time stand under their own labels (a 13-part detail text leaves the date empty).
std::optional<DetailValues> ParseDetailValues(std::string_view summary, std::string_view detail);

// The labels of the popup grid, row by row (label k goes to row k / 3, column 2 * (k % 3)).
const std::array<const char*, 15>& DetailLabels();

class QuoteDetailPopup final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 430;
    static constexpr int kHeight = 400;
    static constexpr int kGridHeight = 110;
    static constexpr int kCellWidth = 70;
    static constexpr int kCellHeight = 20;
    // The chart is scaled to fit this box, whose top-left corner it is drawn at.
    static constexpr int kChartLeft = 20;
    static constexpr int kChartTop = 110;
    static constexpr int kChartBoxWidth = 426;
    static constexpr int kChartBoxHeight = 290;

    // Red and green of the sign colour until the ticker gives its own, and the popup's pale
    // yellow background.
    static QColor RisingColor();
    static QColor FallingColor();
    static QColor BackgroundColor();
    // The dark blue of the delayed-quote note, apart from the sign colours and the chart's grey
    // and amber.
    static QColor DelayedNoteColor();

    // Created hidden; a top-level window even with a parent (the parent owns it).
    explicit QuoteDetailPopup(QWidget* parent = nullptr);

    // Writes the values into the grid and shows the chart of the chart file. Returns false
    // and changes nothing when the texts are too short (see ParseDetailValues). The chart
    // comes from chartImages(): a file not decoded yet shows as soon as it is. For a
    // missing, partly written or non-PNG chart file the popup draws the chart itself from
    // the stock's minute data, in the same box (drawnChart()).
    // A delayed quote (QuoteRecord::delayed) says so in a short note at the top of the chart,
    // in the middle; a real-time one shows none.
    bool Fill(const std::string& summary, const std::string& detail, const std::string& chartPath,
              bool delayedQuote = false);

    // The colours of rising and falling values, the same as the ticker's grid; the next fill
    // uses them.
    void SetSignColors(const QColor& rising, const QColor& falling);

    // Moves the popup to a screen position with its fixed size and shows it without taking the
    // keyboard focus.
    void showAt(const QPoint& topLeft);

    // The rising and falling colours of the user's settings, for the drawn chart.
    void SetChartColors(const QColor& up, const QColor& down);

    const QuoteGrid& grid() const { return *m_grid; }
    // The note of a delayed quote ("延时行情"), hidden for real-time ones.
    const QLabel& delayedNote() const { return *m_delayedNote; }
    // The decoded chart files; the owner tells it about downloads.
    ChartImageCache& chartImages() { return *m_chartImages; }
    // The chart drawn from minute data; visible while the chart image is missing.
    const IntradayChartView& drawnChart() const { return *m_drawnChart; }
    IntradayChartView& drawnChart() { return *m_drawnChart; }
    // Where the drawn chart's minute data comes from.
    MinuteChartSource& minuteSource() { return *m_minuteSource; }
    bool hasChart() const { return !m_scaledChart.isNull(); }
    // The decoded chart in its own size, and the copy scaled into the chart box.
    const QImage& chart() const { return m_chart; }
    const QImage& scaledChart() const { return m_scaledChart; }
    QRect chartRect() const;

    // The chart box within a client area: no wider than the client area less a margin as wide
    // as the chart's left one, no taller than the space below the grid, so that a wide chart
    // is not cut off at the popup's right edge.
    static QSize ChartBox(const QSize& clientSize);
    // The size an image of imageSize is scaled to so that it fits the box, keeping its shape.
    static QSize FitChart(const QSize& imageSize, const QSize& box);

protected:
    void paintEvent(QPaintEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void setUpGrid();
    void setUpDelayedNote();
    void loadChart(const std::string& chartPath);
    void showChart();
    void showDrawnChartUnlessImage();

    QuoteGrid* m_grid = nullptr;              // child widget
    QLabel* m_delayedNote = nullptr;          // child widget
    ChartImageCache* m_chartImages = nullptr; // child object
    std::string m_chartPath;
    MinuteChartSource* m_minuteSource = nullptr; // child object
    IntradayChartView* m_drawnChart = nullptr;   // child widget
    std::string m_drawnSymbol;                   // the stock of the last fill, as "sh600000"
    double m_drawnPreviousClose = 0;
    QImage m_chart;
    QImage m_scaledChart;
    QColor m_rising = RisingColor();
    QColor m_falling = FallingColor();
};

} // namespace marlune
