#include "Quillet/recording/CastCrop.hpp"

#include <algorithm>
#include <cmath>

namespace quillet::CastCrop {
namespace {

constexpr int smallestSide = 2;

[[nodiscard]] int even(int length)
{
    return length - length % 2;
}

} // namespace

QRect inStream(const QRect& area, const QRect& monitor, QSize frame)
{
    if (monitor.width() <= 0 || frame.isEmpty()) {
        return {};
    }
    // One factor both ways: the desktop scales a monitor evenly.
    const double scale = double(frame.width()) / monitor.width();
    const QRect local = area.translated(-monitor.topLeft());
    // Every pixel the area touches: a fractional scale must not cut off its edge.
    const int left = std::clamp(int(std::floor(local.x() * scale)), 0, frame.width());
    const int top = std::clamp(int(std::floor(local.y() * scale)), 0, frame.height());
    const int right = std::clamp(int(std::ceil((local.x() + local.width()) * scale)), 0, frame.width());
    const int bottom = std::clamp(int(std::ceil((local.y() + local.height()) * scale)), 0, frame.height());
    const int width = even(right - left);
    const int height = even(bottom - top);
    if (width < smallestSide || height < smallestSide) {
        return {};
    }
    return {left, top, width, height};
}

} // namespace quillet::CastCrop
