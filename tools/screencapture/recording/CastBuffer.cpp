#include "tools/screencapture/recording/CastBuffer.hpp"

#include <spa/buffer/buffer.h>
#include <spa/buffer/meta.h>

namespace quillet::screencapture {
namespace {

constexpr std::uint32_t largestSide = 16384;

} // namespace

std::optional<CastPicture::Order> castPictureOrder(spa_video_format format)
{
    // A monitor's alpha means nothing: the formats with it are read as the same bytes without it.
    switch (format) {
    case SPA_VIDEO_FORMAT_BGRx:
    case SPA_VIDEO_FORMAT_BGRA:
        return CastPicture::Order::bgrx;
    case SPA_VIDEO_FORMAT_RGBx:
    case SPA_VIDEO_FORMAT_RGBA:
        return CastPicture::Order::rgbx;
    default:
        return std::nullopt;
    }
}

std::optional<CastPicture> castPictureIn(const spa_buffer& buffer, const spa_video_info_raw& format,
                                         bool& isGpuBuffer)
{
    const auto order = castPictureOrder(format.format);
    if (buffer.n_datas < 1 || !order) {
        return std::nullopt;
    }
    const spa_data& plane = buffer.datas[0];
    if (plane.type == SPA_DATA_DmaBuf) {
        isGpuBuffer = true;
        return std::nullopt;
    }
    const auto* header = static_cast<const spa_meta_header*>(
        spa_buffer_find_meta_data(&buffer, SPA_META_Header, sizeof(spa_meta_header)));
    if (plane.data == nullptr || plane.chunk == nullptr || plane.chunk->size == 0 ||
        (plane.chunk->flags & SPA_CHUNK_FLAG_CORRUPTED) != 0 ||
        (header != nullptr && (header->flags & SPA_META_HEADER_FLAG_CORRUPTED) != 0)) {
        return std::nullopt;
    }
    const std::uint32_t width = format.size.width;
    const std::uint32_t height = format.size.height;
    if (width == 0 || height == 0 || width > largestSide || height > largestSide) {
        return std::nullopt;
    }
    PixelRect shown{0, 0, long(width), long(height)};
    const auto* crop = static_cast<const spa_meta_region*>(
        spa_buffer_find_meta_data(&buffer, SPA_META_VideoCrop, sizeof(spa_meta_region)));
    if (crop != nullptr && crop->region.size.width > 0 && crop->region.size.height > 0) {
        const PixelRect region{crop->region.position.x, crop->region.position.y, long(crop->region.size.width),
                               long(crop->region.size.height)};
        shown = region.intersected(shown);
    }
    const std::size_t rowBytes = std::size_t(width) * Bitmap::bytesPerPixel;
    const std::size_t stride = plane.chunk->stride > 0 ? std::size_t(plane.chunk->stride) : rowBytes;
    if (shown.isEmpty() || stride < rowBytes ||
        std::uint64_t(plane.chunk->offset) + stride * (height - 1) + rowBytes > plane.maxsize) {
        return std::nullopt;
    }
    const auto* first = static_cast<const std::uint8_t*>(plane.data) + plane.chunk->offset +
                        std::size_t(shown.y) * stride + std::size_t(shown.x) * Bitmap::bytesPerPixel;
    return CastPicture{first, stride, shown.width, shown.height, *order};
}

} // namespace quillet::screencapture
