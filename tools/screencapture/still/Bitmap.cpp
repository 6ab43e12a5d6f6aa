#include "tools/screencapture/still/Bitmap.hpp"

#include <bit>
#include <cstdlib>
#include <cstring>

namespace quillet::screencapture {

Bitmap Bitmap::black(long width, long height)
{
    Bitmap bitmap;
    if (width <= 0 || height <= 0) {
        return bitmap;
    }
    const std::size_t bytesPerRow = std::size_t(width) * bytesPerPixel;
    // calloc hands out zeroed pages lazily, which is much cheaper than clearing them here.
    void* memory = std::calloc(std::size_t(height), bytesPerRow);
    if (memory == nullptr) {
        return bitmap;
    }
    bitmap.width = width;
    bitmap.height = height;
    bitmap.bytesPerRow = bytesPerRow;
    bitmap.pixels = static_cast<std::uint8_t*>(memory);
    bitmap.storage = std::shared_ptr<void>(memory, std::free);
    return bitmap;
}

void Bitmap::paste(const Bitmap& source, long sourceX, long sourceY, long originX, long originY,
                   const PixelRect& area)
{
    const PixelRect target = area.intersected({originX, originY, width, height})
                                 .intersected({sourceX, sourceY, source.width, source.height});
    if (target.isEmpty() || source.isEmpty() || isEmpty()) {
        return;
    }
    const std::size_t rowBytes = std::size_t(target.width) * bytesPerPixel;
    for (long y = target.y; y < target.bottom(); ++y) {
        const std::uint8_t* from = source.row(y - sourceY) + std::size_t(target.x - sourceX) * bytesPerPixel;
        std::uint8_t* to = row(y - originY) + std::size_t(target.x - originX) * bytesPerPixel;
        std::memcpy(to, from, rowBytes);
    }
}

void Bitmap::makeOpaque()
{
    if constexpr (std::endian::native == std::endian::little) {
        // Whole pixels at a time, which the compiler turns into vector instructions: the byte loop
        // below costs tens of milliseconds at 4K, on the way from key press to card.
        constexpr std::uint32_t opaque = 0xff000000;
        for (long y = 0; y < height; ++y) {
            auto* pixel = reinterpret_cast<std::uint32_t*>(row(y));
            for (long x = 0; x < width; ++x) {
                pixel[x] |= opaque;
            }
        }
        return;
    }
    constexpr std::size_t unusedByte = 3;
    for (long y = 0; y < height; ++y) {
        std::uint8_t* pixel = row(y) + unusedByte;
        for (long x = 0; x < width; ++x, pixel += bytesPerPixel) {
            *pixel = 0xff;
        }
    }
}

Bitmap Bitmap::copied(const PixelRect& area, long originX, long originY) const
{
    Bitmap copy = black(area.width, area.height);
    copy.paste(*this, originX, originY, area.x, area.y, area);
    return copy;
}

} // namespace quillet::screencapture
