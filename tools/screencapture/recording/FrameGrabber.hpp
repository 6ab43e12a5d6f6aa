#pragma once

#include "tools/screencapture/still/Bitmap.hpp"
#include "tools/screencapture/x11/PixelRect.hpp"

#include <memory>
#include <vector>

namespace quillet::screencapture {

class SharedSegment;
class XDisplay;

// Reads one area of the root window again and again. Through a few shared memory segments, taken in
// turn, the server writes each frame straight into memory the encoder side reads while the next
// frames are grabbed; a plain GetImage is the fallback.
class FrameGrabber {
public:
    // `area` must lie inside the root window; a grab's pixels stay valid for `keptGrabs` - 1 more
    // grabs (at least 1).
    FrameGrabber(const XDisplay& display, const PixelRect& area, int keptGrabs);
    ~FrameGrabber();
    FrameGrabber(const FrameGrabber&) = delete;
    FrameGrabber& operator=(const FrameGrabber&) = delete;

    // The area's current pixels (B,G,R,x), writable and valid until `keptGrabs` more grabs; empty on
    // failure.
    [[nodiscard]] Bitmap grab();

private:
    [[nodiscard]] Bitmap grabShared();
    [[nodiscard]] Bitmap grabPlain();

    const XDisplay& display_;
    PixelRect area_;
    std::vector<std::unique_ptr<SharedSegment>> segments_; // empty without shared memory
    std::size_t nextSegment_ = 0;
};

} // namespace quillet::screencapture
