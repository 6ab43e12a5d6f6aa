// The selector's pills drawn on screens of one colour, as the frozen picture may be.
#include "Quillet/recording/SelectionPills.hpp"

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>

namespace quillet {
namespace {

// The most a pixel's channels differ from a colour.
int contrast(const QColor& a, const QColor& b)
{
    return std::max(
        {std::abs(a.red() - b.red()), std::abs(a.green() - b.green()), std::abs(a.blue() - b.blue())});
}

TEST(SelectionPills, APlainPillShowsItsOutlineOnAnyBackground)
{
    // A tenth of the range: plainly visible at a glance.
    constexpr int visible = 25;
    const struct {
        const char* name;
        QColor background;
    } cases[] = {
        {"black desktop", Qt::black},
        {"dark blue desktop", QColor(8, 12, 40)},
        {"white page", Qt::white},
    };
    for (const auto& c : cases) {
        QImage screen(400, 100, QImage::Format_RGB32);
        screen.fill(c.background);
        QPainter painter(&screen);
        const QRect pill =
            SelectionPills::draw(painter, SelectionPills::sizeLabel(420, 40), {200, 50}, false, {})
                .toAlignedRect();
        painter.end();
        // Points on the outline away from the text: the middle of the top and bottom, the two ends.
        const struct {
            QPoint onEdge;
            QPoint inward;
        } outline[] = {
            {{pill.center().x(), pill.top()}, {0, 1}},
            {{pill.center().x(), pill.bottom()}, {0, -1}},
            {{pill.left(), pill.center().y()}, {1, 0}},
            {{pill.right(), pill.center().y()}, {-1, 0}},
        };
        for (const auto& point : outline) {
            // The edge may fall between two pixels; the stronger of them is what the eye sees.
            int strongest = 0;
            for (int step = 0; step < 3; ++step) {
                strongest = std::max(
                    strongest, contrast(screen.pixelColor(point.onEdge + step * point.inward), c.background));
            }
            EXPECT_GE(strongest, visible) << c.name << " at " << point.onEdge.x() << "," << point.onEdge.y();
        }
    }
}

} // namespace
} // namespace quillet
