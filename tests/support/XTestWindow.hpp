#pragma once

#include <cstdint>
#include <string>
#include <xcb/xcb.h>

namespace quillet::testing {

// A plain X client that shows a window of known colours on a test server: a top-level window filled
// with one colour, optional coloured blocks inside it (child windows) and an optional border. The
// server paints window backgrounds by itself, so the pixels stay right without a redraw loop.
// Colours are 0xRRGGBB on a 24-bit TrueColor screen.
class XTestWindow {
public:
    struct Frame {
        int x = 0;
        int y = 0;
        int width = 0;
        int height = 0;
    };

    // `bypassesWindowManager` makes it override-redirect, so no window manager moves it.
    XTestWindow(const std::string& display, Frame frame, std::uint32_t colour, int borderWidth = 0,
                std::uint32_t borderColour = 0, bool bypassesWindowManager = true);
    ~XTestWindow();
    XTestWindow(const XTestWindow&) = delete;
    XTestWindow& operator=(const XTestWindow&) = delete;

    [[nodiscard]] bool isOpen() const { return window_ != 0; }

    // A block inside the window, in window coordinates; shown at once.
    void addBlock(Frame frame, std::uint32_t colour);
    void hide();
    // Asks for the window on top of its siblings; under a window manager the manager does it.
    void raise();

    // Returns after the server has handled everything sent so far.
    void sync() const;

private:
    xcb_connection_t* connection_ = nullptr;
    xcb_window_t window_ = 0;
};

} // namespace quillet::testing
