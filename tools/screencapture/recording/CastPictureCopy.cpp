#include "tools/screencapture/recording/CastPictureCopy.hpp"

#include <cstring>
#include <libyuv/convert_argb.h>

namespace quillet::screencapture {

void copyPictureArea(const CastPicture& picture, const PixelRect& area, const Bitmap& target)
{
    const PixelRect inside = area.intersected(PixelRect{0, 0, picture.width, picture.height});
    if (inside != area) {
        // A picture that shrank, or an area at its edge: the rest stays black, never stale.
        for (long row = 0; row < target.height; ++row) {
            std::memset(target.row(row), 0, std::size_t(target.width) * Bitmap::bytesPerPixel);
        }
    }
    if (inside.isEmpty() || picture.first == nullptr) {
        return;
    }
    const std::uint8_t* source =
        picture.first + std::size_t(inside.y) * picture.bytesPerRow + std::size_t(inside.x) * Bitmap::bytesPerPixel;
    std::uint8_t* destination =
        target.row(inside.y - area.y) + std::size_t(inside.x - area.x) * Bitmap::bytesPerPixel;
    const std::size_t rowBytes = std::size_t(inside.width) * Bitmap::bytesPerPixel;
    switch (picture.order) {
    case CastPicture::Order::bgrx:
        for (long row = 0; row < inside.height; ++row) {
            std::memcpy(destination + std::size_t(row) * target.bytesPerRow,
                        source + std::size_t(row) * picture.bytesPerRow, rowBytes);
        }
        return;
    case CastPicture::Order::rgbx:
        // libyuv names formats by the word, not the bytes: its ABGR is R,G,B,A in memory.
        libyuv::ABGRToARGB(source, int(picture.bytesPerRow), destination, int(target.bytesPerRow),
                           int(inside.width), int(inside.height));
        return;
    }
}

} // namespace quillet::screencapture
