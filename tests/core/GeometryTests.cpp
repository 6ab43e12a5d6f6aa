#include "core/Geometry.hpp"

#include <gtest/gtest.h>

namespace quillet {
namespace {

TEST(Rect, ReadsNegativeSizesAsStandardized)
{
    const Rect r{10, 20, -4, -6};
    EXPECT_EQ(r.minX(), 6);
    EXPECT_EQ(r.maxX(), 10);
    EXPECT_EQ(r.minY(), 14);
    EXPECT_EQ(r.maxY(), 20);
    EXPECT_EQ(r.width(), 4);
    EXPECT_EQ(r.height(), 6);
    EXPECT_EQ(r.midX(), 8);
    EXPECT_EQ(r.midY(), 17);
    EXPECT_EQ(r.standardized().origin, (Point{6, 14}));
    EXPECT_EQ(r.standardized().size, (Size{4, 6}));
    EXPECT_EQ(r, (Rect{6, 14, 4, 6}));
}

struct IntersectionCase {
    const char* name;
    Rect a;
    Rect b;
    Rect expected;
};

class RectIntersection : public testing::TestWithParam<IntersectionCase> {};

TEST_P(RectIntersection, MatchesPlaneGeometry)
{
    const auto& c = GetParam();
    const Rect result = c.a.intersection(c.b);
    EXPECT_EQ(result, c.expected) << c.name;
    EXPECT_EQ(c.b.intersection(c.a), c.expected) << c.name << " (swapped)";
    EXPECT_EQ(result.isNull(), c.expected.isNull()) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RectIntersection,
    testing::Values(IntersectionCase{"overlap", {0, 0, 10, 10}, {5, 5, 10, 10}, {5, 5, 5, 5}},
                    IntersectionCase{"inside", {0, 0, 10, 10}, {2, 3, 4, 5}, {2, 3, 4, 5}},
                    IntersectionCase{"apart", {0, 0, 10, 10}, {20, 0, 5, 5}, Rect::null()},
                    IntersectionCase{"touching edge gives a zero-width rectangle",
                                     {0, 0, 10, 10},
                                     {10, 0, 5, 10},
                                     {10, 0, 0, 10}},
                    IntersectionCase{"negative size", {10, 10, -10, -10}, {5, 5, 10, 10}, {5, 5, 5, 5}},
                    IntersectionCase{"with null", {0, 0, 10, 10}, Rect::null(), Rect::null()}));

TEST(Rect, NullRectangleIsEmptyAndEqualOnlyToNull)
{
    const Rect null = Rect::null();
    EXPECT_TRUE(null.isNull());
    EXPECT_TRUE(null.isEmpty());
    EXPECT_FALSE(null.contains(Point{0, 0}));
    EXPECT_EQ(null, Rect::null());
    EXPECT_EQ(null.width(), 0);
    EXPECT_EQ(null.height(), 0);
    EXPECT_NE(null, (Rect{0, 0, 0, 0}));
    EXPECT_TRUE((Rect{3, 3, 0, 5}).isEmpty());
    EXPECT_FALSE((Rect{3, 3, 0, 5}).isNull());
}

TEST(Rect, ContainsKeepsMaximumEdgesOutside)
{
    const Rect r{0, 0, 10, 10};
    EXPECT_TRUE(r.contains(Point{0, 0}));
    EXPECT_TRUE(r.contains(Point{9.999, 9.999}));
    EXPECT_FALSE(r.contains(Point{10, 5}));
    EXPECT_FALSE(r.contains(Point{5, 10}));
    EXPECT_FALSE(r.contains(Point{-0.001, 5}));
    EXPECT_TRUE((Rect{10, 10, -10, -10}).contains(Point{0, 0}));
    EXPECT_TRUE(r.contains(Rect{0, 0, 10, 10}));
    EXPECT_FALSE(r.contains(Rect{1, 1, 10, 1}));
}

TEST(Rect, IntegralRoundsOriginDownAndFarEdgesUp)
{
    EXPECT_EQ((Rect{0.5, 1.2, 10.1, 3.3}).integral(), (Rect{0, 1, 11, 4}));
    EXPECT_EQ((Rect{-0.5, -1.5, 1, 1}).integral(), (Rect{-1, -2, 2, 2}));
    EXPECT_EQ((Rect{5, 5, -2.5, -2.5}).integral(), (Rect{2, 2, 3, 3}));
    EXPECT_EQ((Rect{3, 4, 5, 6}).integral(), (Rect{3, 4, 5, 6}));
    EXPECT_TRUE(Rect::null().integral().isNull());
}

TEST(Rect, UnionGrowsToIncludeAZeroSizeRectangleButIgnoresNull)
{
    const Rect r{0, 0, 10, 10};
    EXPECT_EQ(r.united(Rect{20, -5, 0, 0}), (Rect{0, -5, 20, 15}));
    EXPECT_EQ(r.united(Rect::null()), r);
    EXPECT_EQ(Rect::null().united(r), r);
}

TEST(Rect, InsetShrinksOrGrowsAndCollapsesToNull)
{
    const Rect r{0, 0, 10, 10};
    EXPECT_EQ(r.insetBy(2, 3), (Rect{2, 3, 6, 4}));
    EXPECT_EQ(r.insetBy(-1, -1), (Rect{-1, -1, 12, 12}));
    EXPECT_TRUE(r.insetBy(6, 0).isNull());
    EXPECT_EQ(r.offsetBy(3, -2), (Rect{3, -2, 10, 10}));
}

TEST(Point, MovesByVectorsAndSubtractsToVectors)
{
    EXPECT_EQ((Point{1, 2} + Vector{3, -4}), (Point{4, -2}));
    EXPECT_EQ((Point{1, 2} - Point{4, 6}), (Vector{-3, -4}));
}

} // namespace
} // namespace quillet
