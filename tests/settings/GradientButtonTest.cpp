// The gradient button's drawing: the gradient steps of its four looks and a drawn button's
// pixels.
#include "settings/GradientButton.h"

#include <QCoreApplication>
#include <QEnterEvent>
#include <QImage>
#include <gtest/gtest.h>

namespace marlune {
namespace {

TEST(GradientButtonTest, StepColoursOfTheFourLooks) {
    EXPECT_EQ(GradientStepColor(0, false, false), QColor(255, 255, 255));
    EXPECT_EQ(GradientStepColor(63, false, false), QColor(234, 234, 243));
    EXPECT_EQ(GradientStepColor(63, false, true), QColor(234, 234, 240));
    EXPECT_EQ(GradientStepColor(63, true, false), QColor(240, 240, 243));
    EXPECT_EQ(GradientStepColor(63, true, true), QColor(240, 240, 234));
    EXPECT_EQ(GradientStepColor(30, false, false), QColor(245, 245, 249));
    EXPECT_EQ(GradientStepForRow(2, 19), 6);
    EXPECT_EQ(GradientStepForRow(20, 19), 63); // the bottom rows reach the last step
}

QImage Draw(GradientButton& button) {
    return button.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

TEST(GradientButtonTest, DrawnPixels) {
    GradientButton button(QStringLiteral("确定"));
    button.resize(80, 24);
    button.show();
    QImage image = Draw(button);
    ASSERT_EQ(image.size(), QSize(80, 24));
    // The outline, the gradient's first and last rows, away from the text.
    EXPECT_EQ(image.pixelColor(40, 0), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(4, 2), GradientStepColor(GradientStepForRow(2, 20), false, false));
    EXPECT_EQ(image.pixelColor(4, 21), GradientStepColor(63, false, false));

    // Hovered: the warm bottom edge over the last rows.
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QCoreApplication::sendEvent(&button, &enter);
    EXPECT_TRUE(button.IsHovered());
    image = Draw(button);
    EXPECT_EQ(image.pixelColor(40, 21), QColor(0xE5, 0x97, 0x00));
    EXPECT_EQ(image.pixelColor(40, 10).red(), 255 - GradientStepForRow(10, 20) / 4);
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&button, &leave);
    EXPECT_FALSE(button.IsHovered());

    // Disabled: the text is drawn grey, never black.
    button.setEnabled(false);
    image = Draw(button);
    bool anyBlackInside = false;
    for (int y = 3; y < 21; ++y)
        for (int x = 4; x < 76; ++x)
            anyBlackInside = anyBlackInside || image.pixelColor(x, y) == QColor(Qt::black);
    EXPECT_FALSE(anyBlackInside);
}

} // namespace
} // namespace marlune
