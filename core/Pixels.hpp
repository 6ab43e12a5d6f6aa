#pragma once

#include "core/BitmapLayout.hpp"

#include <cstdint>
#include <span>

// Checks and conversions over 32-bit-per-pixel bitmaps: 4 bytes a pixel, the fourth byte alpha and the
// first three colour in the caller's order, rows `bytesPerRow` bytes apart. Bytes between the end of a
// row's pixels and the start of the next row are never read or written.
//
// A bitmap is unusable when width or height is below 1, when `bytesPerRow` is below 4 × width, or when
// the buffer (an empty span counts as absent) holds fewer than `bytesPerRow` × height bytes. Both
// operations run over whole captures: integer arithmetic only, no allocation.
namespace quillet::Pixels {

// True exactly when every pixel's alpha is 0; false for an unusable bitmap.
[[nodiscard]] bool isFullyTransparent(std::span<const std::uint8_t> buffer, std::int64_t width,
                                      std::int64_t height, std::int64_t bytesPerRow);

// Turns premultiplied colour into straight colour in place: for alpha a other than 0 and 255 each colour
// byte c becomes min(c × 255 / a, 255), truncating. Does nothing to an unusable bitmap.
void unpremultiply(std::span<std::uint8_t> buffer, std::int64_t width, std::int64_t height,
                   std::int64_t bytesPerRow);

} // namespace quillet::Pixels
