#pragma once

#include <QImage>

#include <cstdint>

namespace quillet::testing {

// Premultiplied pixels that differ from their neighbours (a fixed sequence from `seed`), so a pixel
// averaged, copied or painted a row off shows; every pixel at `alpha`.
[[nodiscard]] inline QImage noiseImage(int width, int height, std::uint32_t seed, std::uint8_t alpha = 255)
{
    QImage image(width, height, QImage::Format_RGBA8888_Premultiplied);
    std::uint32_t state = seed;
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = image.scanLine(y);
        for (int x = 0; x < width * 4; ++x) {
            state = state * 1664525u + 1013904223u;
            const auto value = static_cast<std::uint8_t>(state >> 24);
            row[x] = (x % 4 == 3) ? alpha : static_cast<std::uint8_t>(value * alpha / 255);
        }
    }
    return image;
}

} // namespace quillet::testing
