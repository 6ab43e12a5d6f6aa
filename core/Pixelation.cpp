#include "core/Pixelation.hpp"

#include "core/BitmapLayout.hpp"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quillet::Pixelation {
namespace {

// Blocks of one band summed together: enough to stream long runs, few enough that the band's rows
// of them stay in cache between the summing and the writing pass.
constexpr std::int64_t blocksPerChunk = 64;

// Per-byte sums of a block, wide enough for any block of a bitmap that fits in memory.
using ByteSums = std::array<std::uint64_t, bytesPerPixel>;

#if defined(__SSE2__)
// 16-bit lanes hold 257 bytes of 255; each lane takes one byte per four pixels.
constexpr std::int64_t pixelsPerFlush = 1024;

void addLanes(ByteSums& sums, __m128i wideLanes)
{
    alignas(16) std::array<std::uint32_t, bytesPerPixel> lanes;
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes.data()), wideLanes);
    for (std::size_t k = 0; k < lanes.size(); ++k) {
        sums[k] += lanes[k];
    }
}

// Two pixels' bytes in 16-bit lanes, folded into one 32-bit lane per byte position.
__m128i foldPixelPairs(__m128i first, __m128i second)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i low = _mm_add_epi32(_mm_unpacklo_epi16(first, zero), _mm_unpackhi_epi16(first, zero));
    const __m128i high = _mm_add_epi32(_mm_unpacklo_epi16(second, zero), _mm_unpackhi_epi16(second, zero));
    return _mm_add_epi32(low, high);
}

void addRun(ByteSums& sums, const std::uint8_t* run, std::int64_t pixelCount)
{
    const __m128i zero = _mm_setzero_si128();
    std::int64_t i = 0;
    while (pixelCount - i >= 4) {
        const std::int64_t end = std::min(pixelCount - pixelCount % 4, i + pixelsPerFlush);
        __m128i first = zero;
        __m128i second = zero;
        for (; i < end; i += 4) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(run + i * bytesPerPixel));
            first = _mm_add_epi16(first, _mm_unpacklo_epi8(bytes, zero));
            second = _mm_add_epi16(second, _mm_unpackhi_epi8(bytes, zero));
        }
        addLanes(sums, foldPixelPairs(first, second));
    }
    for (; i < pixelCount; ++i) {
        for (std::size_t k = 0; k < sums.size(); ++k) {
            sums[k] += run[i * bytesPerPixel + static_cast<std::int64_t>(k)];
        }
    }
}

void fillRun(std::uint8_t* run, std::int64_t pixelCount, const std::array<std::uint8_t, bytesPerPixel>& pixel)
{
    std::uint32_t word;
    std::memcpy(&word, pixel.data(), sizeof word);
    const __m128i pixels = _mm_set1_epi32(static_cast<int>(word));
    std::int64_t i = 0;
    for (; i + 4 <= pixelCount; i += 4) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(run + i * bytesPerPixel), pixels);
    }
    for (; i < pixelCount; ++i) {
        std::memcpy(run + i * bytesPerPixel, pixel.data(), pixel.size());
    }
}
#else
void addRun(ByteSums& sums, const std::uint8_t* run, std::int64_t pixelCount)
{
    for (std::int64_t i = 0; i < pixelCount; ++i) {
        for (std::size_t k = 0; k < sums.size(); ++k) {
            sums[k] += run[i * bytesPerPixel + static_cast<std::int64_t>(k)];
        }
    }
}

void fillRun(std::uint8_t* run, std::int64_t pixelCount, const std::array<std::uint8_t, bytesPerPixel>& pixel)
{
    for (std::int64_t i = 0; i < pixelCount; ++i) {
        std::memcpy(run + i * bytesPerPixel, pixel.data(), pixel.size());
    }
}
#endif

// The mean of each byte, rounded to nearest with halves up.
std::array<std::uint8_t, bytesPerPixel> mean(const ByteSums& sums, std::uint64_t pixelCount)
{
    std::array<std::uint8_t, bytesPerPixel> pixel{};
    for (std::size_t k = 0; k < pixel.size(); ++k) {
        pixel[k] = static_cast<std::uint8_t>((sums[k] + pixelCount / 2) / pixelCount);
    }
    return pixel;
}

struct Band {
    const std::uint8_t* firstRow;
    std::int64_t rows;
    std::int64_t bytesPerRow;
};

using BlockMeans = std::array<std::array<std::uint8_t, bytesPerPixel>, blocksPerChunk>;

// The means of the blocks starting at `firstColumn` of one band, at most `blocksPerChunk` of them,
// summed row by row along the rows.
BlockMeans chunkMeans(const Band& band, std::int64_t firstColumn, std::int64_t endColumn,
                      std::int64_t blockSize)
{
    std::array<ByteSums, blocksPerChunk> sums{};
    for (std::int64_t row = 0; row < band.rows; ++row) {
        const std::uint8_t* rowStart = band.firstRow + row * band.bytesPerRow;
        std::size_t block = 0;
        for (std::int64_t x = firstColumn; x < endColumn; x += blockSize, ++block) {
            addRun(sums[block], rowStart + x * bytesPerPixel, std::min(blockSize, endColumn - x));
        }
    }
    BlockMeans means{};
    std::size_t block = 0;
    for (std::int64_t x = firstColumn; x < endColumn; x += blockSize, ++block) {
        const auto blockWidth = static_cast<std::uint64_t>(std::min(blockSize, endColumn - x));
        means[block] = mean(sums[block], blockWidth * static_cast<std::uint64_t>(band.rows));
    }
    return means;
}

// Pixelates one chunk of a band in two passes, summing and then writing, both streaming along the
// rows so that the band's rows stay in cache between them.
void pixelateChunk(std::uint8_t* firstRow, const Band& band, std::int64_t firstColumn, std::int64_t width,
                   std::int64_t blockSize)
{
    const std::int64_t endColumn = std::min(width, firstColumn + blocksPerChunk * blockSize);
    const BlockMeans means = chunkMeans(band, firstColumn, endColumn, blockSize);
    for (std::int64_t row = 0; row < band.rows; ++row) {
        std::uint8_t* rowStart = firstRow + row * band.bytesPerRow;
        std::size_t block = 0;
        for (std::int64_t x = firstColumn; x < endColumn; x += blockSize, ++block) {
            fillRun(rowStart + x * bytesPerPixel, std::min(blockSize, endColumn - x), means[block]);
        }
    }
}

// A block larger than the bitmap is the whole bitmap; capping it keeps the loops from overflowing.
std::int64_t usableBlock(std::int64_t blockSize, std::int64_t width, std::int64_t height)
{
    return std::min(std::max<std::int64_t>(blockSize, 1), std::max(width, height));
}

} // namespace

void pixelate(std::span<std::uint8_t> buffer, std::int64_t width, std::int64_t height,
              std::int64_t bytesPerRow, std::int64_t blockSize)
{
    if (buffer.data() == nullptr || !isUsable(buffer.size(), width, height, bytesPerRow)) {
        return;
    }
    const std::int64_t block = usableBlock(blockSize, width, height);
    // Blocks of one pixel are their own mean.
    if (block == 1) {
        return;
    }
    for (std::int64_t y = 0; y < height; y += block) {
        std::uint8_t* firstRow = buffer.data() + y * bytesPerRow;
        const Band band{firstRow, std::min(block, height - y), bytesPerRow};
        for (std::int64_t x = 0; x < width; x += blocksPerChunk * block) {
            pixelateChunk(firstRow, band, x, width, block);
        }
    }
}

std::int64_t blockCount(std::int64_t length, std::int64_t blockSize)
{
    const std::int64_t block = std::max<std::int64_t>(blockSize, 1);
    return length < 1 ? 0 : (length - 1) / block + 1;
}

void blockMeans(std::span<const std::uint8_t> buffer, std::int64_t width, std::int64_t height,
                std::int64_t bytesPerRow, std::int64_t blockSize, std::span<std::uint8_t> target,
                std::int64_t targetBytesPerRow)
{
    if (buffer.data() == nullptr || target.data() == nullptr ||
        !isUsable(buffer.size(), width, height, bytesPerRow)) {
        return;
    }
    const std::int64_t block = usableBlock(blockSize, width, height);
    if (!isUsable(target.size(), blockCount(width, block), blockCount(height, block), targetBytesPerRow)) {
        return;
    }
    for (std::int64_t y = 0, targetRow = 0; y < height; y += block, ++targetRow) {
        const Band band{buffer.data() + y * bytesPerRow, std::min(block, height - y), bytesPerRow};
        for (std::int64_t x = 0; x < width; x += blocksPerChunk * block) {
            const std::int64_t endColumn = std::min(width, x + blocksPerChunk * block);
            const BlockMeans means = chunkMeans(band, x, endColumn, block);
            std::uint8_t* out = target.data() + targetRow * targetBytesPerRow + (x / block) * bytesPerPixel;
            for (std::int64_t column = x, i = 0; column < endColumn; column += block, ++i) {
                std::memcpy(out + i * bytesPerPixel, means[static_cast<std::size_t>(i)].data(),
                            bytesPerPixel);
            }
        }
    }
}

} // namespace quillet::Pixelation
