#pragma once

#include "tools/screencapture/still/Bitmap.hpp"
#include "tools/screencapture/x11/SharedSegment.hpp"
#include "tools/screencapture/x11/XDisplay.hpp"

#include <optional>
#include <string>

namespace quillet::screencapture {

// Reads pixels of the root window: through shared memory when the server offers it, with a plain
// GetImage otherwise. Areas must lie inside the root window.
class RootGrabber {
public:
    explicit RootGrabber(const XDisplay& display) : display_(display) {}

    // A one-line reason when the root window's pixels are not 32-bit B,G,R,x; empty when they are.
    [[nodiscard]] std::optional<std::string> unsupportedFormat() const;

    // The whole area at once. Empty bitmap on failure.
    [[nodiscard]] Bitmap grab(const PixelRect& area) const;
    // The whole area at once into `segment` from byte `offset` on, rows tightly packed; false when the
    // server did not write it (the segment is then too small, or the area not inside the root).
    [[nodiscard]] bool grabInto(const PixelRect& area, const SharedSegment& segment, std::size_t offset) const;

private:
    const XDisplay& display_;
};

} // namespace quillet::screencapture
