#include "ticker/IntradayChartView.h"

#include "ticker/MinuteChartSource.h"

#include <QPainter>
#include <QPen>

namespace marlune {

namespace {

// Lines along the pixel grid are drawn through pixel centres so that they stay one sharp
// pixel wide; at a device pixel ratio above 1 Qt scales the whole drawing.
double Crisp(double coordinate) {
    return std::floor(coordinate) + 0.5;
}

} // namespace

IntradayChartView::IntradayChartView(MinuteChartSource* source, QWidget* parent)
    : QWidget(parent), m_source(source) {
    m_colors.up = QColor(0xff, 0, 0);
    m_colors.down = QColor(0, 0x99, 0);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    connect(m_source, &MinuteChartSource::updated, this, &IntradayChartView::onSourceUpdated);
    m_refresh.setInterval(kRefreshMs);
    connect(&m_refresh, &QTimer::timeout, this, [this] { m_source->Request(m_symbol); });
}

void IntradayChartView::showEvent(QShowEvent* event) {
    m_refresh.start();
    QWidget::showEvent(event);
}

void IntradayChartView::hideEvent(QHideEvent* event) {
    m_refresh.stop();
    QWidget::hideEvent(event);
}

void IntradayChartView::ShowStock(const std::string& symbol, double previousClose) {
    m_symbol = symbol;
    m_previousClose = previousClose;
    m_source->Request(symbol);
    update();
}

void IntradayChartView::SetColors(const QColor& up, const QColor& down) {
    m_colors.up = up;
    m_colors.down = down;
    update();
}

void IntradayChartView::onSourceUpdated(const QString& symbol) {
    if (symbol.toStdString() == m_symbol)
        update();
}

const MinuteDay* IntradayChartView::day() const {
    if (m_symbol.empty())
        return nullptr;
    const MinuteDataCache::Entry* entry = m_source->Find(m_symbol);
    return entry != nullptr && entry->day ? &*entry->day : nullptr;
}

IntradayChartView::State IntradayChartView::state() const {
    if (m_symbol.empty())
        return State::kFailed;
    if (const MinuteDay* shown = day())
        return shown->points.empty() ? State::kNoData : State::kChart;
    const MinuteDataCache::Entry* entry = m_source->Find(m_symbol);
    if (entry == nullptr)
        return State::kEmpty;
    return entry->failed && !entry->inFlight ? State::kFailed : State::kLoading;
}

QString IntradayChartView::stateText() const {
    switch (state()) {
    case State::kFailed:
        return QString::fromUtf8("分时数据获取失败");
    case State::kNoData:
        return QString::fromUtf8("暂无分时数据");
    default:
        return {};
    }
}

IntradayChartModel IntradayChartView::Model() const {
    return IntradayChartModel(size(), day(), m_previousClose, m_colors);
}

void IntradayChartView::paintEvent(QPaintEvent*) {
    const IntradayChartModel model = Model();
    QPainter painter(this);
    QFont labelFont = font();
    labelFont.setPixelSize(11);
    painter.setFont(labelFont);

    // Frames of the two areas and the grid.
    painter.setPen(QPen(m_colors.grid, 0));
    for (const QRectF& area : {model.priceArea(), model.volumeArea()}) {
        painter.drawRect(QRectF(Crisp(area.left()), Crisp(area.top()), std::floor(area.width()),
                                std::floor(area.height())));
    }
    painter.setPen(QPen(m_colors.grid, 0, Qt::DotLine));
    for (double y : model.gridYs())
        painter.drawLine(QPointF(model.priceArea().left(), Crisp(y)),
                         QPointF(model.priceArea().right(), Crisp(y)));
    for (double x : model.gridXs()) {
        for (const QRectF& area : {model.priceArea(), model.volumeArea()})
            painter.drawLine(QPointF(Crisp(x), area.top()), QPointF(Crisp(x), area.bottom()));
    }

    for (const VolumeBar& bar : model.volumeBars())
        painter.fillRect(bar.rect, bar.color);

    if (model.hasData()) {
        painter.setPen(QPen(m_colors.previousClose, 0, Qt::DashLine));
        const double y = Crisp(model.previousCloseY());
        painter.drawLine(QPointF(model.priceArea().left(), y), QPointF(model.priceArea().right(), y));

        painter.setRenderHint(QPainter::Antialiasing);
        if (!model.averageLine().isEmpty()) {
            painter.setPen(QPen(m_colors.average, 1));
            painter.drawPolyline(model.averageLine());
        }
        for (const ChartLine& line : model.priceLines()) {
            painter.setPen(QPen(line.color, 1.2));
            painter.drawPolyline(line.points);
        }
        painter.setRenderHint(QPainter::Antialiasing, false);
    }

    for (const ChartLabel& label : model.labels()) {
        painter.setPen(label.color);
        painter.drawText(label.box, label.alignment, label.text);
    }

    const QString text = stateText();
    if (!text.isEmpty()) {
        QFont textFont = font();
        textFont.setPixelSize(13);
        painter.setFont(textFont);
        painter.setPen(m_colors.flat);
        painter.drawText(model.priceArea(), Qt::AlignCenter, text);
    }
}

} // namespace marlune
