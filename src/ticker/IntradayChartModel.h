#pragma once
// The geometry of the drawn intraday chart, computed without a window: where the price and
// average-price lines, the previous close, the axis labels, the time marks and the volume
// bars go in a box of a given size, and in which colour. IntradayChartView paints it.
//
// Layout, top to bottom: a caption line (the day), the price area, the time marks, the
// volume area. The left axis gives prices, the right one the change from the previous close
// in percent; the price scale is symmetric around the previous close, so it sits in the
// middle. The time axis runs 09:30-11:30 and 13:00-15:00 with the lunch break closed up.

#include "quote/MinuteData.h"

#include <QColor>
#include <QPolygonF>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <vector>

namespace marlune {

struct IntradayChartColors {
    QColor up;                                 // above the previous close: the user's rising colour
    QColor down;                               // below it: the user's falling colour
    QColor flat = QColor(0x40, 0x40, 0x40);    // at the previous close, and texts
    QColor average = QColor(0xd0, 0x90, 0x00); // the average-price line
    QColor grid = QColor(0xc8, 0xc8, 0xc8);    // frame and grid lines
    QColor previousClose = QColor(0x70, 0x70, 0x70);
};

// A text and the box it is drawn in, with its alignment inside the box.
struct ChartLabel {
    QRectF box;
    QString text;
    QColor color;
    Qt::Alignment alignment;
};

struct ChartLine {
    QPolygonF points;
    QColor color;
};

struct VolumeBar {
    QRectF rect;
    QColor color;
};

class IntradayChartModel {
public:
    static constexpr double kLeftAxisWidth = 50;
    static constexpr double kRightAxisWidth = 46;
    static constexpr double kCaptionHeight = 16;
    static constexpr double kTimeAxisHeight = 16;
    static constexpr double kBottomMargin = 5;   // keeps the volume bars off the popup's frame
    static constexpr double kVolumeShare = 0.28; // of the height left for the two areas

    // The chart of a day (null: an empty frame, as while it loads) around a previous
    // close. Without a usable previous close the first minute's price stands in for it.
    IntradayChartModel(const QSizeF& size, const MinuteDay* day, double previousClose,
                       const IntradayChartColors& colors);

    // Areas and scales.
    const QRectF& priceArea() const { return m_priceArea; }
    const QRectF& volumeArea() const { return m_volumeArea; }
    double SlotX(int slot) const;
    double PriceY(double price) const;
    double previousClose() const { return m_previousClose; }
    double scaleTop() const { return m_top; }       // the price at the top of the price area
    double scaleBottom() const { return m_bottom; } // the price at its bottom
    double maxMinuteVolume() const { return m_maxVolume; }

    // What is drawn.
    const std::vector<ChartLine>& priceLines() const { return m_priceLines; } // split at the previous close
    const QPolygonF& averageLine() const { return m_averageLine; }            // empty for an index
    double previousCloseY() const { return PriceY(m_previousClose); }
    const std::vector<double>& gridYs() const { return m_gridYs; }
    const std::vector<double>& gridXs() const { return m_gridXs; }
    const std::vector<ChartLabel>& labels() const { return m_labels; } // axes, time marks, caption
    const std::vector<VolumeBar>& volumeBars() const { return m_bars; }
    bool hasData() const { return !m_priceLines.empty(); }

private:
    void layOut(const QSizeF& size);
    void scale(const MinuteDay& day);
    void addLines(const MinuteDay& day);
    void addBars(const MinuteDay& day);
    void addAxisLabels();
    void addTimeMarks();
    QColor sideColor(double price) const;

    IntradayChartColors m_colors;
    QRectF m_priceArea;
    QRectF m_volumeArea;
    double m_previousClose = 0;
    double m_top = 0;
    double m_bottom = 0;
    double m_maxVolume = 0;
    std::vector<ChartLine> m_priceLines;
    QPolygonF m_averageLine;
    std::vector<double> m_averages; // per minute point; 0 where there is none
    std::vector<double> m_gridYs;
    std::vector<double> m_gridXs;
    std::vector<ChartLabel> m_labels;
    std::vector<VolumeBar> m_bars;
};

// "YYYYMMDD" as "YYYY-MM-DD"; other texts as they are.
QString MinuteDateText(const std::string& date);

} // namespace marlune
