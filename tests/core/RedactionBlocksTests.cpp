#include "core/Pixelation.hpp"
#include "core/RedactionBlocks.hpp"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <gtest/gtest.h>
#include <limits>
#include <ostream>
#include <random>
#include <vector>

namespace quillet {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct BlockCase {
    Rect rect;
    std::int64_t grid;
    std::int64_t expected;

    friend void PrintTo(const BlockCase& c, std::ostream* out)
    {
        *out << c.rect.size.width << " x " << c.rect.size.height << " on a grid of " << c.grid;
    }
};

class RedactionBlockPixels : public ::testing::TestWithParam<BlockCase> {};

TEST_P(RedactionBlockPixels, IsAGridMultipleSpanningAQuarterOfTheSmallerSide)
{
    EXPECT_EQ(RedactionBlocks::blockPixels(GetParam().rect, GetParam().grid), GetParam().expected);
}

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double inf = std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Sizes, RedactionBlockPixels,
    ::testing::Values(BlockCase{{0, 0, 400, 28}, 14, 14},    // a line of small text keeps the grid's block
                      BlockCase{{0, 0, 400, 56}, 14, 14},    // a quarter is exactly one block
                      BlockCase{{0, 0, 400, 70}, 14, 28},    // a quarter of 17.5 takes two
                      BlockCase{{0, 0, 7000, 420}, 14, 112}, // 400 px letters: 105 rounds up to 8 blocks
                      BlockCase{{0, 0, -100, 60}, 28, 28},   // negative sizes count by their length
                      BlockCase{{0, 0, 0, 0}, 14, 14}, BlockCase{{0, 0, nan, 500}, 14, 14},
                      BlockCase{{0, 0, inf, inf}, 14, 14}, BlockCase{{0, 0, 40, 40}, 0, 10}));

[[nodiscard]] Bytes randomPixels(std::int64_t width, std::int64_t height, unsigned seed)
{
    std::mt19937 random(seed);
    Bytes bytes(static_cast<std::size_t>(width * height * 4));
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto value = static_cast<std::uint8_t>(random());
        bytes[i] = i % 4 == 3 ? 255 : value;
    }
    return bytes;
}

// Merging grid means must give the means of the coarse blocks themselves, edges cut short included,
// up to the grid means' own rounding.
TEST(RedactionBlocks, MergedGridMeansAreTheMeansOfTheCoarseBlocks)
{
    for (const auto [width, height, grid, factor] :
         {std::array<std::int64_t, 4>{100, 70, 14, 3}, {97, 61, 7, 2}, {50, 50, 14, 1}, {30, 20, 4, 9}}) {
        const Bytes image = randomPixels(width, height, 7);
        const std::int64_t columns = Pixelation::blockCount(width, grid);
        const std::int64_t rows = Pixelation::blockCount(height, grid);
        Bytes gridMeans(static_cast<std::size_t>(columns * rows * 4));
        Pixelation::blockMeans(image, width, height, width * 4, grid, gridMeans, columns * 4);
        const std::int64_t coarse = grid * factor;
        const std::int64_t coarseColumns = Pixelation::blockCount(width, coarse);
        const std::int64_t coarseRows = Pixelation::blockCount(height, coarse);
        Bytes direct(static_cast<std::size_t>(coarseColumns * coarseRows * 4));
        Pixelation::blockMeans(image, width, height, width * 4, coarse, direct, coarseColumns * 4);
        Bytes merged(direct.size(), 0);

        RedactionBlocks::merge({gridMeans, columns, rows, columns * 4}, width, height, grid, factor,
                               {merged, coarseColumns, coarseRows, coarseColumns * 4});

        for (std::size_t i = 0; i < direct.size(); ++i) {
            ASSERT_LE(std::abs(merged[i] - direct[i]), 1) << width << " x " << height << " byte " << i;
        }
    }
}

// Offsets are bounded, shared by the three colour bytes, kept within alpha, fixed by their random
// key and different under another key; alpha never moves.
TEST(RedactionBlocks, NoiseMovesColourByASeededBoundedOffset)
{
    constexpr std::int64_t width = 40;
    constexpr std::int64_t height = 30;
    Bytes flat(static_cast<std::size_t>(width * height * 4));
    for (std::size_t i = 0; i < flat.size(); i += 4) {
        const std::uint8_t alpha = i % 8 == 0 ? 255 : 100; // every other pixel half transparent
        flat[i] = flat[i + 1] = flat[i + 2] = alpha / 2;
        flat[i + 3] = alpha;
    }
    Bytes once = flat;
    Bytes again = flat;
    Bytes other = flat;
    RedactionBlocks::addNoise({once, width, height, width * 4}, 42);
    RedactionBlocks::addNoise({again, width, height, width * 4}, 42);
    RedactionBlocks::addNoise({other, width, height, width * 4}, 43);

    EXPECT_EQ(once, again);
    EXPECT_NE(once, other);
    int raised = 0;
    int lowered = 0;
    for (std::size_t i = 0; i < once.size(); i += 4) {
        ASSERT_EQ(once[i + 3], flat[i + 3]);
        ASSERT_EQ(once[i], once[i + 1]);
        ASSERT_EQ(once[i], once[i + 2]);
        ASSERT_LE(once[i], once[i + 3]) << "premultiplied colour above its alpha";
        ASSERT_LE(std::abs(once[i] - flat[i]), RedactionBlocks::noiseLevels);
        raised += once[i] > flat[i] ? 1 : 0;
        lowered += once[i] < flat[i] ? 1 : 0;
    }
    EXPECT_GT(raised, static_cast<int>(width * height / 4));
    EXPECT_GT(lowered, static_cast<int>(width * height / 4));
}

} // namespace
} // namespace quillet
