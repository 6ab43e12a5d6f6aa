#include "core/CanvasFit.hpp"

#include <cmath>
#include <gtest/gtest.h>
#include <ostream>

namespace quillet {
namespace {

struct FitCase {
    const char* name;
    Size image;
    Size view;
    double pixelsPerPoint;
    double padding;
    double scale;
    Point origin;
    friend void PrintTo(const FitCase& c, std::ostream* os) { *os << c.name; }
};

class CanvasFitPlacement : public testing::TestWithParam<FitCase> {};

TEST_P(CanvasFitPlacement, ShrinksToFitAndCentresOnWholePoints)
{
    const auto& c = GetParam();
    const CanvasFit fit(c.image, c.view, c.pixelsPerPoint, c.padding);
    EXPECT_DOUBLE_EQ(fit.scale, c.scale);
    EXPECT_EQ(fit.origin, c.origin);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CanvasFitPlacement,
    testing::Values(
        FitCase{"large image shrinks", {2000, 1000}, {1000, 700}, 2, 20, 0.48, {20, 110}},
        FitCase{"small image at natural size", {200, 100}, {1000, 700}, 2, 20, 0.5, {450, 325}},
        FitCase{"one pixel per point", {200, 100}, {1000, 700}, 1, 20, 1, {400, 300}},
        FitCase{"pixels per point below 1 counts as 1", {200, 100}, {1000, 700}, 0.5, 20, 1, {400, 300}},
        FitCase{"pixels per point NaN counts as 1", {200, 100}, {1000, 700}, std::nan(""), 20, 1, {400, 300}},
        // (1001 - 100.5) / 2 = 450.25 and (700 - 50.5) / 2 = 324.75.
        FitCase{"centre rounds to whole points", {201, 101}, {1001, 700}, 2, 20, 0.5, {450, 325}},
        FitCase{"half a point rounds away from zero", {200, 100}, {1001, 700}, 1, 0, 1, {401, 300}},
        FitCase{"view smaller than the padding", {100, 100}, {30, 30}, 1, 20, 0.01, {15, 15}},
        FitCase{"view of no size", {100, 100}, {0, 0}, 1, 0, 0.01, {-1, -1}},
        FitCase{"empty image", {0, 0}, {1000, 700}, 2, 20, 0.5, {500, 350}}));

TEST(CanvasFit, ConvertsPointsBothWaysWithoutClamping)
{
    const CanvasFit fit({2000, 1000}, {1000, 700}, 2, 20);
    EXPECT_EQ(fit.viewPoint({0, 0}), (Point{20, 110}));
    EXPECT_EQ(fit.viewPoint({2000, 1000}), (Point{980, 590}));
    EXPECT_EQ(fit.imagePoint({20, 110}), (Point{0, 0}));
    EXPECT_EQ(fit.imagePoint({0, 0}), (Point{-20 / 0.48, -110 / 0.48}));
    const Point round = fit.imagePoint(fit.viewPoint({123.5, 456.25}));
    EXPECT_NEAR(round.x, 123.5, 1e-9);
    EXPECT_NEAR(round.y, 456.25, 1e-9);
}

} // namespace
} // namespace quillet
