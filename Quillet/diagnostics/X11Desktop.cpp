#include "Quillet/diagnostics/X11Desktop.hpp"

#include <cstdlib>
#include <memory>
#include <string>
#include <xcb/randr.h>
#include <xcb/xcb.h>

namespace quillet {
namespace {

constexpr std::uint32_t longestProperty = 1 << 16; // in 32-bit units

template <typename Reply> using ReplyPointer = std::unique_ptr<Reply, decltype(&std::free)>;
using Connection = std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)>;

[[nodiscard]] xcb_atom_t atom(xcb_connection_t* connection, const std::string& name)
{
    const auto cookie = xcb_intern_atom(connection, 1, static_cast<std::uint16_t>(name.size()), name.c_str());
    const ReplyPointer<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(connection, cookie, nullptr),
                                                      &std::free);
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

[[nodiscard]] ReplyPointer<xcb_get_property_reply_t>
property(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t name, xcb_atom_t type)
{
    const auto cookie = xcb_get_property(connection, 0, window, name, type, 0, longestProperty);
    return {xcb_get_property_reply(connection, cookie, nullptr), &std::free};
}

[[nodiscard]] bool selectionHasOwner(xcb_connection_t* connection, const std::string& name)
{
    const xcb_atom_t selection = atom(connection, name);
    if (selection == XCB_ATOM_NONE) {
        return false;
    }
    const auto cookie = xcb_get_selection_owner(connection, selection);
    const ReplyPointer<xcb_get_selection_owner_reply_t> reply(
        xcb_get_selection_owner_reply(connection, cookie, nullptr), &std::free);
    return reply && reply->owner != XCB_WINDOW_NONE;
}

[[nodiscard]] int monitorCount(xcb_connection_t* connection, xcb_window_t root)
{
    const auto cookie = xcb_randr_get_monitors(connection, root, 1);
    const ReplyPointer<xcb_randr_get_monitors_reply_t> reply(
        xcb_randr_get_monitors_reply(connection, cookie, nullptr), &std::free);
    // A server without RandR 1.5 still shows its one screen.
    return reply ? static_cast<int>(reply->nMonitors) : 1;
}

[[nodiscard]] int clientCount(xcb_connection_t* connection, xcb_window_t root)
{
    const auto reply = property(connection, root, atom(connection, "_NET_CLIENT_LIST"), XCB_ATOM_WINDOW);
    if (!reply || reply->format != 32) {
        return 0;
    }
    return xcb_get_property_value_length(reply.get()) / static_cast<int>(sizeof(xcb_window_t));
}

// The name the window manager gives itself on its check window (EWMH), or empty.
[[nodiscard]] QString windowManagerName(xcb_connection_t* connection, xcb_window_t root)
{
    const auto check =
        property(connection, root, atom(connection, "_NET_SUPPORTING_WM_CHECK"), XCB_ATOM_WINDOW);
    if (!check || check->format != 32 || xcb_get_property_value_length(check.get()) < 4) {
        return {};
    }
    const xcb_window_t window = *static_cast<const xcb_window_t*>(xcb_get_property_value(check.get()));
    const auto name =
        property(connection, window, atom(connection, "_NET_WM_NAME"), XCB_GET_PROPERTY_TYPE_ANY);
    if (!name || name->format != 8) {
        return {};
    }
    return QString::fromUtf8(static_cast<const char*>(xcb_get_property_value(name.get())),
                             xcb_get_property_value_length(name.get()));
}

} // namespace

std::variant<X11Desktop, X11Desktop::Unreachable> X11Desktop::read()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        return Unreachable{QStringLiteral("no X display")};
    }
    int screenNumber = 0;
    const Connection connection(xcb_connect(nullptr, &screenNumber), &xcb_disconnect);
    if (xcb_connection_has_error(connection.get()) != 0) {
        return Unreachable{QStringLiteral("cannot open display %1").arg(qEnvironmentVariable("DISPLAY"))};
    }
    auto screens = xcb_setup_roots_iterator(xcb_get_setup(connection.get()));
    for (int skip = screenNumber; skip > 0 && screens.rem > 1; --skip) {
        xcb_screen_next(&screens);
    }
    if (!screens.data) {
        return Unreachable{QStringLiteral("the display has no screen")};
    }
    const xcb_window_t root = screens.data->root;
    const std::string screenSuffix = "_S" + std::to_string(screenNumber);
    return X11Desktop{
        monitorCount(connection.get(), root),
        clientCount(connection.get(), root),
        selectionHasOwner(connection.get(), "_NET_WM_CM" + screenSuffix),
        windowManagerName(connection.get(), root),
    };
}

} // namespace quillet
