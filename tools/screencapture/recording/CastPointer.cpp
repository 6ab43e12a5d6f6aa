#include "tools/screencapture/recording/CastPointer.hpp"

#include "tools/screencapture/recording/CursorOverlay.hpp"

#include <cstring>
#include <optional>
#include <spa/buffer/buffer.h>
#include <spa/buffer/meta.h>
#include <spa/param/video/raw.h>

namespace quillet::screencapture {
namespace {

// Larger than any pointer a desktop draws, so a corrupt size cannot ask for gigabytes.
constexpr std::uint32_t largestSide = 1024;
constexpr std::size_t bytesPerPixel = 4;

// Where each channel sits among a pixel's four bytes.
struct ByteOrder {
    int alpha, red, green, blue;
};

std::optional<ByteOrder> byteOrder(std::uint32_t format)
{
    switch (format) {
    case SPA_VIDEO_FORMAT_RGBA:
        return ByteOrder{3, 0, 1, 2};
    case SPA_VIDEO_FORMAT_BGRA:
        return ByteOrder{3, 2, 1, 0};
    case SPA_VIDEO_FORMAT_ARGB:
        return ByteOrder{0, 1, 2, 3};
    case SPA_VIDEO_FORMAT_ABGR:
        return ByteOrder{0, 3, 2, 1};
    default:
        return std::nullopt;
    }
}

// What the metadata says of the image: nothing new, no image (the pointer is hidden or elsewhere),
// or a new one.
enum class SpriteNews { none, hidden, shown };

// The image behind `cursor`, when the metadata carries a whole one inside its `size` bytes.
SpriteNews readSprite(const spa_meta_cursor& cursor, std::size_t size, std::shared_ptr<const CastPointer::Sprite>& sprite)
{
    if (cursor.bitmap_offset == 0) {
        return SpriteNews::none;
    }
    if (cursor.bitmap_offset < sizeof(spa_meta_cursor) ||
        std::size_t(cursor.bitmap_offset) + sizeof(spa_meta_bitmap) > size) {
        return SpriteNews::none;
    }
    const auto* base = reinterpret_cast<const std::uint8_t*>(&cursor);
    spa_meta_bitmap bitmap{};
    std::memcpy(&bitmap, base + cursor.bitmap_offset, sizeof(bitmap));
    const std::uint32_t width = bitmap.size.width;
    const std::uint32_t height = bitmap.size.height;
    if (bitmap.offset == 0 || width == 0 || height == 0) {
        return SpriteNews::hidden;
    }
    const auto order = byteOrder(bitmap.format);
    if (!order || width > largestSide || height > largestSide || bitmap.stride < 0 ||
        std::size_t(bitmap.stride) < width * bytesPerPixel) {
        return SpriteNews::none;
    }
    const std::size_t first = std::size_t(cursor.bitmap_offset) + bitmap.offset;
    if (first + std::size_t(bitmap.stride) * (height - 1) + width * bytesPerPixel > size) {
        return SpriteNews::none;
    }
    auto image = std::make_shared<CastPointer::Sprite>();
    image->width = width;
    image->height = height;
    image->argb.resize(std::size_t(width) * height);
    for (std::uint32_t row = 0; row < height; ++row) {
        const std::uint8_t* pixel = base + first + std::size_t(row) * std::size_t(bitmap.stride);
        for (std::uint32_t column = 0; column < width; ++column, pixel += bytesPerPixel) {
            image->argb[std::size_t(row) * width + column] =
                std::uint32_t(pixel[order->alpha]) << 24 | std::uint32_t(pixel[order->red]) << 16 |
                std::uint32_t(pixel[order->green]) << 8 | pixel[order->blue];
        }
    }
    sprite = std::move(image);
    return SpriteNews::shown;
}

} // namespace

void CastPointer::update(const spa_buffer& buffer)
{
    const spa_meta* meta = spa_buffer_find_meta(&buffer, SPA_META_Cursor);
    if (meta == nullptr || meta->data == nullptr || meta->size < sizeof(spa_meta_cursor)) {
        return;
    }
    const auto& cursor = *static_cast<const spa_meta_cursor*>(meta->data);
    // Id 0: nothing new about the pointer in this buffer.
    if (cursor.id == 0) {
        return;
    }
    x_ = cursor.position.x;
    y_ = cursor.position.y;
    hotspotX_ = cursor.hotspot.x;
    hotspotY_ = cursor.hotspot.y;
    switch (readSprite(cursor, meta->size, sprite_)) {
    case SpriteNews::none:
        return;
    case SpriteNews::hidden:
        isVisible_ = false;
        return;
    case SpriteNews::shown:
        isVisible_ = true;
        return;
    }
}

void CastPointer::draw(const Bitmap& frame, const PixelRect& area) const
{
    if (!isVisible_ || !sprite_) {
        return;
    }
    CursorOverlay::blend(frame, sprite_->argb.data(), sprite_->width, sprite_->height, x_ - hotspotX_ - area.x,
                         y_ - hotspotY_ - area.y);
}

} // namespace quillet::screencapture
