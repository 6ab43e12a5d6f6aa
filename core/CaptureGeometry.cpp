#include "core/CaptureGeometry.hpp"

#include <algorithm>
#include <cmath>

namespace quillet::CaptureGeometry {

std::string region(const Rect& rect, double mainScreenHeight)
{
    // llround rounds halves away from zero.
    const long long x = std::llround(rect.minX());
    const long long y = std::llround(mainScreenHeight - rect.maxY());
    const long long width = std::llround(rect.width());
    const long long height = std::llround(rect.height());
    return std::to_string(x) + "," + std::to_string(y) + "," + std::to_string(width) + "," +
           std::to_string(height);
}

Rect recordingArea(Point start, Point end, const Rect& fallback)
{
    const Rect spanned{std::min(start.x, end.x), std::min(start.y, end.y), std::abs(end.x - start.x),
                       std::abs(end.y - start.y)};
    const Rect area = spanned.integral();
    if (area.width() >= minimumSelection && area.height() >= minimumSelection) {
        return area;
    }
    return fallback;
}

} // namespace quillet::CaptureGeometry
