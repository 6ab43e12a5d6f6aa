#include "core/Pixelation.hpp"

#include <algorithm>
#include <cstdint>
#include <gtest/gtest.h>
#include <limits>
#include <ostream>
#include <random>
#include <vector>

namespace quillet {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The plain definition: every block's bytes summed one by one, then the rounded mean written back.
Bytes referencePixelation(Bytes bytes, std::int64_t width, std::int64_t height, std::int64_t bytesPerRow,
                          std::int64_t blockSize)
{
    const std::int64_t b = std::max<std::int64_t>(blockSize, 1);
    for (std::int64_t y0 = 0; y0 < height; y0 += b) {
        for (std::int64_t x0 = 0; x0 < width; x0 += b) {
            const std::int64_t y1 = std::min(height, y0 + b);
            const std::int64_t x1 = std::min(width, x0 + b);
            const auto n = static_cast<std::uint64_t>((y1 - y0) * (x1 - x0));
            for (std::int64_t k = 0; k < 4; ++k) {
                std::uint64_t sum = 0;
                for (std::int64_t y = y0; y < y1; ++y) {
                    for (std::int64_t x = x0; x < x1; ++x) {
                        sum += bytes[static_cast<std::size_t>(y * bytesPerRow + x * 4 + k)];
                    }
                }
                for (std::int64_t y = y0; y < y1; ++y) {
                    for (std::int64_t x = x0; x < x1; ++x) {
                        bytes[static_cast<std::size_t>(y * bytesPerRow + x * 4 + k)] =
                            static_cast<std::uint8_t>((sum + n / 2) / n);
                    }
                }
            }
        }
    }
    return bytes;
}

Bytes randomBytes(std::size_t count, std::uint32_t seed)
{
    std::mt19937 generator(seed);
    std::uniform_int_distribution<int> byte(0, 255);
    Bytes bytes(count);
    for (auto& b : bytes) {
        b = static_cast<std::uint8_t>(byte(generator));
    }
    return bytes;
}

struct BitmapCase {
    const char* name;
    std::int64_t width;
    std::int64_t height;
    std::int64_t rowPadding;
    std::int64_t blockSize;
    friend void PrintTo(const BitmapCase& c, std::ostream* os) { *os << c.name; }
};

class PixelationOfRandomBitmaps : public testing::TestWithParam<BitmapCase> {};

// Row padding is filled with random bytes too, and must come out untouched.
TEST_P(PixelationOfRandomBitmaps, MatchesThePlainDefinition)
{
    const auto& c = GetParam();
    const std::int64_t bytesPerRow = c.width * 4 + c.rowPadding;
    const Bytes input = randomBytes(static_cast<std::size_t>(bytesPerRow * c.height), 7);
    Bytes pixelated = input;
    Pixelation::pixelate(pixelated, c.width, c.height, bytesPerRow, c.blockSize);
    const Bytes reference = referencePixelation(input, c.width, c.height, bytesPerRow, c.blockSize);
    EXPECT_EQ(pixelated, reference);

    // One pixel per block carries the block's colour of the full-size pixelation.
    const std::int64_t columns = Pixelation::blockCount(c.width, c.blockSize);
    const std::int64_t rows = Pixelation::blockCount(c.height, c.blockSize);
    const std::int64_t block = std::min(c.blockSize, std::max(c.width, c.height));
    Bytes means(static_cast<std::size_t>(columns * rows * 4), 0);
    Pixelation::blockMeans(input, c.width, c.height, bytesPerRow, c.blockSize, means, columns * 4);
    for (std::int64_t j = 0; j < rows; ++j) {
        for (std::int64_t i = 0; i < columns; ++i) {
            for (std::int64_t k = 0; k < 4; ++k) {
                ASSERT_EQ(means[static_cast<std::size_t>((j * columns + i) * 4 + k)],
                          reference[static_cast<std::size_t>(j * block * bytesPerRow + i * block * 4 + k)])
                    << "block " << i << ", " << j;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PixelationOfRandomBitmaps,
    testing::Values(BitmapCase{"blocks cut by both edges", 37, 23, 0, 5},
                    BitmapCase{"blocks of 28 over padded rows", 100, 61, 12, 28},
                    BitmapCase{"odd row padding", 45, 9, 3, 4},
                    BitmapCase{"more block columns than one chunk", 1000, 6, 0, 3},
                    BitmapCase{"blocks wider than the flush run", 2100, 3, 8, 2100},
                    BitmapCase{"block larger than the bitmap", 13, 11, 4, 1000},
                    BitmapCase{"one row", 50, 1, 0, 7}, BitmapCase{"one column", 1, 50, 4, 7},
                    BitmapCase{"huge block size", 9, 9, 0, std::numeric_limits<std::int64_t>::max()}));

TEST(Pixelation, AveragesEveryBlockOfASmallBitmap)
{
    // 3 x 3 with block size 2: blocks of 4, 2, 2 and 1 pixels. Byte k of pixel i is i * 4 + k.
    Bytes bytes(36);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<std::uint8_t>(i);
    }
    Pixelation::pixelate(bytes, 3, 3, 12, 2);
    const auto pixel = [&](int x, int y) {
        const auto at = static_cast<std::size_t>((y * 3 + x) * 4);
        return Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                     bytes.begin() + static_cast<std::ptrdiff_t>(at) + 4);
    };
    // Pixels 0, 1, 3, 4: byte 0 sums to 0 + 4 + 12 + 16 = 32, mean 8.
    for (const auto& [x, y] : {std::pair{0, 0}, std::pair{1, 0}, std::pair{0, 1}, std::pair{1, 1}}) {
        EXPECT_EQ(pixel(x, y), (Bytes{8, 9, 10, 11}));
    }
    // Pixels 2 and 5: (8 + 20) / 2 = 14.
    EXPECT_EQ(pixel(2, 0), (Bytes{14, 15, 16, 17}));
    EXPECT_EQ(pixel(2, 1), (Bytes{14, 15, 16, 17}));
    // Pixels 6 and 7: (24 + 28) / 2 = 26.
    EXPECT_EQ(pixel(0, 2), (Bytes{26, 27, 28, 29}));
    EXPECT_EQ(pixel(1, 2), (Bytes{26, 27, 28, 29}));
    EXPECT_EQ(pixel(2, 2), (Bytes{32, 33, 34, 35})) << "the single corner pixel keeps its value";
}

TEST(Pixelation, RoundsMeansHalfUp)
{
    // One 2 x 2 block; byte positions hold 0 0 1 1 (0.5), 0 0 0 1 (0.25), 0 1 1 1 (0.75), 255 255 254 254.
    Bytes bytes{0, 0, 0, 255, 0, 0, 1, 255, 1, 0, 1, 254, 1, 1, 1, 254};
    Pixelation::pixelate(bytes, 2, 2, 8, 2);
    for (std::size_t i = 0; i < bytes.size(); i += 4) {
        EXPECT_EQ(Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(i),
                        bytes.begin() + static_cast<std::ptrdiff_t>(i) + 4),
                  (Bytes{1, 0, 1, 255}));
    }
}

TEST(Pixelation, LeavesUnusableBitmapsAndSinglePixelBlocksUntouched)
{
    const Bytes input = randomBytes(8 * 8 * 4, 3);
    const auto untouched = [&](auto pixelate) {
        Bytes bytes = input;
        pixelate(bytes);
        return bytes == input;
    };
    EXPECT_TRUE(untouched([](Bytes& b) { Pixelation::pixelate(b, 8, 8, 32, 0); })) << "block size 0";
    EXPECT_TRUE(untouched([](Bytes& b) { Pixelation::pixelate(b, 8, 8, 32, -5); })) << "negative block size";
    EXPECT_TRUE(untouched([](Bytes& b) { Pixelation::pixelate(b, 8, 8, 32, 1); })) << "block size 1";
    EXPECT_TRUE(untouched([](Bytes& b) { Pixelation::pixelate(b, 8, 8, 31, 4); })) << "rows too short";
    EXPECT_TRUE(untouched([](Bytes& b) { Pixelation::pixelate(b, 8, 9, 32, 4); })) << "buffer too short";
    EXPECT_TRUE(untouched([](Bytes& b) { Pixelation::pixelate(b, 0, 8, 32, 4); })) << "no width";
    EXPECT_TRUE(untouched([](Bytes& b) { Pixelation::pixelate(b, 8, -1, 32, 4); })) << "negative height";
    EXPECT_TRUE(untouched([](Bytes& b) { Pixelation::pixelate(b, 8, 8, -32, 4); })) << "negative row length";
    EXPECT_TRUE(untouched([](Bytes& b) {
        Pixelation::pixelate(b, 8, std::numeric_limits<std::int64_t>::max(), 32, 4);
    })) << "height whose byte count overflows";
    Pixelation::pixelate({}, 8, 8, 32, 4); // an absent buffer is simply ignored
}

TEST(Pixelation, SumsLongRunsOfBrightBytesWithoutWrapping)
{
    constexpr std::int64_t width = 5000;
    Bytes bytes(width * 4 * 2, 255);
    bytes[3] = 0; // one alpha byte of 0 in 10000 pixels: the alpha mean still rounds to 255
    Pixelation::pixelate(bytes, width, 2, width * 4, width);
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), 255), static_cast<std::ptrdiff_t>(bytes.size()));
}

TEST(Pixelation, BufferLongerThanTheBitmapKeepsItsTail)
{
    Bytes bytes = randomBytes(4 * 4 * 4 + 10, 11);
    const Bytes input = bytes;
    Pixelation::pixelate(bytes, 4, 4, 16, 2);
    EXPECT_TRUE(std::equal(bytes.end() - 10, bytes.end(), input.end() - 10));
    EXPECT_NE(bytes, input);
}

} // namespace
} // namespace quillet
