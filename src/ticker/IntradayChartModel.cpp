#include "ticker/IntradayChartModel.h"

#include "text/CNumber.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace marlune {

namespace {

// An average price further than this from the previous close is no share price: an index's
// volume counts the whole market's shares, so its amount over volume is no level of the
// index, and the line is left out.
constexpr double kMaxAverageDeviation = 0.3;
// Room above the highest and below the lowest price, as a share of the larger deviation.
constexpr double kHeadroom = 1.04;
constexpr double kSharesPerHand = 100;
// The smallest half-height of the price scale, as a share of the previous close.
constexpr double kMinScale = 0.002;

struct TimeMark {
    int slot;
    const char* text;
};
constexpr std::array<TimeMark, 5> kTimeMarks = {{
    {0, "9:30"},
    {60, "10:30"},
    {kLunchSlot, "11:30/13:00"},
    {180, "14:00"},
    {kMinuteSlots - 1, "15:00"},
}};

bool Usable(double value) {
    return std::isfinite(value) && value > 0;
}

QString VolumeText(double hands) {
    if (hands >= 1e8)
        return QString::fromStdString(Format("%.1f", hands / 1e8)) + QString::fromUtf8("亿");
    if (hands >= 1e4)
        return QString::fromStdString(Format("%.1f", hands / 1e4)) + QString::fromUtf8("万");
    return QString::fromStdString(Format("%.0f", hands));
}

} // namespace

IntradayChartModel::IntradayChartModel(const QSizeF& size, const MinuteDay* day, double previousClose,
                                       const IntradayChartColors& colors)
    : m_colors(colors) {
    layOut(size);
    const bool hasPoints = day != nullptr && !day->points.empty();
    m_previousClose = Usable(previousClose) ? previousClose : hasPoints ? day->points.front().price : 0;
    m_top = m_previousClose * (1 + kMinScale);
    m_bottom = m_previousClose * (1 - kMinScale);
    addTimeMarks();
    if (!hasPoints || !Usable(m_previousClose))
        return;
    scale(*day);
    addLines(*day);
    addBars(*day);
    addAxisLabels();
    m_labels.push_back({QRectF(m_priceArea.left(), 0, m_priceArea.width(), kCaptionHeight),
                        MinuteDateText(day->date), m_colors.flat, Qt::AlignLeft | Qt::AlignVCenter});
    const double legendWidth = 34;
    const QRectF legend(m_priceArea.right() - legendWidth, 0, legendWidth, kCaptionHeight);
    if (!m_averageLine.isEmpty())
        m_labels.push_back(
            {legend, QString::fromUtf8("均价"), m_colors.average, Qt::AlignRight | Qt::AlignVCenter});
    m_labels.push_back({legend.translated(m_averageLine.isEmpty() ? 0 : -legendWidth, 0),
                        QString::fromUtf8("价格"), m_colors.flat, Qt::AlignRight | Qt::AlignVCenter});
}

void IntradayChartModel::layOut(const QSizeF& size) {
    const double width = std::max(0.0, size.width() - kLeftAxisWidth - kRightAxisWidth);
    const double areas = std::max(0.0, size.height() - kCaptionHeight - kTimeAxisHeight - kBottomMargin);
    const double volumeHeight = std::floor(areas * kVolumeShare);
    const double priceHeight = areas - volumeHeight;
    m_priceArea = QRectF(kLeftAxisWidth, kCaptionHeight, width, priceHeight);
    m_volumeArea =
        QRectF(kLeftAxisWidth, kCaptionHeight + priceHeight + kTimeAxisHeight, width, volumeHeight);
}

double IntradayChartModel::SlotX(int slot) const {
    return m_priceArea.left() + m_priceArea.width() * slot / (kMinuteSlots - 1);
}

double IntradayChartModel::PriceY(double price) const {
    if (m_top <= m_bottom)
        return m_priceArea.center().y();
    return m_priceArea.top() + (m_top - price) / (m_top - m_bottom) * m_priceArea.height();
}

QColor IntradayChartModel::sideColor(double price) const {
    if (price > m_previousClose)
        return m_colors.up;
    if (price < m_previousClose)
        return m_colors.down;
    return m_colors.flat;
}

void IntradayChartModel::scale(const MinuteDay& day) {
    // Average prices, kept only when every one of them is a share price near the close.
    bool averagesUsable = true;
    m_averages.assign(day.points.size(), 0);
    for (std::size_t i = 0; i < day.points.size(); ++i) {
        const MinutePoint& point = day.points[i];
        if (point.volume <= 0)
            continue;
        const double average = point.amount / (point.volume * kSharesPerHand);
        if (!std::isfinite(average) ||
            std::fabs(average - m_previousClose) > m_previousClose * kMaxAverageDeviation)
            averagesUsable = false;
        m_averages[i] = average;
    }
    if (!averagesUsable)
        std::fill(m_averages.begin(), m_averages.end(), 0);

    double deviation = 0;
    for (std::size_t i = 0; i < day.points.size(); ++i) {
        deviation = std::max(deviation, std::fabs(day.points[i].price - m_previousClose));
        if (m_averages[i] > 0)
            deviation = std::max(deviation, std::fabs(m_averages[i] - m_previousClose));
    }
    // A day that has hardly moved still gets a scale of +-0.2 %, so that a tick or two
    // does not fill the whole height.
    deviation = std::max(deviation * kHeadroom, m_previousClose * kMinScale);
    m_top = m_previousClose + deviation;
    m_bottom = m_previousClose - deviation;
}

void IntradayChartModel::addLines(const MinuteDay& day) {
    // The price line, split where it crosses the previous close so that each piece takes
    // the colour of its side.
    const double close = m_previousClose;
    ChartLine current;
    auto startPiece = [&](const QPointF& from, const QColor& color) {
        if (current.points.size() >= 2)
            m_priceLines.push_back(current);
        current.points = QPolygonF{from};
        current.color = color;
    };
    for (std::size_t i = 0; i < day.points.size(); ++i) {
        const MinutePoint& point = day.points[i];
        const QPointF here(SlotX(MinuteSlot(point.time)), PriceY(point.price));
        if (i == 0) {
            current.points = QPolygonF{here};
            current.color = sideColor(point.price);
            continue;
        }
        const MinutePoint& before = day.points[i - 1];
        const QPointF there = current.points.back();
        const double a = before.price - close;
        const double b = point.price - close;
        if (a * b < 0) {
            const double t = a / (a - b);
            const QPointF crossing(there.x() + (here.x() - there.x()) * t, PriceY(close));
            current.points << crossing;
            startPiece(crossing, sideColor(point.price));
        } else {
            const QColor color = sideColor((before.price + point.price) / 2);
            if (color != current.color)
                startPiece(there, color);
        }
        current.points << here;
    }
    if (current.points.size() == 1) // a single minute: a short dash
        current.points = QPolygonF{current.points[0] - QPointF(1, 0), current.points[0] + QPointF(1, 0)};
    m_priceLines.push_back(current);

    for (std::size_t i = 0; i < day.points.size(); ++i) {
        if (m_averages[i] > 0)
            m_averageLine << QPointF(SlotX(MinuteSlot(day.points[i].time)), PriceY(m_averages[i]));
    }
}

void IntradayChartModel::addBars(const MinuteDay& day) {
    std::vector<double> volumes(day.points.size());
    double before = 0;
    for (std::size_t i = 0; i < day.points.size(); ++i) {
        volumes[i] = std::max(0.0, day.points[i].volume - before);
        before = std::max(before, day.points[i].volume);
        m_maxVolume = std::max(m_maxVolume, volumes[i]);
    }
    if (m_maxVolume <= 0)
        return;
    // One device pixel wide per minute would blur at fractional scales: bars stand on whole
    // pixels, at least one wide.
    const double width = std::max(1.0, std::floor(m_volumeArea.width() / kMinuteSlots * 0.8));
    for (std::size_t i = 0; i < day.points.size(); ++i) {
        if (volumes[i] <= 0)
            continue;
        const double height = std::max(1.0, volumes[i] / m_maxVolume * m_volumeArea.height());
        const double x = std::floor(SlotX(MinuteSlot(day.points[i].time)) - width / 2);
        m_bars.push_back(
            {QRectF(x, m_volumeArea.bottom() - height, width, height), sideColor(day.points[i].price)});
    }
    m_labels.push_back({QRectF(0, m_volumeArea.top() - 2, kLeftAxisWidth - 4, 14), VolumeText(m_maxVolume),
                        m_colors.flat, Qt::AlignRight | Qt::AlignTop});
}

void IntradayChartModel::addAxisLabels() {
    const double half = (m_top - m_previousClose) / 2;
    const std::array<double, 5> levels = {m_top, m_previousClose + half, m_previousClose,
                                          m_previousClose - half, m_bottom};
    for (double level : levels) {
        const double y = PriceY(level);
        if (level != m_top && level != m_bottom && level != m_previousClose)
            m_gridYs.push_back(y);
        const QColor color = sideColor(level);
        const double percent = (level - m_previousClose) * 100 / m_previousClose;
        m_labels.push_back({QRectF(0, y - 8, kLeftAxisWidth - 4, 16),
                            QString::fromStdString(Format("%.2f", level)), color,
                            Qt::AlignRight | Qt::AlignVCenter});
        m_labels.push_back(
            {QRectF(m_priceArea.right() + 4, y - 8, kRightAxisWidth - 4, 16),
             QString::fromStdString(Format("%.2f%%", std::fabs(percent) < 0.005 ? 0.0 : percent)), color,
             Qt::AlignLeft | Qt::AlignVCenter});
    }
}

void IntradayChartModel::addTimeMarks() {
    const double top = m_priceArea.bottom();
    const double textWidth = 80;
    for (const TimeMark& mark : kTimeMarks) {
        const double x = SlotX(mark.slot);
        if (mark.slot != 0 && mark.slot != kMinuteSlots - 1)
            m_gridXs.push_back(x);
        QRectF box(x - textWidth / 2, top, textWidth, kTimeAxisHeight);
        Qt::Alignment alignment = Qt::AlignHCenter | Qt::AlignVCenter;
        if (mark.slot == 0) {
            box.moveLeft(x);
            alignment = Qt::AlignLeft | Qt::AlignVCenter;
        } else if (mark.slot == kMinuteSlots - 1) {
            box.moveRight(x);
            alignment = Qt::AlignRight | Qt::AlignVCenter;
        }
        m_labels.push_back({box, QString::fromUtf8(mark.text), m_colors.flat, alignment});
    }
}

QString MinuteDateText(const std::string& date) {
    if (date.size() == 8 &&
        std::all_of(date.begin(), date.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return QString::fromStdString(date.substr(0, 4) + "-" + date.substr(4, 2) + "-" + date.substr(6, 2));
    return QString::fromStdString(date);
}

} // namespace marlune
