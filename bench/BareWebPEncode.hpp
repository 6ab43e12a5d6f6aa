#pragma once

// The baseline of the still benchmarks: libwebp alone, with the still encoder's settings, from a
// ready straight-colour ARGB buffer. Header-only.

#include "core/Pixels.hpp"

#include <QImage>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>
#include <webp/decode.h>
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

// The settings a still is saved with: quality 90, method 4, the sharp colour conversion.
inline WebPConfig stillConfig()
{
    WebPConfig config;
    WebPConfigPreset(&config, WEBP_PRESET_DEFAULT, 75);
    config.quality = 90;
    config.method = 4;
    config.use_sharp_yuv = 1;
    return config;
}

// A picture over straight ARGB words that writes its bytes into `writer`.
inline WebPPicture argbPicture(std::vector<std::uint32_t>& words, int width, int height,
                               WebPMemoryWriter& writer)
{
    WebPPicture picture;
    WebPPictureInit(&picture);
    picture.use_argb = 1;
    picture.width = width;
    picture.height = height;
    picture.argb = words.data();
    picture.argb_stride = width;
    WebPMemoryWriterInit(&writer);
    picture.writer = WebPMemoryWrite;
    picture.custom_ptr = &writer;
    return picture;
}

// The encoded bytes, empty when libwebp failed.
inline std::vector<std::uint8_t> bareEncodeBytes(std::vector<std::uint32_t>& words, int width, int height)
{
    const WebPConfig config = stillConfig();
    WebPMemoryWriter writer;
    WebPPicture picture = argbPicture(words, width, height, writer);
    const bool ok = WebPEncode(&config, &picture) != 0;
    std::vector<std::uint8_t> bytes =
        ok ? std::vector<std::uint8_t>(writer.mem, writer.mem + writer.size) : std::vector<std::uint8_t>();
    WebPMemoryWriterClear(&writer);
    WebPPictureFree(&picture);
    return bytes;
}

// The encoded size, or 0 when libwebp failed.
inline std::size_t bareEncode(std::vector<std::uint32_t>& words, int width, int height)
{
    return bareEncodeBytes(words, width, height).size();
}

// Peak signal-to-noise ratio in dB between two WebP files' decoded RGBA pixels; 0 when either does
// not decode or their sizes differ, infinity when they are equal.
inline double psnr(const std::uint8_t* a, std::size_t aSize, const std::uint8_t* b, std::size_t bSize)
{
    int aWidth = 0;
    int aHeight = 0;
    int bWidth = 0;
    int bHeight = 0;
    std::uint8_t* first = WebPDecodeRGBA(a, aSize, &aWidth, &aHeight);
    std::uint8_t* second = WebPDecodeRGBA(b, bSize, &bWidth, &bHeight);
    double result = 0;
    if (first && second && aWidth == bWidth && aHeight == bHeight) {
        const std::size_t count = static_cast<std::size_t>(aWidth) * aHeight * 4;
        double squares = 0;
        for (std::size_t i = 0; i < count; ++i) {
            const double difference = double(first[i]) - double(second[i]);
            squares += difference * difference;
        }
        result = squares == 0 ? INFINITY : 10 * std::log10(255.0 * 255.0 * double(count) / squares);
    }
    WebPFree(first);
    WebPFree(second);
    return result;
}

} // namespace quillet::bench
