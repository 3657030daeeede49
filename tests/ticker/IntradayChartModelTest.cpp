// The drawn intraday chart's geometry without a window: the scales, the colours of each
// side of the previous close, and where the time marks and minutes stand.
#include "ticker/IntradayChartModel.h"

#include <gtest/gtest.h>

using namespace marlune;

namespace {

const QColor kUp(0xff, 0, 0);
const QColor kDown(0, 0x99, 0);

IntradayChartColors Colors() {
    IntradayChartColors colors;
    colors.up = kUp;
    colors.down = kDown;
    return colors;
}

// Prices around a previous close of 10.00, with volume in hands and amount in yuan.
MinuteDay Day(const std::vector<std::pair<int, double>>& prices) {
    MinuteDay day;
    day.date = "20260630";
    double volume = 0;
    double amount = 0;
    for (const auto& [time, price] : prices) {
        volume += 100;
        amount += 100 * 100 * price;
        day.points.push_back({time, price, volume, amount});
    }
    return day;
}

const ChartLabel* LabelWithText(const IntradayChartModel& model, const QString& text) {
    for (const ChartLabel& label : model.labels())
        if (label.text == text)
            return &label;
    return nullptr;
}

} // namespace

TEST(IntradayChartModel, PutsThePreviousCloseInTheMiddleOfASymmetricScale) {
    const MinuteDay day = Day({{930, 10.00}, {931, 10.40}, {1000, 9.80}, {1500, 10.10}});
    const IntradayChartModel model(QSizeF(390, 290), &day, 10.00, Colors());
    const QRectF price = model.priceArea();
    EXPECT_GT(price.height(), model.volumeArea().height());
    EXPECT_GT(model.volumeArea().top(), price.bottom());
    EXPECT_LE(model.volumeArea().bottom(), 290);
    EXPECT_NEAR(model.previousCloseY(), price.center().y(), 0.5);
    // The largest move (+0.40) and a little room decide the scale, on both sides alike.
    EXPECT_NEAR(model.scaleTop() - 10.00, 10.00 - model.scaleBottom(), 1e-9);
    EXPECT_GT(model.scaleTop(), 10.40);
    EXPECT_LT(model.scaleTop(), 10.45);
    EXPECT_NEAR(model.PriceY(model.scaleTop()), price.top(), 1e-9);
    EXPECT_NEAR(model.PriceY(model.scaleBottom()), price.bottom(), 1e-9);
    EXPECT_LT(model.PriceY(10.40), model.PriceY(10.10));

    // Left axis prices, right axis percent from the previous close, in the side's colour.
    const QString top = QString::number(model.scaleTop(), 'f', 2);
    const ChartLabel* topPrice = LabelWithText(model, top);
    ASSERT_NE(topPrice, nullptr) << top.toStdString();
    EXPECT_EQ(topPrice->color, kUp);
    EXPECT_LT(topPrice->box.right(), price.left());
    const QString topPercent = QString::number((model.scaleTop() - 10) * 10, 'f', 2) + "%";
    const ChartLabel* percent = LabelWithText(model, topPercent);
    ASSERT_NE(percent, nullptr) << topPercent.toStdString();
    EXPECT_EQ(percent->color, kUp);
    EXPECT_GT(percent->box.left(), price.right());
    const QString bottomPercent = "-" + topPercent;
    ASSERT_NE(LabelWithText(model, bottomPercent), nullptr);
    EXPECT_EQ(LabelWithText(model, bottomPercent)->color, kDown);
    EXPECT_EQ(LabelWithText(model, "10.00")->color, Colors().flat);
    ASSERT_NE(LabelWithText(model, "0.00%"), nullptr);
    ASSERT_NE(LabelWithText(model, "2026-06-30"), nullptr);

    // A day that has not moved still gets a usable scale of +-0.2 %.
    const MinuteDay flat = Day({{930, 10.00}, {931, 10.00}});
    const IntradayChartModel still(QSizeF(390, 290), &flat, 10.00, Colors());
    EXPECT_NEAR(still.scaleTop(), 10.02, 1e-9);
    EXPECT_NEAR(still.scaleBottom(), 9.98, 1e-9);
}

TEST(IntradayChartModel, PlacesTheTimeMarksAndClosesUpTheLunchBreak) {
    const MinuteDay day = Day({{930, 10.0}, {1130, 10.1}, {1300, 10.2}, {1500, 10.3}});
    const IntradayChartModel model(QSizeF(390, 290), &day, 10.0, Colors());
    const QRectF area = model.priceArea();
    EXPECT_DOUBLE_EQ(model.SlotX(0), area.left());
    EXPECT_DOUBLE_EQ(model.SlotX(kLunchSlot), area.center().x());
    EXPECT_DOUBLE_EQ(model.SlotX(kMinuteSlots - 1), area.right());
    EXPECT_NEAR(model.SlotX(60), area.left() + area.width() / 4, 1e-9);

    const std::vector<std::pair<const char*, int>> marks = {
        {"9:30", 0}, {"10:30", 60}, {"11:30/13:00", kLunchSlot}, {"14:00", 180}, {"15:00", kMinuteSlots - 1}};
    for (const auto& [text, slot] : marks) {
        const ChartLabel* label = LabelWithText(model, QString::fromUtf8(text));
        ASSERT_NE(label, nullptr) << text;
        // Below the price area, above the volume area, over its minute, inside the box.
        EXPECT_GE(label->box.top(), area.bottom());
        EXPECT_LE(label->box.bottom(), model.volumeArea().top());
        EXPECT_GE(label->box.left(), 0);
        EXPECT_LE(label->box.right(), 390);
        if (slot == 0)
            EXPECT_DOUBLE_EQ(label->box.left(), model.SlotX(slot)) << text;
        else if (slot == kMinuteSlots - 1)
            EXPECT_DOUBLE_EQ(label->box.right(), model.SlotX(slot)) << text;
        else
            EXPECT_DOUBLE_EQ(label->box.center().x(), model.SlotX(slot)) << text;
    }
    // 11:30 and 13:00 share one place on the line.
    ASSERT_EQ(model.priceLines().size(), 1u);
    const QPolygonF& line = model.priceLines()[0].points;
    ASSERT_EQ(line.size(), 4);
    EXPECT_DOUBLE_EQ(line[1].x(), line[2].x());
    EXPECT_DOUBLE_EQ(line[3].x(), area.right());
    EXPECT_EQ(model.volumeBars().size(), 4u);
}

TEST(IntradayChartModel, ColoursEachSideOfThePreviousClose) {
    // Up, across the close, down, back to the close.
    const MinuteDay day = Day({{930, 10.2}, {931, 10.3}, {932, 9.9}, {933, 9.8}, {934, 10.0}});
    const IntradayChartModel model(QSizeF(390, 290), &day, 10.0, Colors());
    const auto& lines = model.priceLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].color, kUp);
    EXPECT_EQ(lines[1].color, kDown);
    // The pieces meet on the previous close, between 09:31 and 09:32.
    const QPointF crossing = lines[0].points.back();
    EXPECT_EQ(crossing, lines[1].points.front());
    EXPECT_NEAR(crossing.y(), model.previousCloseY(), 1e-9);
    EXPECT_GT(crossing.x(), model.SlotX(1));
    EXPECT_LT(crossing.x(), model.SlotX(2));
    for (const QPointF& p : lines[0].points)
        EXPECT_LE(p.y(), model.previousCloseY() + 1e-9);
    for (const QPointF& p : lines[1].points)
        EXPECT_GE(p.y(), model.previousCloseY() - 1e-9);

    // Volume bars: the minute's own volume, in the colour of its price's side, from the
    // bottom of the volume area.
    const auto& bars = model.volumeBars();
    ASSERT_EQ(bars.size(), 5u);
    EXPECT_EQ(bars[0].color, kUp);
    EXPECT_EQ(bars[2].color, kDown);
    EXPECT_EQ(bars[4].color, Colors().flat);
    for (const VolumeBar& bar : bars) {
        EXPECT_DOUBLE_EQ(bar.rect.bottom(), model.volumeArea().bottom());
        EXPECT_NEAR(bar.rect.height(), model.volumeArea().height(), 1e-9) << "equal volumes, equal bars";
        EXPECT_GE(bar.rect.width(), 1.0);
    }
    EXPECT_DOUBLE_EQ(model.maxMinuteVolume(), 100);

    // The user's colours are the ones used.
    IntradayChartColors swapped = Colors();
    std::swap(swapped.up, swapped.down);
    const IntradayChartModel other(QSizeF(390, 290), &day, 10.0, swapped);
    EXPECT_EQ(other.priceLines()[0].color, kDown);
}

TEST(IntradayChartModel, DrawsTheAverageOnlyWhereItIsASharePrice) {
    const MinuteDay day = Day({{930, 10.0}, {931, 10.2}, {932, 10.4}});
    const IntradayChartModel stock(QSizeF(390, 290), &day, 10.0, Colors());
    ASSERT_EQ(stock.averageLine().size(), 3);
    // Amount over volume: 10.00, then (10.0 + 10.2) / 2, then the mean of all three.
    EXPECT_NEAR(stock.averageLine()[1].y(), stock.PriceY(10.1), 1e-9);
    EXPECT_NEAR(stock.averageLine()[2].y(), stock.PriceY(10.2), 1e-9);

    // An index's amount over its volume is no level of the index: no average line, and the
    // scale follows the index alone.
    MinuteDay index = Day({{930, 3000.0}, {931, 3010.0}});
    for (MinutePoint& point : index.points)
        point.amount = point.volume * 100 * 12.5;
    const IntradayChartModel indexModel(QSizeF(390, 290), &index, 3000.0, Colors());
    EXPECT_TRUE(indexModel.averageLine().isEmpty());
    EXPECT_LT(indexModel.scaleTop(), 3011);
}

TEST(IntradayChartModel, AnEmptyFrameWhileLoadingAndNoDamageFromOddInput) {
    const IntradayChartModel loading(QSizeF(390, 290), nullptr, 10.0, Colors());
    EXPECT_FALSE(loading.hasData());
    EXPECT_TRUE(loading.volumeBars().empty());
    EXPECT_NE(LabelWithText(loading, "9:30"), nullptr);
    EXPECT_EQ(LabelWithText(loading, "10.00"), nullptr);

    // Without a previous close the first minute stands in for it.
    const MinuteDay day = Day({{930, 5.0}, {931, 5.1}});
    const IntradayChartModel noClose(QSizeF(390, 290), &day, 0, Colors());
    EXPECT_DOUBLE_EQ(noClose.previousClose(), 5.0);
    EXPECT_TRUE(noClose.hasData());

    // One minute is a short dash; a box too small for the chart gives empty areas.
    const MinuteDay one = Day({{930, 5.0}});
    const IntradayChartModel dash(QSizeF(390, 290), &one, 5.0, Colors());
    ASSERT_EQ(dash.priceLines().size(), 1u);
    EXPECT_EQ(dash.priceLines()[0].points.size(), 2);
    const IntradayChartModel tiny(QSizeF(10, 10), &day, 5.0, Colors());
    EXPECT_GE(tiny.priceArea().width(), 0);
    EXPECT_GE(tiny.volumeArea().height(), 0);
}
