#include "Quillet/diagnostics/SyntheticCapture.hpp"

#include <gtest/gtest.h>

namespace quillet {
namespace {

[[nodiscard]] bool hasDarkPixel(const QImage& image, const QRect& area)
{
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (qGray(image.pixel(x, y)) < 128) {
                return true;
            }
        }
    }
    return false;
}

// The layout is described from the bottom edge up: the first text line and the gradient's start
// belong near the top of the bitmap, the gradient's end lower down.
TEST(SyntheticCapture, IsLaidOutFromTheBottomEdgeUp)
{
    const QImage capture = SyntheticCapture::make(2);
    ASSERT_EQ(capture.size(), QSize(5120, 2880));
    EXPECT_EQ(capture.format(), QImage::Format_RGBA8888_Premultiplied);

    const QColor sideBar = capture.pixelColor(450, 1440);
    EXPECT_NEAR(sideBar.redF(), 0.34, 0.01);
    EXPECT_NEAR(sideBar.blueF(), 0.32, 0.01);
    EXPECT_NEAR(capture.pixelColor(5000, 100).greenF(), 0.96, 0.01) << "beyond the gradient's end";

    // Start and end colours on the gradient's axis, at (2600, 2880 − 400) and (4800, 2880 − 1600).
    const QColor start = capture.pixelColor(2605, 2478);
    const QColor end = capture.pixelColor(4795, 1282);
    EXPECT_NEAR(start.blueF(), 0.85, 0.02);
    EXPECT_NEAR(end.redF(), 0.85, 0.02);
    EXPECT_NEAR(end.blueF(), 0.62 - 0.07, 0.02);

    EXPECT_TRUE(hasDarkPixel(capture, QRect(1000, 90, 400, 40))) << "the first line is near the top";
    EXPECT_FALSE(hasDarkPixel(capture, QRect(1000, 2780, 400, 90))) << "nothing below the last line";
}

} // namespace
} // namespace quillet
