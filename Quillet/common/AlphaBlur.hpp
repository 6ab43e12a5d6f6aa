#pragma once

#include <cstdint>
#include <span>

namespace quillet {

// An approximate Gaussian blur of a single 8-bit channel (a shadow's coverage mask), made of three
// running-sum box passes per axis, the way browsers blur drop shadows. Cost per pixel is constant
// whatever the radius, so a blurred shadow costs the same at any zoom.
class AlphaBlur {
public:
    // How far (in pixels) a blur of this standard deviation spreads coverage past its source.
    [[nodiscard]] static int margin(double sigma);

    // Blurs the channel in place. `stride` is the distance in bytes between rows; the buffer must
    // hold `stride * height` bytes. Coverage outside the buffer counts as zero.
    static void blur(std::span<std::uint8_t> channel, int width, int height, int stride, double sigma);
};

} // namespace quillet
