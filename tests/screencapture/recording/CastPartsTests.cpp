#include "tools/screencapture/recording/CastPictureCopy.hpp"
#include "tools/screencapture/recording/CastPointer.hpp"

#include <array>
#include <cstring>
#include <gtest/gtest.h>
#include <spa/buffer/buffer.h>
#include <spa/buffer/meta.h>
#include <spa/param/video/raw.h>
#include <vector>

namespace quillet::screencapture {
namespace {

constexpr long pictureWidth = 4;
constexpr long pictureHeight = 3;
constexpr std::size_t pictureStride = 24; // rows padded beyond their 16 bytes, as compositors do

// Pixel (x, y) of the cast's picture holds bytes 10x+y+1, 100, 200, 0 in its own order.
std::vector<std::uint8_t> castPicture()
{
    std::vector<std::uint8_t> bytes(pictureStride * pictureHeight, 0xee);
    for (long y = 0; y < pictureHeight; ++y) {
        for (long x = 0; x < pictureWidth; ++x) {
            std::uint8_t* pixel = bytes.data() + std::size_t(y) * pictureStride + std::size_t(x) * 4;
            pixel[0] = std::uint8_t(10 * x + y + 1);
            pixel[1] = 100;
            pixel[2] = 200;
            pixel[3] = 0;
        }
    }
    return bytes;
}

TEST(CastPictureCopy, CopiesTheAreaInTheToolsOrderAndBlacksOutWhatLiesOutside)
{
    struct Case {
        const char* name;
        CastPicture::Order order;
        PixelRect area;
        // The first bytes (B, G, R) of the target's pixels (0, 0) and (1, 1).
        std::array<std::uint8_t, 3> topLeft;
        std::array<std::uint8_t, 3> second;
    };
    const std::vector<Case> cases{
        {"inside, same order", CastPicture::Order::bgrx, {1, 1, 2, 2}, {12, 100, 200}, {23, 100, 200}},
        {"inside, red first", CastPicture::Order::rgbx, {1, 1, 2, 2}, {200, 100, 12}, {200, 100, 23}},
        {"over the bottom-right corner", CastPicture::Order::bgrx, {3, 2, 2, 2}, {33, 100, 200}, {0, 0, 0}},
        {"over the top-left corner", CastPicture::Order::bgrx, {-1, -1, 2, 2}, {0, 0, 0}, {1, 100, 200}},
        {"wholly outside", CastPicture::Order::rgbx, {5, 0, 2, 2}, {0, 0, 0}, {0, 0, 0}},
    };
    const std::vector<std::uint8_t> bytes = castPicture();
    const CastPicture picture{bytes.data(), pictureStride, pictureWidth, pictureHeight, CastPicture::Order::bgrx};
    for (const Case& c : cases) {
        // A target that still holds an earlier picture.
        Bitmap target = Bitmap::black(c.area.width, c.area.height);
        std::memset(target.pixels, 0x77, target.bytesPerRow * std::size_t(target.height));
        CastPicture ordered = picture;
        ordered.order = c.order;
        copyPictureArea(ordered, c.area, target);
        EXPECT_EQ(0, std::memcmp(target.row(0), c.topLeft.data(), 3)) << c.name;
        EXPECT_EQ(0, std::memcmp(target.row(1) + 4, c.second.data(), 3)) << c.name;
    }
}

// A buffer whose only metadata is the pointer's.
class CursorBuffer {
public:
    struct Image {
        std::uint32_t width = 0;
        std::uint32_t height = 0;
        std::uint32_t pixelOffset = sizeof(spa_meta_bitmap); // 0: no image, the pointer is hidden
    };

    CursorBuffer(std::uint32_t id, int x, int y, std::optional<Image> image)
    {
        const std::size_t pixels = image ? std::size_t(image->width) * image->height * 4 : 0;
        bytes_.assign(sizeof(spa_meta_cursor) + sizeof(spa_meta_bitmap) + std::min<std::size_t>(pixels, 64), 0);
        spa_meta_cursor cursor{};
        cursor.id = id;
        cursor.position = SPA_POINT(x, y);
        cursor.hotspot = SPA_POINT(1, 1);
        cursor.bitmap_offset = image ? sizeof(spa_meta_cursor) : 0;
        std::memcpy(bytes_.data(), &cursor, sizeof(cursor));
        if (image) {
            spa_meta_bitmap bitmap{};
            bitmap.format = SPA_VIDEO_FORMAT_RGBA;
            bitmap.size = SPA_RECTANGLE(image->width, image->height);
            bitmap.stride = std::int32_t(image->width * 4);
            bitmap.offset = image->pixelOffset;
            std::memcpy(bytes_.data() + sizeof(cursor), &bitmap, sizeof(bitmap));
            // Opaque red, R, G, B, A in memory.
            for (std::size_t i = sizeof(cursor) + sizeof(bitmap); i + 4 <= bytes_.size(); i += 4) {
                bytes_[i] = 0xff;
                bytes_[i + 3] = 0xff;
            }
        }
    }

    // Valid while this object is neither changed nor moved.
    [[nodiscard]] const spa_buffer& buffer()
    {
        meta_ = spa_meta{SPA_META_Cursor, std::uint32_t(bytes_.size()), bytes_.data()};
        buffer_.n_metas = 1;
        buffer_.metas = &meta_;
        return buffer_;
    }

private:
    std::vector<std::uint8_t> bytes_;
    spa_meta meta_{};
    spa_buffer buffer_{};
};

// The image comes only when it changes, the place with every buffer: a pointer that moves is drawn
// with the image it had.
TEST(CastPointer, KeepsTheLastImageAndFollowsThePlace)
{
    using Image = CursorBuffer::Image;
    struct Step {
        const char* name;
        CursorBuffer buffer;
        std::optional<std::pair<long, long>> redAt; // in the frame; nothing drawn without
    };
    // The frame shows the stream's pixels from (10, 10); the hotspot is at (1, 1) of the image.
    std::vector<Step> steps{
        {"an image at (13, 12)", CursorBuffer(1, 13, 12, Image{2, 2}), {{2, 1}}},
        {"moved, no new image", CursorBuffer(1, 16, 15, std::nullopt), {{5, 4}}},
        {"nothing new", CursorBuffer(0, 99, 99, std::nullopt), {{5, 4}}},
        {"an image too large to be one is ignored", CursorBuffer(1, 14, 14, Image{5000, 2}), {{3, 3}}},
        {"hidden", CursorBuffer(1, 14, 14, Image{2, 2, 0}), std::nullopt},
    };
    CastPointer pointer;
    for (Step& step : steps) {
        pointer.update(step.buffer.buffer());
        const Bitmap frame = Bitmap::black(8, 8);
        pointer.draw(frame, PixelRect{10, 10, 8, 8});
        long redPixels = 0;
        for (long y = 0; y < frame.height; ++y) {
            for (long x = 0; x < frame.width; ++x) {
                redPixels += frame.row(y)[x * 4 + 2] == 0xff;
            }
        }
        if (!step.redAt) {
            EXPECT_EQ(redPixels, 0) << step.name;
            continue;
        }
        EXPECT_EQ(redPixels, 4) << step.name;
        const auto [x, y] = *step.redAt;
        EXPECT_EQ(frame.row(y)[x * 4 + 2], 0xff) << step.name;
        EXPECT_EQ(frame.row(y + 1)[(x + 1) * 4 + 2], 0xff) << step.name;
    }
}

} // namespace
} // namespace quillet::screencapture
