#pragma once

#include <string_view>

namespace quillet::screencapture::XResources {

// Pixels per point from the X server's resource database (the root window's RESOURCE_MANAGER text):
// Xft.dpi / 96 as the toolkit reads it (a whole number, the last entry wins, never below 1); 1 without it.
[[nodiscard]] double pixelsPerPoint(std::string_view resources);

} // namespace quillet::screencapture::XResources
