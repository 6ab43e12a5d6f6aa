#include "core/RedactionBlocks.hpp"

#include "core/BitmapLayout.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace quillet::RedactionBlocks {
namespace {

constexpr std::int64_t alphaByte = 3;
constexpr int colourBytes = 3;

// SplitMix64's finaliser: every input bit reaches every output bit, so neighbouring blocks draw
// unrelated offsets.
[[nodiscard]] std::uint64_t mixed(std::uint64_t value)
{
    value += 0x9E3779B97F4A7C15ULL;
    value = (value ^ (value >> 30)) * 0xBF58476D1CE4E5B9ULL;
    value = (value ^ (value >> 27)) * 0x94D049BB133111EBULL;
    return value ^ (value >> 31);
}

[[nodiscard]] int offsetAt(std::uint64_t seed, std::int64_t column, std::int64_t row)
{
    const std::uint64_t draw =
        mixed(seed ^ mixed(static_cast<std::uint64_t>(column) ^ mixed(static_cast<std::uint64_t>(row))));
    constexpr std::uint64_t choices = 2 * noiseLevels + 1;
    return static_cast<int>(draw % choices) - noiseLevels;
}

[[nodiscard]] bool isUsable(const ConstBitmap& bitmap)
{
    return bitmap.bytes.data() != nullptr &&
           quillet::isUsable(bitmap.bytes.size(), bitmap.width, bitmap.height, bitmap.bytesPerRow);
}

[[nodiscard]] std::int64_t blockCount(std::int64_t length, std::int64_t block)
{
    return (length - 1) / block + 1;
}

// The mean of the grid blocks from (firstColumn, firstRow), `factor` of them each way or fewer at
// the edges, weighted by the image pixels each covers.
[[nodiscard]] std::array<std::uint8_t, bytesPerPixel>
mergedBlock(const ConstBitmap& grid, std::int64_t imageWidth, std::int64_t imageHeight,
            std::int64_t gridPixels, std::int64_t firstColumn, std::int64_t firstRow, std::int64_t factor)
{
    std::array<std::uint64_t, bytesPerPixel> sums{};
    std::uint64_t pixels = 0;
    for (std::int64_t row = firstRow; row < std::min(grid.height, firstRow + factor); ++row) {
        const auto rowPixels =
            static_cast<std::uint64_t>(std::min(gridPixels, imageHeight - row * gridPixels));
        const std::uint8_t* line = grid.bytes.data() + row * grid.bytesPerRow;
        for (std::int64_t column = firstColumn; column < std::min(grid.width, firstColumn + factor);
             ++column) {
            const auto weight = rowPixels * static_cast<std::uint64_t>(
                                                std::min(gridPixels, imageWidth - column * gridPixels));
            for (std::size_t k = 0; k < sums.size(); ++k) {
                sums[k] += weight * line[column * bytesPerPixel + static_cast<std::int64_t>(k)];
            }
            pixels += weight;
        }
    }
    std::array<std::uint8_t, bytesPerPixel> pixel{};
    for (std::size_t k = 0; k < pixel.size(); ++k) {
        pixel[k] = static_cast<std::uint8_t>((sums[k] + pixels / 2) / pixels);
    }
    return pixel;
}

} // namespace

std::int64_t blockPixels(const Rect& rect, std::int64_t gridPixels)
{
    const std::int64_t grid = std::max<std::int64_t>(gridPixels, 1);
    const double side = std::min(std::abs(rect.size.width), std::abs(rect.size.height));
    const double multiples = std::ceil(side / blocksAcrossSmallerSide / static_cast<double>(grid));
    // Empty, NaN and infinite rectangles keep the grid's own block; no block outgrows an int64.
    if (!(multiples > 1) || std::isinf(multiples)) {
        return grid;
    }
    const double largest = static_cast<double>(std::numeric_limits<std::int64_t>::max() / grid);
    return multiples >= largest ? grid * static_cast<std::int64_t>(largest)
                                : grid * static_cast<std::int64_t>(multiples);
}

void merge(ConstBitmap gridMeans, std::int64_t imageWidth, std::int64_t imageHeight, std::int64_t gridPixels,
           std::int64_t factor, Bitmap target)
{
    const std::int64_t grid = std::max<std::int64_t>(gridPixels, 1);
    const std::int64_t step = std::max<std::int64_t>(factor, 1);
    if (!isUsable(gridMeans) || imageWidth < 1 || imageHeight < 1 ||
        gridMeans.width != blockCount(imageWidth, grid) ||
        gridMeans.height != blockCount(imageHeight, grid)) {
        return;
    }
    const ConstBitmap out{target.bytes, target.width, target.height, target.bytesPerRow};
    if (!isUsable(out) || target.width < blockCount(gridMeans.width, step) ||
        target.height < blockCount(gridMeans.height, step)) {
        return;
    }
    for (std::int64_t row = 0; row * step < gridMeans.height; ++row) {
        std::uint8_t* line = target.bytes.data() + row * target.bytesPerRow;
        for (std::int64_t column = 0; column * step < gridMeans.width; ++column) {
            const auto pixel =
                mergedBlock(gridMeans, imageWidth, imageHeight, grid, column * step, row * step, step);
            std::copy(pixel.begin(), pixel.end(), line + column * bytesPerPixel);
        }
    }
}

void addNoise(Bitmap means, std::uint64_t seed)
{
    if (!isUsable(ConstBitmap{means.bytes, means.width, means.height, means.bytesPerRow})) {
        return;
    }
    for (std::int64_t row = 0; row < means.height; ++row) {
        std::uint8_t* line = means.bytes.data() + row * means.bytesPerRow;
        for (std::int64_t column = 0; column < means.width; ++column) {
            std::uint8_t* pixel = line + column * bytesPerPixel;
            const int offset = offsetAt(seed, column, row);
            const int alpha = pixel[alphaByte];
            for (int k = 0; k < colourBytes; ++k) {
                pixel[k] = static_cast<std::uint8_t>(std::clamp(pixel[k] + offset, 0, alpha));
            }
        }
    }
}

} // namespace quillet::RedactionBlocks
