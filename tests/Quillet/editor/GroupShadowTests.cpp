#include "Quillet/editor/GroupShadow.hpp"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace quillet {
namespace {

struct ZoomCase {
    double worldScale;
    double pixelRatio;
    int expectedDeviceOffset;
};

class GroupShadowZoom : public ::testing::TestWithParam<ZoomCase> {};

// An unblurred shadow offset 4 user units down shows as a band exactly as deep as the offset in
// device pixels, so it keeps its size relative to the drawing at any zoom and pixel ratio.
TEST_P(GroupShadowZoom, OffsetFollowsTheDeviceTransform)
{
    const ZoomCase zoom = GetParam();
    QImage device(200, 200, QImage::Format_ARGB32_Premultiplied);
    device.fill(Qt::white);
    device.setDevicePixelRatio(zoom.pixelRatio);
    const QRectF square(10, 10, 20, 20);
    {
        QPainter painter(&device);
        painter.scale(zoom.worldScale, zoom.worldScale);
        const GroupShadow shadow(QPointF(0, 4), 0, QColor(0, 0, 0, 255));
        shadow.paint(painter, square, [&](QPainter& group) { group.fillRect(square, Qt::blue); });
    }

    const double toDevice = zoom.worldScale * zoom.pixelRatio;
    const int column = static_cast<int>((square.center().x()) * toDevice);
    int row = static_cast<int>(square.bottom() * toDevice);
    ASSERT_EQ(device.pixelColor(column, row - 1), QColor(Qt::blue));
    int shadowRows = 0;
    while (row < device.height() && device.pixelColor(column, row) == QColor(Qt::black)) {
        ++shadowRows;
        ++row;
    }
    EXPECT_EQ(shadowRows, zoom.expectedDeviceOffset);
    EXPECT_EQ(device.pixelColor(column, row), QColor(Qt::white));
    EXPECT_EQ(device.pixelColor(column, static_cast<int>(square.top() * toDevice) - 1), QColor(Qt::white))
        << "nothing above the group";
}

INSTANTIATE_TEST_SUITE_P(Zooms, GroupShadowZoom,
                         ::testing::Values(ZoomCase{1, 1, 4}, ZoomCase{2, 1, 8}, ZoomCase{0.5, 1, 2},
                                           ZoomCase{1, 2, 8}));

TEST(GroupShadow, GroupOutsideTheDevicePaintsNothing)
{
    QImage device(50, 50, QImage::Format_ARGB32_Premultiplied);
    device.fill(Qt::white);
    const QImage before = device;
    bool drawn = false;
    {
        QPainter painter(&device);
        const GroupShadow shadow(QPointF(0, 2), 6, QColor(0, 0, 0, 76));
        shadow.paint(painter, QRectF(500, 500, 20, 20), [&](QPainter&) { drawn = true; });
    }
    EXPECT_FALSE(drawn) << "no layer should be made for a group far off the device";
    EXPECT_TRUE(device == before);
}

} // namespace
} // namespace quillet
