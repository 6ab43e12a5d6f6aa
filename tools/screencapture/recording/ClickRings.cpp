#include "tools/screencapture/recording/ClickRings.hpp"

#include <algorithm>
#include <cmath>

namespace quillet::screencapture {
namespace {

constexpr double peakOpacity = 0.9;

std::uint8_t blended(std::uint8_t under, std::uint8_t over, double opacity)
{
    return std::uint8_t(std::lround(under + (over - under) * opacity));
}

} // namespace

void ClickRings::add(Clock::time_point at, long x, long y)
{
    std::lock_guard lock(mutex_);
    presses_.push_back({at, x, y});
}

void ClickRings::draw(const Bitmap& frame, const PixelRect& area, Clock::time_point now)
{
    std::lock_guard lock(mutex_);
    std::erase_if(presses_, [now](const Press& press) { return now - press.at >= lifetime; });
    for (const Press& press : presses_) {
        if (press.at > now) {
            continue;
        }
        const double age = std::chrono::duration<double>(now - press.at) / lifetime;
        drawRing(frame, double(press.x - area.x) + 0.5, double(press.y - area.y) + 0.5, age);
    }
}

void ClickRings::drawRing(const Bitmap& frame, double centreX, double centreY, double age) const
{
    const double radius = (startRadius + (endRadius - startRadius) * age) * pixelsPerPoint_;
    const double halfWidth = thickness * pixelsPerPoint_ / 2;
    const double opacity = peakOpacity * (1 - age);
    const double reach = radius + halfWidth + 1;
    const long left = std::max(0L, long(std::floor(centreX - reach)));
    const long right = std::min(frame.width, long(std::ceil(centreX + reach)));
    const long top = std::max(0L, long(std::floor(centreY - reach)));
    const long bottom = std::min(frame.height, long(std::ceil(centreY + reach)));
    for (long y = top; y < bottom; ++y) {
        std::uint8_t* pixel = frame.row(y) + std::size_t(left) * Bitmap::bytesPerPixel;
        for (long x = left; x < right; ++x, pixel += Bitmap::bytesPerPixel) {
            const double distance = std::hypot(double(x) + 0.5 - centreX, double(y) + 0.5 - centreY);
            // Coverage of the pixel by the ring's band, with a one-pixel soft edge.
            const double coverage = std::clamp(halfWidth + 0.5 - std::abs(distance - radius), 0.0, 1.0);
            if (coverage <= 0) {
                continue;
            }
            for (int channel = 0; channel < 3; ++channel) {
                pixel[channel] = blended(pixel[channel], colour[channel], coverage * opacity);
            }
        }
    }
}

} // namespace quillet::screencapture
