// The caption buttons: two-frame strips, hover tracking, clicks and transparent mode.
#include "ticker/HoverButton.h"

#include <QEnterEvent>
#include <QImage>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace marlune {
namespace {

// A strip whose normal frame is blue and whose hover frame is red.
QPixmap TwoColourStrip() {
    QImage image(34, 17, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.fillRect(0, 0, 17, 17, QColor(0, 0, 255));
    painter.fillRect(17, 0, 17, 17, QColor(255, 0, 0));
    painter.end();
    return QPixmap::fromImage(image);
}

QColor Centre(HoverButton& button) {
    return QColor(button.grab().toImage().pixel(8, 8));
}

void Enter(HoverButton& button) {
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QCoreApplication::sendEvent(&button, &enter);
}

void Leave(HoverButton& button) {
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&button, &leave);
}

TEST(HoverButton, ShowsTheHoverFrameWhileTheMouseIsOver) {
    HoverButton button(1001, nullptr);
    button.SetStrip(TwoColourStrip());
    button.resize(17, 17);
    EXPECT_EQ(button.FrameSize(), QSize(17, 17));
    EXPECT_EQ(Centre(button), QColor(0, 0, 255));
    Enter(button);
    EXPECT_EQ(button.HoverState(), 1);
    EXPECT_EQ(Centre(button), QColor(255, 0, 0));
    EXPECT_EQ(button.cursor().shape(), Qt::PointingHandCursor);
    Leave(button);
    EXPECT_EQ(button.HoverState(), 0);
    EXPECT_EQ(Centre(button), QColor(0, 0, 255));
}

TEST(HoverButton, HoverCanBeDisabled) {
    HoverButton strip(1065, nullptr);
    strip.SetStrip(TwoColourStrip());
    strip.SetHoverEnabled(false);
    strip.resize(17, 17);
    Enter(strip);
    EXPECT_EQ(strip.HoverState(), 0);
    EXPECT_NE(strip.cursor().shape(), Qt::PointingHandCursor);
}

TEST(HoverButton, AClickReportsTheCommandId) {
    HoverButton button(1063, nullptr);
    button.resize(17, 17);
    QSignalSpy clicks(&button, &HoverButton::clicked);
    QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(8, 8));
    ASSERT_EQ(clicks.count(), 1);
    EXPECT_EQ(clicks.at(0).at(0).toInt(), 1063);
    // Released outside the button, or another button: no click.
    QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(8, 8));
    QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(30, 30));
    QTest::mouseClick(&button, Qt::RightButton, {}, QPoint(8, 8));
    EXPECT_EQ(clicks.count(), 1);
}

TEST(HoverButton, TransparentHeaderFillsWithTheBackground) {
    HoverButton button(1001, nullptr);
    button.SetStrip(TwoColourStrip());
    button.resize(17, 17);
    const QColor background(0xe6, 0xff, 0xff);
    button.SetTransparency({1, 0, 0}, background);
    EXPECT_EQ(Centre(button), background);
    Enter(button); // no hover while the header is hidden for good
    EXPECT_EQ(button.HoverState(), 0);
    button.SetTransparency({1, 1, 1}, background); // header shown by hover
    EXPECT_EQ(Centre(button), QColor(0, 0, 255));
}

} // namespace
} // namespace marlune
