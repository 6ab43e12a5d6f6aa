#pragma once

#include "tools/screencapture/still/Bitmap.hpp"
#include "tools/screencapture/x11/PixelRect.hpp"

#include <memory>

namespace quillet::screencapture {

class SharedSegment;
class XDisplay;

// Reads one area of the root window again and again. Through one shared memory segment the server
// writes each frame straight into memory the encoder side reads; a plain GetImage is the fallback.
class FrameGrabber {
public:
    // `area` must lie inside the root window.
    FrameGrabber(const XDisplay& display, const PixelRect& area);
    ~FrameGrabber();
    FrameGrabber(const FrameGrabber&) = delete;
    FrameGrabber& operator=(const FrameGrabber&) = delete;

    // The area's current pixels (B,G,R,x), writable and valid until the next grab; empty on failure.
    [[nodiscard]] Bitmap grab();

private:
    [[nodiscard]] Bitmap grabShared();
    [[nodiscard]] Bitmap grabPlain();

    const XDisplay& display_;
    PixelRect area_;
    std::unique_ptr<SharedSegment> segment_;
    std::shared_ptr<void> lastReply_;
};

} // namespace quillet::screencapture
