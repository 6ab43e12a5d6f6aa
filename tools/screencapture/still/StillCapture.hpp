#pragma once

#include "tools/screencapture/cli/Command.hpp"
#include "tools/screencapture/cli/ExitStatus.hpp"
#include "tools/screencapture/still/Bitmap.hpp"
#include "tools/screencapture/x11/ScreenLayout.hpp"

#include <optional>
#include <string>

namespace quillet::screencapture {

class XDisplay;

// -R: one rectangle straight from the X server to a PNG, without a GUI toolkit.
namespace StillCapture {

// The largest picture the tool makes, in pixels (1 GiB of 4-byte pixels).
constexpr long maximumPixels = 1L << 28;

[[nodiscard]] ExitStatus run(const Command& command);

// The pixels of `area` (root pixels): what the screens show, black where no screen is.
[[nodiscard]] Bitmap grabArea(const XDisplay& display, const ScreenLayout& layout, const PixelRect& area);

// Encodes and writes in `format`; a one-line reason on failure. The raw format makes the bitmap's
// pixels opaque in place.
[[nodiscard]] std::optional<std::string> save(const Bitmap& bitmap, double pixelsPerPoint,
                                              const std::string& path, StillFormat format = StillFormat::png);

} // namespace StillCapture
} // namespace quillet::screencapture
