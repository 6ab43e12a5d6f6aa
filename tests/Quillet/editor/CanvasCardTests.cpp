#include "Quillet/editor/CanvasCard.hpp"

#include <QImage>

#include <gtest/gtest.h>

namespace quillet {
namespace {

struct CardCase {
    const char* name;
    QSize backdrop; // logical
    double pixelRatio;
    QRectF frame;
};

class CanvasCardShadow : public ::testing::TestWithParam<CardCase> {};

// The card painted from a small patch is pixel for pixel the card blurred whole: no seam where the
// middle is repeated, nothing shifted at fractional edges or pixel ratios, cut cleanly at the edges.
TEST_P(CanvasCardShadow, MatchesTheWholeCardBlurred)
{
    const CardCase c = GetParam();
    const QColor background = QColor::fromRgbF(0.13f, 0.13f, 0.13f);
    QImage fast((QSizeF(c.backdrop) * c.pixelRatio).toSize(), QImage::Format_ARGB32_Premultiplied);
    fast.setDevicePixelRatio(c.pixelRatio);
    fast.fill(background);
    QImage whole = fast.copy();
    CanvasCard::paint(fast, c.frame, background);
    CanvasCard::paintWhole(whole, c.frame);

    int worst = 0;
    QPoint at;
    for (int y = 0; y < fast.height(); ++y) {
        const auto* a = reinterpret_cast<const QRgb*>(fast.constScanLine(y));
        const auto* b = reinterpret_cast<const QRgb*>(whole.constScanLine(y));
        for (int x = 0; x < fast.width(); ++x) {
            const int difference =
                std::max({std::abs(qRed(a[x]) - qRed(b[x])), std::abs(qGreen(a[x]) - qGreen(b[x])),
                          std::abs(qBlue(a[x]) - qBlue(b[x])), std::abs(qAlpha(a[x]) - qAlpha(b[x]))});
            if (difference > worst) {
                worst = difference;
                at = QPoint(x, y);
            }
        }
    }
    EXPECT_EQ(worst, 0) << "largest difference at " << at.x() << "," << at.y();
    // The shadow is there at all: darker than the background just below the card's middle.
    const QPoint below((c.frame.center().x()) * c.pixelRatio, (c.frame.bottom() + 3) * c.pixelRatio);
    if (below.y() < fast.height()) {
        EXPECT_LT(qRed(fast.pixel(below)), qRed(background.rgb()));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cards, CanvasCardShadow,
    ::testing::Values(CardCase{"whole_pixels", {400, 300}, 1, {24, 30, 352, 240}},
                      CardCase{"fractional_frame", {400, 300}, 1, {24.3, 30.7, 351.45, 239.6}},
                      CardCase{"double_density", {300, 220}, 2, {24.25, 20.5, 251.5, 180.25}},
                      CardCase{"fractional_density", {320, 240}, 1.25, {24, 21.1, 272.3, 198.7}},
                      CardCase{"shadow_past_the_edges", {300, 200}, 1, {4, 2, 292, 190}},
                      CardCase{"too_small_to_split", {120, 100}, 1, {24, 24, 60, 40}}),
    [](const ::testing::TestParamInfo<CardCase>& info) { return std::string(info.param.name); });

} // namespace
} // namespace quillet
