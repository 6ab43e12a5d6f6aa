#pragma once

#include "core/Geometry.hpp"

#include <cstdint>
#include <span>

// How a redaction's blocks are sized and coloured so that what lies under it cannot be read back:
// blocks grow with the redaction, so large text is not merely blurred, and every block's colour is
// its mean moved by a secret offset, so rendering candidate texts and comparing their block means
// with the redaction no longer finds an exact match.
namespace quillet::RedactionBlocks {

// A redaction's blocks span at least this share of its smaller side: four blocks across a line of
// text leave no stroke or counter of its glyphs.
inline constexpr double blocksAcrossSmallerSide = 4;

// How far, in 8-bit levels, a block's colour may move from its mean either way: as much as one
// glyph more or less shifts the mean of a block of small text, and little enough that a flat block
// still reads as the colour around it.
inline constexpr int noiseLevels = 24;

// A bitmap of 4-byte pixels whose first three bytes are colour premultiplied by the fourth, alpha.
struct Bitmap {
    std::span<std::uint8_t> bytes;
    std::int64_t width;
    std::int64_t height;
    std::int64_t bytesPerRow;
};

struct ConstBitmap {
    std::span<const std::uint8_t> bytes;
    std::int64_t width;
    std::int64_t height;
    std::int64_t bytesPerRow;
};

// The block edge, in pixels, of a redaction over `rect`: the smallest whole multiple of
// `gridPixels` (below 1 counts as 1) that spans at least a quarter of the rectangle's smaller side.
// Being a multiple, its grid anchored at the image origin shares the lines rectangles snap to.
[[nodiscard]] std::int64_t blockPixels(const Rect& rect, std::int64_t gridPixels);

// Block means on a grid `factor` times coarser than `gridMeans`, one pixel per block, each the mean
// of the grid blocks it covers weighted by their pixels (blocks at the image's right and bottom
// edges are cut short), rounded to nearest with halves up. `gridMeans` holds the means of
// `gridPixels` blocks over an image of `imageWidth` × `imageHeight`; `target` must hold
// ceil(columns / factor) × ceil(rows / factor) pixels. Does nothing when either bitmap is unusable.
void merge(ConstBitmap gridMeans, std::int64_t imageWidth, std::int64_t imageHeight, std::int64_t gridPixels,
           std::int64_t factor, Bitmap target);

// Moves the three colour bytes of every pixel by one offset in [−noiseLevels, noiseLevels], drawn
// from `seed` and the pixel's column and row, keeping them between 0 and the pixel's alpha. The same
// offset for the three keeps a block's hue; alpha is never changed.
void addNoise(Bitmap means, std::uint64_t seed);

} // namespace quillet::RedactionBlocks
