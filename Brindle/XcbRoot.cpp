#include "Brindle/XcbRoot.hpp"

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

#include <cstdlib>

namespace brindle {

xcb_connection_t* x11Connection()
{
    const auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

int defaultScreenNumber()
{
    char* host = nullptr;
    int display = 0;
    int screen = 0;
    if (xcb_parse_display(nullptr, &host, &display, &screen) == 0) {
        return 0;
    }
    std::free(host);
    return screen;
}

const xcb_screen_t* defaultScreen(xcb_connection_t* connection)
{
    auto iterator = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int skip = defaultScreenNumber(); skip > 0 && iterator.rem > 1; --skip) {
        xcb_screen_next(&iterator);
    }
    return iterator.data;
}

xcb_window_t rootWindow(xcb_connection_t* connection)
{
    const xcb_screen_t* screen = defaultScreen(connection);
    return screen ? screen->root : xcb_window_t{XCB_WINDOW_NONE};
}

} // namespace brindle
