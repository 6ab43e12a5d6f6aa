#pragma once

#include <xcb/xcb.h>

namespace brindle {

// The toolkit's own X connection and the screen it opened, for the requests Qt does not expose.

// Null off X11.
[[nodiscard]] xcb_connection_t* x11Connection();
// The screen number DISPLAY names (":0.1" is 1).
[[nodiscard]] int defaultScreenNumber();
// That screen of `connection`'s setup; null only for a broken setup.
[[nodiscard]] const xcb_screen_t* defaultScreen(xcb_connection_t* connection);
[[nodiscard]] xcb_window_t rootWindow(xcb_connection_t* connection);

} // namespace brindle
