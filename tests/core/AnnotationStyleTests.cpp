#include "core/AnnotationStyle.hpp"

#include <cmath>
#include <gtest/gtest.h>

namespace quillet {
namespace {

TEST(AnnotationStyle, ConstructorKeepsTheScaleAtLeastOne)
{
    EXPECT_EQ(AnnotationStyle(0.5).scale, 1.0);
    EXPECT_EQ(AnnotationStyle(-3).scale, 1.0);
    EXPECT_EQ(AnnotationStyle(std::nan("")).scale, 1.0);
    EXPECT_EQ(AnnotationStyle(2.5).scale, 2.5);
    EXPECT_EQ(AnnotationStyle().scale, 1.0);
    EXPECT_EQ(AnnotationStyle(0.2), AnnotationStyle(1));
    EXPECT_NE(AnnotationStyle(2), AnnotationStyle(1));
}

TEST(AnnotationStyle, DerivesEverySizeFromTheScale)
{
    const AnnotationStyle style(2);
    EXPECT_DOUBLE_EQ(style.arrowTailRadius(), 3.2);
    EXPECT_DOUBLE_EQ(style.arrowNeckRadius(), 8.4);
    EXPECT_EQ(style.arrowHeadLength(), 52);
    EXPECT_EQ(style.arrowHeadWidth(), 48);
    EXPECT_EQ(style.arrowCornerWidth(), 4);
    EXPECT_EQ(style.numberRadius(), 28);
    EXPECT_EQ(style.numberRingWidth(), 5);
    EXPECT_EQ(style.numberFontSize(), 32);
    EXPECT_EQ(style.textFontSize(), 40);
    EXPECT_EQ(style.redactBlockSize(), 28);
    EXPECT_EQ(style.redactBlockPixels(), 28);
}

struct BlockPixelsCase {
    double scale;
    int pixels;
};

class RedactBlockPixels : public testing::TestWithParam<BlockPixelsCase> {};

TEST_P(RedactBlockPixels, RoundsHalvesAwayFromZeroWithAMinimumOfTwo)
{
    AnnotationStyle style;
    style.scale = GetParam().scale; // assigned later: stored as is
    EXPECT_EQ(style.redactBlockPixels(), GetParam().pixels) << GetParam().scale;
}

INSTANTIATE_TEST_SUITE_P(Cases, RedactBlockPixels,
                         testing::Values(BlockPixelsCase{1.0, 14}, BlockPixelsCase{0.1, 2},
                                         BlockPixelsCase{0, 2}, BlockPixelsCase{-1, 2},
                                         BlockPixelsCase{std::nan(""), 2}, BlockPixelsCase{1.25, 18},
                                         BlockPixelsCase{1.5, 21}, BlockPixelsCase{0.25, 4},
                                         BlockPixelsCase{1e300, 2147483647}));

} // namespace
} // namespace quillet
