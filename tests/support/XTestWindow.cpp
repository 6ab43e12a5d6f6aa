#include "tests/support/XTestWindow.hpp"

#include <cstdlib>

namespace quillet::testing {

XTestWindow::XTestWindow(const std::string& display, Frame frame, std::uint32_t colour, int borderWidth,
                         std::uint32_t borderColour, bool bypassesWindowManager)
{
    int screenNumber = 0;
    connection_ = xcb_connect(display.c_str(), &screenNumber);
    if (xcb_connection_has_error(connection_) != 0) {
        return;
    }
    auto screens = xcb_setup_roots_iterator(xcb_get_setup(connection_));
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i) {
        xcb_screen_next(&screens);
    }
    const xcb_screen_t* screen = screens.data;
    window_ = xcb_generate_id(connection_);
    const std::uint32_t values[] = {colour, borderColour, bypassesWindowManager ? 1u : 0u};
    xcb_create_window(connection_, XCB_COPY_FROM_PARENT, window_, screen->root, std::int16_t(frame.x),
                      std::int16_t(frame.y), std::uint16_t(frame.width), std::uint16_t(frame.height),
                      std::uint16_t(borderWidth), XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                      XCB_CW_BACK_PIXEL | XCB_CW_BORDER_PIXEL | XCB_CW_OVERRIDE_REDIRECT, values);
    xcb_map_window(connection_, window_);
    sync();
}

XTestWindow::~XTestWindow()
{
    xcb_disconnect(connection_);
}

void XTestWindow::addBlock(Frame frame, std::uint32_t colour)
{
    const xcb_window_t block = xcb_generate_id(connection_);
    const std::uint32_t values[] = {colour};
    xcb_create_window(connection_, XCB_COPY_FROM_PARENT, block, window_, std::int16_t(frame.x),
                      std::int16_t(frame.y), std::uint16_t(frame.width), std::uint16_t(frame.height), 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, XCB_CW_BACK_PIXEL, values);
    xcb_map_window(connection_, block);
    sync();
}

void XTestWindow::hide()
{
    xcb_unmap_window(connection_, window_);
    sync();
}

void XTestWindow::raise()
{
    const std::uint32_t above[] = {XCB_STACK_MODE_ABOVE};
    xcb_configure_window(connection_, window_, XCB_CONFIG_WINDOW_STACK_MODE, above);
    sync();
}

void XTestWindow::sync() const
{
    std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
}

} // namespace quillet::testing
