#pragma once

// The baseline of the still benchmarks: libwebp alone, with the still encoder's settings, from a
// ready straight-colour ARGB buffer. Header-only.

#include "core/Pixels.hpp"

#include <QImage>

#include <cstdint>
#include <cstring>
#include <span>
#include <vector>
#include <webp/encode.h>

namespace quillet::bench {

// Straight-colour ARGB words of the image, as libwebp takes them.
inline std::vector<std::uint32_t> straightArgb(const QImage& image)
{
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    std::vector<std::uint32_t> words(static_cast<std::size_t>(argb.width()) * argb.height());
    for (int y = 0; y < argb.height(); ++y) {
        std::memcpy(&words[static_cast<std::size_t>(y) * argb.width()], argb.constScanLine(y),
                    static_cast<std::size_t>(argb.width()) * 4);
    }
    const std::int64_t bytesPerRow = std::int64_t{argb.width()} * 4;
    Pixels::unpremultiply(
        std::span<std::uint8_t>(reinterpret_cast<std::uint8_t*>(words.data()), words.size() * 4),
        argb.width(), argb.height(), bytesPerRow);
    return words;
}

// The encoded size, or 0 when libwebp failed.
inline std::size_t bareEncode(std::vector<std::uint32_t>& words, int width, int height)
{
    WebPConfig config;
    WebPConfigPreset(&config, WEBP_PRESET_DEFAULT, 75);
    config.quality = 90;
    config.method = 4;
    config.use_sharp_yuv = 1;
    WebPPicture picture;
    WebPPictureInit(&picture);
    picture.use_argb = 1;
    picture.width = width;
    picture.height = height;
    picture.argb = words.data();
    picture.argb_stride = width;
    WebPMemoryWriter writer;
    WebPMemoryWriterInit(&writer);
    picture.writer = WebPMemoryWrite;
    picture.custom_ptr = &writer;
    const bool ok = WebPEncode(&config, &picture) != 0;
    const std::size_t size = ok ? writer.size : 0;
    WebPMemoryWriterClear(&writer);
    WebPPictureFree(&picture);
    return size;
}

} // namespace quillet::bench
