#include "Quillet/app/DisplayCheck.hpp"

#include <cstdlib>
#include <string_view>
#include <xcb/xcb.h>

namespace quillet::DisplayCheck {

std::optional<std::string> problem()
{
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform != nullptr && *platform != '\0' && std::string_view(platform) != "xcb") {
        return std::nullopt;
    }
    // Qt would abort the process on a display it cannot open; asked first, the answer is a message.
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const bool reachable = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    if (reachable) {
        return std::nullopt;
    }
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0') {
        return "quillet: no display (DISPLAY is not set); Quillet needs an X11 desktop session";
    }
    return std::string("quillet: cannot open the display \"") + display +
           "\"; Quillet needs an X11 desktop session";
}

} // namespace quillet::DisplayCheck
