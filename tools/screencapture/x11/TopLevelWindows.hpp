#pragma once

#include "tools/screencapture/x11/PixelRect.hpp"

#include <vector>

namespace quillet::screencapture {

class XDisplay;

namespace TopLevelWindows {

// The outer rectangles (border, and so a window manager's frame, included) of the viewable
// top-level windows in root pixels, the topmost first.
[[nodiscard]] std::vector<PixelRect> list(const XDisplay& display);

// The topmost of `windows` under the root pixel (x, y), if any.
[[nodiscard]] const PixelRect* at(const std::vector<PixelRect>& windows, long x, long y);

} // namespace TopLevelWindows
} // namespace quillet::screencapture
