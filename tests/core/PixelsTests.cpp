#include "core/Pixels.hpp"

#include <algorithm>
#include <array>
#include <cstdint>
#include <gtest/gtest.h>
#include <vector>

namespace quillet {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct Bitmap {
    std::int64_t width;
    std::int64_t height;
    std::int64_t bytesPerRow;
    Bytes bytes;

    Bitmap(std::int64_t width, std::int64_t height, std::int64_t bytesPerRow, std::uint8_t fill = 0)
        : width(width), height(height), bytesPerRow(bytesPerRow),
          bytes(static_cast<std::size_t>(bytesPerRow * height), fill)
    {
    }

    std::uint8_t* pixel(std::int64_t x, std::int64_t y) { return bytes.data() + y * bytesPerRow + x * 4; }
    [[nodiscard]] bool isFullyTransparent() const
    {
        return Pixels::isFullyTransparent(bytes, width, height, bytesPerRow);
    }
    void unpremultiply() { Pixels::unpremultiply(bytes, width, height, bytesPerRow); }
};

struct UnusableCase {
    const char* name;
    std::int64_t width;
    std::int64_t height;
    std::int64_t bytesPerRow;
    std::size_t bufferSize;
};

class UnusableBitmap : public ::testing::TestWithParam<UnusableCase> {};

TEST_P(UnusableBitmap, IsNeitherTransparentNorChanged)
{
    const UnusableCase& c = GetParam();
    // Zero bytes would be transparent and half-transparent pixels would change, were the bitmap used.
    const Bytes zeros(c.bufferSize, 0);
    EXPECT_FALSE(Pixels::isFullyTransparent(zeros, c.width, c.height, c.bytesPerRow));

    Bytes pixels(c.bufferSize);
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        pixels[i] = i % 4 == 3 ? 128 : 100;
    }
    const Bytes before = pixels;
    Pixels::unpremultiply(pixels, c.width, c.height, c.bytesPerRow);
    EXPECT_EQ(pixels, before);
}

constexpr std::int64_t huge = std::int64_t{1} << 62;

INSTANTIATE_TEST_SUITE_P(Pixels, UnusableBitmap,
                         ::testing::Values(UnusableCase{"rowShorterThanPixels", 16, 4, 63, 63 * 4},
                                           UnusableCase{"zeroWidth", 0, 4, 64, 256},
                                           UnusableCase{"zeroHeight", 16, 0, 64, 256},
                                           UnusableCase{"negativeWidth", -1, 4, 64, 256},
                                           UnusableCase{"negativeRowBytes", 16, 4, -64, 256},
                                           UnusableCase{"bufferOneByteShort", 16, 4, 64, 255},
                                           UnusableCase{"absentBuffer", 16, 4, 64, 0},
                                           UnusableCase{"sizesWhoseProductOverflows", 1, huge, huge, 256},
                                           UnusableCase{"widthWhoseRowOverflows", huge, 1, 64, 256}),
                         [](const auto& info) { return info.param.name; });

TEST(Pixels, AbsentBufferIsNotTransparent)
{
    EXPECT_FALSE(Pixels::isFullyTransparent({}, 1, 1, 4));
}

TEST(Pixels, ZeroBitmapIsTransparentUntilAnyAlphaIsSet)
{
    Bitmap bitmap(64, 64, 256);
    EXPECT_TRUE(bitmap.isFullyTransparent());
    for (const auto [x, y] : {std::array{0, 0}, {1, 0}, {63, 0}, {17, 31}, {0, 63}, {62, 63}, {63, 63}}) {
        bitmap.pixel(x, y)[3] = 1;
        EXPECT_FALSE(bitmap.isFullyTransparent()) << x << "," << y;
        bitmap.pixel(x, y)[3] = 0;
    }
    EXPECT_TRUE(bitmap.isFullyTransparent());
}

TEST(Pixels, ColourUnderZeroAlphaIsStillTransparent)
{
    Bitmap bitmap(33, 5, 33 * 4);
    for (std::int64_t y = 0; y < bitmap.height; ++y) {
        for (std::int64_t x = 0; x < bitmap.width; ++x) {
            std::uint8_t* p = bitmap.pixel(x, y);
            p[0] = p[1] = p[2] = 255;
        }
    }
    EXPECT_TRUE(bitmap.isFullyTransparent());
}

TEST(Pixels, RowPaddingIsNotRead)
{
    Bitmap bitmap(7, 3, 7 * 4 + 5, 0xFF);
    for (std::int64_t y = 0; y < bitmap.height; ++y) {
        for (std::int64_t x = 0; x < bitmap.width; ++x) {
            bitmap.pixel(x, y)[3] = 0;
        }
    }
    EXPECT_TRUE(bitmap.isFullyTransparent());
}

// Widths around the scan's word and block sizes, with the only visible pixel last.
class TransparencyWidth : public ::testing::TestWithParam<std::int64_t> {};

TEST_P(TransparencyWidth, FindsTheLastPixel)
{
    const std::int64_t width = GetParam();
    for (const std::int64_t padding : {0, 4, 6}) {
        Bitmap bitmap(width, 3, width * 4 + padding);
        EXPECT_TRUE(bitmap.isFullyTransparent());
        bitmap.pixel(width - 1, 2)[3] = 0x80;
        EXPECT_FALSE(bitmap.isFullyTransparent()) << "padding " << padding;
    }
}

INSTANTIATE_TEST_SUITE_P(Pixels, TransparencyWidth, ::testing::Values(1, 2, 3, 511, 512, 513, 1023, 1025));

TEST(Pixels, UnpremultipliesWithTruncationAndCap)
{
    Bitmap bitmap(1, 1, 4);
    const std::array<std::uint8_t, 4> input{100, 50, 200, 128};
    std::copy(input.begin(), input.end(), bitmap.bytes.begin());
    bitmap.unpremultiply();
    EXPECT_EQ(bitmap.bytes, (Bytes{199, 99, 255, 128}));
}

// Every colour under every alpha, in every colour position, laid out as wide rows and as one-pixel rows
// (wide rows are converted several pixels at a time, short runs one by one).
class UnpremultiplyLayout : public ::testing::TestWithParam<std::int64_t> {};

TEST_P(UnpremultiplyLayout, MatchesTheFormulaForEveryColourAndAlpha)
{
    const std::int64_t width = GetParam();
    const std::int64_t pixelCount = 256 * 256;
    Bitmap bitmap(width, pixelCount / width, width * 4);
    for (int alpha = 0; alpha < 256; ++alpha) {
        for (int colour = 0; colour < 256; ++colour) {
            std::uint8_t* p = bitmap.bytes.data() + (alpha * 256 + colour) * 4;
            p[0] = static_cast<std::uint8_t>(colour);
            p[1] = static_cast<std::uint8_t>(255 - colour);
            p[2] = static_cast<std::uint8_t>(colour ^ 0x5A);
            p[3] = static_cast<std::uint8_t>(alpha);
        }
    }
    const Bytes before = bitmap.bytes;
    bitmap.unpremultiply();

    for (std::size_t i = 0; i < before.size(); i += 4) {
        const int alpha = before[i + 3];
        for (std::size_t k = 0; k < 3; ++k) {
            int expected = before[i + k];
            if (alpha != 0 && alpha != 255) {
                expected = std::min(expected * 255 / alpha, 255);
            }
            ASSERT_EQ(bitmap.bytes[i + k], expected) << "byte " << i + k << " alpha " << alpha;
        }
        ASSERT_EQ(bitmap.bytes[i + 3], alpha);
    }
}

INSTANTIATE_TEST_SUITE_P(Pixels, UnpremultiplyLayout, ::testing::Values(256, 1));

TEST(Pixels, UnpremultiplyLeavesRowPaddingAlone)
{
    // Padding bytes look like a half-transparent pixel; they must not be converted.
    Bitmap bitmap(3, 4, 3 * 4 + 8);
    for (std::size_t i = 0; i < bitmap.bytes.size(); ++i) {
        bitmap.bytes[i] = i % 4 == 3 ? 128 : 100;
    }
    bitmap.unpremultiply();
    for (std::int64_t y = 0; y < bitmap.height; ++y) {
        for (std::int64_t x = 0; x < bitmap.width; ++x) {
            EXPECT_EQ(bitmap.pixel(x, y)[0], 199);
        }
        const std::uint8_t* padding = bitmap.bytes.data() + y * bitmap.bytesPerRow + 12;
        EXPECT_EQ(Bytes(padding, padding + 8), (Bytes{100, 100, 100, 128, 100, 100, 100, 128}));
    }
}

} // namespace
} // namespace quillet
