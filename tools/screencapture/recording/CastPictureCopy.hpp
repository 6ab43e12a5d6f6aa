#pragma once

#include "tools/screencapture/still/Bitmap.hpp"
#include "tools/screencapture/x11/PixelRect.hpp"

#include <cstddef>
#include <cstdint>

namespace quillet::screencapture {

// One picture of a screen cast as its buffer holds it: 4 bytes a pixel, in either byte order.
struct CastPicture {
    enum class Order {
        bgrx, // B, G, R, x: the tool's own order
        rgbx, // R, G, B, x
    };

    const std::uint8_t* first = nullptr; // the top-left pixel
    std::size_t bytesPerRow = 0;
    long width = 0;
    long height = 0;
    Order order = Order::bgrx;
};

// Copies the part `area` of `picture` (in its pixels) into `target`, which has `area`'s size, as
// B, G, R, x. Whatever of `area` lies outside the picture is black.
void copyPictureArea(const CastPicture& picture, const PixelRect& area, const Bitmap& target);

} // namespace quillet::screencapture
