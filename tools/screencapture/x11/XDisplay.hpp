#pragma once

#include "tools/screencapture/x11/ScreenLayout.hpp"

#include <memory>
#include <string>
#include <variant>
#include <xcb/xcb.h>

namespace quillet::screencapture {

// The tool's own connection to the X server.
class XDisplay {
public:
    // The connection, or a one-line reason why there is no X11 display to capture.
    [[nodiscard]] static std::variant<std::unique_ptr<XDisplay>, std::string> open();

    ~XDisplay();
    XDisplay(const XDisplay&) = delete;
    XDisplay& operator=(const XDisplay&) = delete;

    [[nodiscard]] xcb_connection_t* connection() const { return connection_; }
    [[nodiscard]] const xcb_screen_t& screen() const { return *screen_; }
    [[nodiscard]] xcb_window_t root() const { return screen_->root; }
    [[nodiscard]] PixelRect rootRect() const
    {
        return {0, 0, screen_->width_in_pixels, screen_->height_in_pixels};
    }

    // The RandR monitors (the root window when there are none) and Xft.dpi / 96.
    [[nodiscard]] ScreenLayout layout() const;

private:
    XDisplay(xcb_connection_t* connection, xcb_screen_t* screen) : connection_(connection), screen_(screen) {}

    [[nodiscard]] double pixelsPerPoint() const;

    xcb_connection_t* connection_;
    xcb_screen_t* screen_;
};

} // namespace quillet::screencapture
