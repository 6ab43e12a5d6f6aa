#include "core/Geometry.hpp"

#include <gtest/gtest.h>

namespace quillet {
namespace {

TEST(Vector, ArithmeticWithPoints)
{
    const Point p{10, 20};
    const Vector v{3, -4};
    EXPECT_EQ(p + v, (Point{13, 16}));
    EXPECT_EQ(p - v, (Point{7, 24}));
    EXPECT_EQ((v + Vector{1, 1}), (Vector{4, -3}));
    EXPECT_EQ(v * 2, (Vector{6, -8}));
    EXPECT_EQ((dot(v, Vector{2, 1})), 2);
}

TEST(Vector, LengthAndDistanceAreEuclidean)
{
    EXPECT_EQ(length(Vector{3, -4}), 5);
    EXPECT_EQ(length(Vector{}), 0);
    EXPECT_EQ(distance(Point{1, 1}, Point{4, 5}), 5);
    EXPECT_EQ(distance(Point{4, 5}, Point{1, 1}), 5);
}

} // namespace
} // namespace quillet
