#include "Quillet/common/AlphaBlur.hpp"

#include <gtest/gtest.h>
#include <numeric>
#include <vector>

namespace quillet {
namespace {

class AlphaBlurSpread : public ::testing::TestWithParam<double> {};

// A single opaque pixel in the middle spreads evenly in every direction, stays within the
// announced margin and keeps (almost) all of its coverage.
TEST_P(AlphaBlurSpread, SpreadsAPointEvenlyWithinTheMargin)
{
    const double sigma = GetParam();
    const int margin = AlphaBlur::margin(sigma);
    const int size = 2 * margin + 1 + 4;
    const int centre = size / 2;
    std::vector<std::uint8_t> channel(static_cast<std::size_t>(size * size), 0);
    channel[static_cast<std::size_t>(centre * size + centre)] = 255;
    // A larger blob keeps rounding from erasing the spread of small deviations.
    for (int y = centre - 1; y <= centre + 1; ++y) {
        for (int x = centre - 1; x <= centre + 1; ++x) {
            channel[static_cast<std::size_t>(y * size + x)] = 255;
        }
    }
    const int before = std::accumulate(channel.begin(), channel.end(), 0);

    AlphaBlur::blur(channel, size, size, size, sigma);

    const auto at = [&](int x, int y) { return channel[static_cast<std::size_t>(y * size + x)]; };
    for (int d = 0; d <= margin + 1; ++d) {
        EXPECT_EQ(at(centre + d, centre), at(centre - d, centre)) << "horizontal offset " << d;
        EXPECT_EQ(at(centre, centre + d), at(centre, centre - d)) << "vertical offset " << d;
        // Rows are blurred before columns, so rounding may differ by one between the axes.
        EXPECT_NEAR(at(centre + d, centre), at(centre, centre + d), 1) << "axis symmetry at " << d;
    }
    EXPECT_LT(at(centre, centre), 255) << "the blob was not blurred";
    EXPECT_GT(at(centre + 2, centre), 0) << "coverage did not spread";
    EXPECT_EQ(at(centre + margin + 2, centre), 0) << "coverage spread past the margin";
    const int after = std::accumulate(channel.begin(), channel.end(), 0);
    EXPECT_NEAR(after, before, before * 0.05);
}

INSTANTIATE_TEST_SUITE_P(Deviations, AlphaBlurSpread, ::testing::Values(1.0, 3.0, 6.4));

TEST(AlphaBlur, TinyDeviationLeavesTheChannelAlone)
{
    std::vector<std::uint8_t> channel{0, 255, 0, 0, 255, 0};
    const std::vector<std::uint8_t> original = channel;
    AlphaBlur::blur(channel, 3, 2, 3, 0.2);
    EXPECT_EQ(channel, original);
    EXPECT_EQ(AlphaBlur::margin(0.2), 0);
}

TEST(AlphaBlur, ShortBufferIsLeftUntouched)
{
    std::vector<std::uint8_t> channel(15, 255);
    channel[0] = 0;
    const std::vector<std::uint8_t> original = channel;
    AlphaBlur::blur(channel, 4, 4, 4, 3.0);
    EXPECT_EQ(channel, original);
}

} // namespace
} // namespace quillet
