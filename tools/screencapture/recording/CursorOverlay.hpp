#pragma once

#include "tools/screencapture/still/Bitmap.hpp"
#include "tools/screencapture/x11/PixelRect.hpp"

#include <cstdint>
#include <xcb/xcb.h>

namespace quillet::screencapture {

// The pointer, which the X server leaves out of every grab, drawn into the frames where the viewer
// expects it (XFixes hands out its current image and position).
class CursorOverlay {
public:
    // Does nothing on a server without XFixes.
    explicit CursorOverlay(xcb_connection_t* connection);

    // Draws the pointer into `frame`, which shows root pixels `area`.
    void draw(const Bitmap& frame, const PixelRect& area) const;

    // Blends a premultiplied A,R,G,B image whose top-left pixel sits at (left, top) of `frame`.
    static void blend(const Bitmap& frame, const std::uint32_t* image, long width, long height, long left,
                      long top);

private:
    xcb_connection_t* connection_;
    bool isAvailable_ = false;
};

} // namespace quillet::screencapture
