#pragma once

#include "tools/screencapture/still/Bitmap.hpp"

#include <cstdint>

namespace quillet::screencapture {

// Writable Y, U and V planes of an even-sized picture (chroma at half size in both directions).
struct I420Planes {
    std::uint8_t* y = nullptr;
    std::uint8_t* u = nullptr;
    std::uint8_t* v = nullptr;
    int yStride = 0;
    int uStride = 0;
    int vStride = 0;
};

// H.264 in 4:2:0 needs even sizes: an odd picture is padded by one column or row.
[[nodiscard]] constexpr long evenSize(long size)
{
    return size + (size & 1);
}

// B,G,R,x → BT.601 limited-range I420 of the padded size; a padding column or row repeats the edge
// so no dark seam bleeds into the last real pixels.
void convertToI420(const Bitmap& source, const I420Planes& target);

} // namespace quillet::screencapture
