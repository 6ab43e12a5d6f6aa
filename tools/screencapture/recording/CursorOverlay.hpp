#pragma once

#include "tools/screencapture/still/Bitmap.hpp"
#include "tools/screencapture/x11/PixelRect.hpp"

#include <cstdint>
#include <optional>
#include <xcb/xcb.h>
#include <xcb/xfixes.h>

namespace quillet::screencapture {

// The pointer, which the X server leaves out of every grab, drawn into the frames where the viewer
// expects it (XFixes hands out its current image and position).
class CursorOverlay {
public:
    // Does nothing on a server without XFixes.
    explicit CursorOverlay(xcb_connection_t* connection);
    ~CursorOverlay();
    CursorOverlay(const CursorOverlay&) = delete;
    CursorOverlay& operator=(const CursorOverlay&) = delete;

    // Asks for the pointer ahead of the frame's pixels: its answer then comes with theirs instead of
    // costing a round trip of its own to a server that may be busy.
    void ask();

    // Draws the pointer (asked for now, unless `ask` did) into `frame`, which shows root pixels `area`.
    void draw(const Bitmap& frame, const PixelRect& area);

    // Blends a premultiplied A,R,G,B image whose top-left pixel sits at (left, top) of `frame`.
    static void blend(const Bitmap& frame, const std::uint32_t* image, long width, long height, long left,
                      long top);

private:
    xcb_connection_t* connection_;
    bool isAvailable_ = false;
    std::optional<xcb_xfixes_get_cursor_image_cookie_t> asked_;
};

} // namespace quillet::screencapture
