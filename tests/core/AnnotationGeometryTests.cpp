#include "core/AnnotationGeometry.hpp"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <ostream>
#include <vector>

namespace quillet {
namespace {

namespace geometry = AnnotationGeometry;

constexpr double precision = 1e-9;

void expectNear(Point actual, Point expected, const char* label)
{
    EXPECT_NEAR(actual.x, expected.x, precision) << label;
    EXPECT_NEAR(actual.y, expected.y, precision) << label;
}

void expectNear(const Rect& actual, const Rect& expected, const char* label)
{
    ASSERT_EQ(actual.isNull(), expected.isNull()) << label;
    if (expected.isNull()) {
        return;
    }
    expectNear(actual.origin, expected.origin, label);
    EXPECT_NEAR(actual.size.width, expected.size.width, precision) << label;
    EXPECT_NEAR(actual.size.height, expected.size.height, precision) << label;
}

struct OutlineCase {
    const char* name;
    friend void PrintTo(const OutlineCase& c, std::ostream* os) { *os << c.name; }
    Point from;
    Point to;
    double scale;
    std::array<Point, 7> points;
    double tailRadius;
};

class ArrowOutlineShape : public testing::TestWithParam<OutlineCase> {};

TEST_P(ArrowOutlineShape, TapersFromTailToTip)
{
    const auto& c = GetParam();
    const ArrowOutline outline = geometry::arrow(c.from, c.to, AnnotationStyle(c.scale));
    for (std::size_t i = 0; i < outline.points.size(); ++i) {
        expectNear(outline.points[i], c.points[i], c.name);
    }
    EXPECT_NEAR(outline.tailRadius, c.tailRadius, precision) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ArrowOutlineShape,
    testing::Values(
        OutlineCase{"long arrow at scale 1",
                    {0, 0},
                    {100, 0},
                    1,
                    {{{0, 1.6}, {83.88, 4.2}, {74, 12}, {100, 0}, {74, -12}, {83.88, -4.2}, {0, -1.6}}},
                    1.6},
        // k = 13 * 0.6 / 26 = 0.3: head 7.8, half head 3.6, neck 1.26, which is below the 1.6 tail.
        OutlineCase{
            "short arrow shrinks its head",
            {0, 0},
            {13, 0},
            1,
            {{{0, 1.26}, {8.164, 1.26}, {5.2, 3.6}, {13, 0}, {5.2, -3.6}, {8.164, -1.26}, {0, -1.26}}},
            1.26},
        OutlineCase{"downward arrow at scale 2",
                    {0, 0},
                    {0, 200},
                    2,
                    {{{-3.2, 0}, {-8.4, 167.76}, {-24, 148}, {0, 200}, {24, 148}, {8.4, 167.76}, {3.2, 0}}},
                    3.2},
        OutlineCase{"leftward arrow just long enough for the full head",
                    {0, 0},
                    {-130.0 / 3, 0},
                    1,
                    {{{0, -1.6},
                      {-130.0 / 3 + 16.12, -4.2},
                      {-130.0 / 3 + 26, -12},
                      {-130.0 / 3, 0},
                      {-130.0 / 3 + 26, 12},
                      {-130.0 / 3 + 16.12, 4.2},
                      {0, 1.6}}},
                    1.6}));

TEST(ArrowOutline, CoincidentEndsCollapseOntoThePointWithoutNaN)
{
    const ArrowOutline outline = geometry::arrow({5, 7}, {5, 7}, AnnotationStyle(1));
    for (const Point point : outline.points) {
        EXPECT_EQ(point, (Point{5, 7}));
    }
    EXPECT_TRUE(std::isfinite(outline.tailRadius));
    EXPECT_GT(outline.tailRadius, 0);
    EXPECT_LT(outline.tailRadius, 1e-3);
}

struct DraggedBoxCase {
    const char* name;
    friend void PrintTo(const DraggedBoxCase& c, std::ostream* os) { *os << c.name; }
    Point from;
    Point to;
    Rect within;
    Rect expected;
};

class DraggedBox : public testing::TestWithParam<DraggedBoxCase> {};

TEST_P(DraggedBox, SpansTheDragInsideTheImage)
{
    const auto& c = GetParam();
    const Rect box = geometry::rect(c.from, c.to, c.within);
    expectNear(box, c.expected, c.name);
    if (!box.isNull()) {
        EXPECT_GE(box.size.width, 0) << c.name;
        EXPECT_GE(box.size.height, 0) << c.name;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DraggedBox,
    testing::Values(
        DraggedBoxCase{"up-left drag clipped", {50, 50}, {10, 20}, {0, 0, 40, 100}, {10, 20, 30, 30}},
        DraggedBoxCase{"inside", {10, 10}, {30, 40}, {0, 0, 100, 100}, {10, 10, 20, 30}},
        DraggedBoxCase{"beyond the top-left corner", {-20, -20}, {10, 5}, {0, 0, 100, 100}, {0, 0, 10, 5}},
        DraggedBoxCase{"entirely outside", {150, 150}, {200, 220}, {0, 0, 100, 100}, Rect::null()},
        DraggedBoxCase{"zero-size click", {5, 5}, {5, 5}, {0, 0, 100, 100}, {5, 5, 0, 0}}));

struct ConstraintCase {
    const char* name;
    friend void PrintTo(const ConstraintCase& c, std::ostream* os) { *os << c.name; }
    Point from;
    Point to;
    Point expected;
};

class AngleConstraint : public testing::TestWithParam<ConstraintCase> {};

TEST_P(AngleConstraint, SnapsToFortyFiveDegreesKeepingTheLength)
{
    const auto& c = GetParam();
    const Point result = geometry::constrained(c.from, c.to);
    EXPECT_NEAR(result.x, c.expected.x, 1e-6) << c.name;
    EXPECT_NEAR(result.y, c.expected.y, 1e-6) << c.name;
    EXPECT_NEAR(distance(c.from, result), distance(c.from, c.to), 1e-9) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AngleConstraint,
    testing::Values(ConstraintCase{"nearly horizontal", {0, 0}, {10, 1}, {std::sqrt(101.0), 0}},
                    ConstraintCase{"diagonal stays", {0, 0}, {10, 10}, {10, 10}},
                    ConstraintCase{"nearly vertical downwards", {5, 5}, {6, 25}, {5, 5 + std::sqrt(401.0)}},
                    ConstraintCase{"leftwards", {0, 0}, {-10, 1}, {-std::sqrt(101.0), 0}},
                    ConstraintCase{
                        "up-left diagonal", {0, 0}, {-9, -11}, {-std::sqrt(101.0), -std::sqrt(101.0)}},
                    ConstraintCase{"zero length returns its end", {3, 4}, {3, 4}, {3, 4}}));

struct GridCase {
    const char* name;
    friend void PrintTo(const GridCase& c, std::ostream* os) { *os << c.name; }
    Rect rect;
    int blockSize;
    Rect within;
    Rect expected;
};

class RedactionGrid : public testing::TestWithParam<GridCase> {};

TEST_P(RedactionGrid, SnapsOutwardsAndClipsToTheImage)
{
    const auto& c = GetParam();
    expectNear(geometry::redactionRect(c.rect, c.blockSize, c.within), c.expected, c.name);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RedactionGrid,
    testing::Values(
        GridCase{"inside", {15, 15, 10, 10}, 14, {0, 0, 100, 30}, {14, 14, 14, 14}},
        GridCase{"cut by the bottom border", {15, 15, 10, 10}, 14, {0, 0, 100, 20}, {14, 14, 14, 6}},
        GridCase{"already on the grid", {28, 0, 28, 14}, 14, {0, 0, 100, 100}, {28, 0, 28, 14}},
        GridCase{"unstandardized", {25, 25, -10, -10}, 14, {0, 0, 100, 100}, {14, 14, 14, 14}},
        GridCase{"before the origin", {-5, -5, 10, 10}, 14, {0, 0, 100, 100}, {0, 0, 14, 14}},
        GridCase{"right edge reaches past an image not a multiple of the block",
                 {90, 0, 10, 5},
                 14,
                 {0, 0, 100, 100},
                 {84, 0, 16, 14}},
        GridCase{"block size 0 counts as 1", {15.5, 15.2, 10, 10}, 0, {0, 0, 100, 100}, {15, 15, 11, 11}},
        GridCase{
            "negative block size counts as 1", {15.5, 15.2, 10, 10}, -14, {0, 0, 100, 100}, {15, 15, 11, 11}},
        GridCase{"outside the image", {150, 150, 10, 10}, 14, {0, 0, 100, 100}, Rect::null()},
        GridCase{"null rectangle", Rect::null(), 14, {0, 0, 100, 100}, Rect::null()}));

TEST(NextNumber, IsOneMoreThanTheLargestMarker)
{
    const std::vector<Annotation> mixed{Annotation::arrow({0, 0}, {10, 0}), Annotation::number({1, 1}, 3),
                                        Annotation::text({0, 0}, "5"), Annotation::number({2, 2}, 1)};
    EXPECT_EQ(geometry::nextNumber(mixed), 4);
    EXPECT_EQ(geometry::nextNumber(std::vector<Annotation>{}), 1);
    EXPECT_EQ(geometry::nextNumber(std::vector<Annotation>{Annotation::highlight({0, 0, 9, 9})}), 1);
    EXPECT_EQ(geometry::nextNumber(std::vector<Annotation>{
                  Annotation::number({}, 1), Annotation::number({}, 2), Annotation::number({}, 5)}),
              6);
    EXPECT_EQ(geometry::nextNumber(std::vector<Annotation>{Annotation::number({}, -5)}), -4);

    const std::vector<Mark> marks{{Annotation::number({}, 7), AnnotationColor::red},
                                  {Annotation::number({}, 2), AnnotationColor::blue}};
    EXPECT_EQ(geometry::nextNumber(marks), 8);
}

TEST(NextNumber, SaturatesInsteadOfOverflowing)
{
    constexpr auto largest = std::numeric_limits<std::int64_t>::max();
    EXPECT_EQ(geometry::nextNumber(std::vector<Annotation>{Annotation::number({}, largest)}), largest);
}

TEST(Bounds, CoversWhatIsDrawn)
{
    const AnnotationStyle style(1);
    const TextMeasure measure = [](const std::string& s) { return Size{10.0 * s.size(), 24}; };
    expectNear(geometry::bounds(Annotation::arrow({0, 0}, {100, 0}), style, measure), {-1.6, -12, 101.6, 24},
               "arrow");
    // The tail disc reaches past the outline's tail edge along the arrow.
    expectNear(geometry::bounds(Annotation::arrow({0, 0}, {0, -100}), style, measure), {-12, -100, 24, 101.6},
               "upward arrow");
    expectNear(geometry::bounds(Annotation::number({50, 50}, 3), style, measure), {33.5, 33.5, 33, 33},
               "number");
    expectNear(geometry::bounds(Annotation::number({50, 50}, 3), AnnotationStyle(2), measure),
               {17, 17, 66, 66}, "number at scale 2");
    expectNear(geometry::bounds(Annotation::text({5, 6}, "abc"), style, measure), {5, 6, 30, 24}, "text");
    expectNear(geometry::bounds(Annotation::text({5, 6}, "abc"), style, nullptr), {5, 6, 0, 0}, "no measure");
    const Rect box{40, 30, -10, 20};
    EXPECT_EQ(geometry::bounds(Annotation::highlight(box), style, measure).origin, box.origin);
    EXPECT_EQ(geometry::bounds(Annotation::redact(box), style, measure).size, box.size);
}

} // namespace
} // namespace quillet
