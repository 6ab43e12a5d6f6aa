#pragma once

#include <cstdint>
#include <span>

// Block-averaging of 32-bit-per-pixel bitmaps, the effect behind redactions. Pixels are 4 bytes,
// treated alike whatever their channel order; rows start `bytesPerRow` bytes apart, and the padding
// after a row's pixels is never read or written.
namespace quillet::Pixelation {

// Tiles the bitmap into blockSize × blockSize blocks from the top-left corner (the last row and column
// of blocks cut short by the edges) and sets every pixel of a block to the block's mean, each byte
// rounded to nearest with halves up. Block sizes below 1 count as 1. Does nothing when width or height
// is below 1, `bytesPerRow` is below 4 × width, or the buffer is shorter than `bytesPerRow` × height.
// Runs in place without allocating.
void pixelate(std::span<std::uint8_t> buffer, std::int64_t width, std::int64_t height,
              std::int64_t bytesPerRow, std::int64_t blockSize);

// How many blocks of `blockSize` (below 1 counts as 1) cover `length` pixels, the last one cut short.
[[nodiscard]] std::int64_t blockCount(std::int64_t length, std::int64_t blockSize);

// The pixelated bitmap at one pixel per block: pixel (i, j) of `target` is the mean of block (i, j) as
// `pixelate` computes it; `target` holds blockCount(width) × blockCount(height) pixels, rows
// `targetBytesPerRow` apart. Scaling it up by the block size without smoothing gives `pixelate`'s
// result. Does nothing when either bitmap is unusable.
void blockMeans(std::span<const std::uint8_t> buffer, std::int64_t width, std::int64_t height,
                std::int64_t bytesPerRow, std::int64_t blockSize, std::span<std::uint8_t> target,
                std::int64_t targetBytesPerRow);

} // namespace quillet::Pixelation
