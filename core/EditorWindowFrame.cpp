#include "core/EditorWindowFrame.hpp"

#include <algorithm>
#include <cmath>

namespace quillet {

namespace {

constexpr Rect screenlessFrame{0, 0, 1440, 900};

} // namespace

Rect EditorWindowFrame::initial(Size imagePixels, double pixelsPerPoint, std::optional<Rect> visibleFrame)
{
    const double scale = std::isnan(pixelsPerPoint) ? 1.0 : std::max(pixelsPerPoint, 1.0);
    const Rect v = visibleFrame.value_or(screenlessFrame);
    const double w = std::max(imagePixels.width / scale, 1.0);
    const double h = std::max(imagePixels.height / scale, 1.0);
    const double fit = std::min({(v.width() * screenShare - 2 * padding) / w,
                                 (v.height() * screenShare - 2 * padding - toolbarHeight) / h, 1.0});
    const double width = std::max(w * fit + 2 * padding, minimumWidth);
    const double height = std::max(h * fit + 2 * padding + toolbarHeight, minimumHeight);
    return Rect{v.midX() - width / 2, v.midY() - height / 2, width, height}.integral();
}

} // namespace quillet
