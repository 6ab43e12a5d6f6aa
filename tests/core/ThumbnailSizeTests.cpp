#include "core/ThumbnailSize.hpp"

#include <gtest/gtest.h>
#include <limits>

namespace quillet {
namespace {

using ThumbnailSize::PixelSize;

struct ScaleCase {
    const char* title;
    std::int64_t width;
    std::int64_t height;
    double maxPixels;
    std::optional<PixelSize> expected;
};

class ScaledDown : public ::testing::TestWithParam<ScaleCase> {};

TEST_P(ScaledDown, FitsTheLongerSide)
{
    const ScaleCase& c = GetParam();
    EXPECT_EQ(ThumbnailSize::scaledDown(c.width, c.height, c.maxPixels), c.expected);
}

INSTANTIATE_TEST_SUITE_P(ThumbnailSize, ScaledDown,
                         ::testing::Values(ScaleCase{"landscape", 2880, 1800, 440, PixelSize{440, 275}},
                                           ScaleCase{"portrait", 1800, 2880, 440, PixelSize{275, 440}},
                                           ScaleCase{"alreadyFits", 400, 300, 440, std::nullopt},
                                           ScaleCase{"equalIsNotLarger", 440, 100, 440, std::nullopt},
                                           ScaleCase{"thinSideRaisedToOne", 10000, 1, 440, PixelSize{440, 1}},
                                           ScaleCase{"halfRoundsUp", 880, 3, 440, PixelSize{440, 2}},
                                           ScaleCase{"zeroLimit", 2880, 1800, 0, std::nullopt},
                                           ScaleCase{"negativeLimit", 2880, 1800, -1, std::nullopt},
                                           ScaleCase{"notANumberLimit", 2880, 1800,
                                                     std::numeric_limits<double>::quiet_NaN(), std::nullopt},
                                           ScaleCase{"noPixels", 0, 1800, 440, std::nullopt},
                                           ScaleCase{"negativeSize", -2880, 1800, 440, std::nullopt}),
                         [](const auto& info) { return info.param.title; });

} // namespace
} // namespace quillet
