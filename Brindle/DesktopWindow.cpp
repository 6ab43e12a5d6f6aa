#include "Brindle/DesktopWindow.hpp"

#include "Brindle/XcbRoot.hpp"

#include <QGuiApplication>
#include <QRegion>
#include <QWindow>
#include <QtGui/qguiapplication_platform.h>
#include <QtMath>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>
#include <xcb/shape.h>
#include <xcb/xcb.h>

namespace brindle {
namespace {

constexpr std::uint32_t allDesktops = 0xFFFFFFFF;
constexpr std::uint32_t netWmStateAdd = 1;
constexpr std::uint32_t sourceIsApplication = 1;

template <typename Reply> using ReplyPointer = std::unique_ptr<Reply, decltype(&std::free)>;

[[nodiscard]] xcb_atom_t atom(xcb_connection_t* connection, const std::string& name)
{
    const auto cookie = xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(name.size()), name.c_str());
    const ReplyPointer<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(connection, cookie, nullptr),
                                                      &std::free);
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

void sendToWindowManager(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t type,
                         std::initializer_list<std::uint32_t> data)
{
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = type;
    std::size_t i = 0;
    for (const auto value : data) {
        event.data.data32[i++] = value;
    }
    xcb_send_event(connection, 0, rootWindow(connection),
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
}

[[nodiscard]] std::vector<xcb_atom_t> currentStates(xcb_connection_t* connection, xcb_window_t window,
                                                    xcb_atom_t stateAtom)
{
    const auto cookie = xcb_get_property(connection, 0, window, stateAtom, XCB_ATOM_ATOM, 0, 1024);
    const ReplyPointer<xcb_get_property_reply_t> reply(xcb_get_property_reply(connection, cookie, nullptr),
                                                       &std::free);
    if (!reply || reply->format != 32 || reply->type != XCB_ATOM_ATOM) {
        return {};
    }
    const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
    return {atoms, atoms + xcb_get_property_value_length(reply.get()) / sizeof(xcb_atom_t)};
}

// Before mapping, the window manager reads the properties themselves; Qt merges what it finds
// there with its own states when it maps the window.
void setInitialStates(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t stateAtom,
                      const std::vector<xcb_atom_t>& wanted)
{
    auto states = currentStates(connection, window, stateAtom);
    for (const auto state : wanted) {
        if (std::find(states.begin(), states.end(), state) == states.end()) {
            states.push_back(state);
        }
    }
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, stateAtom, XCB_ATOM_ATOM, 32,
                        static_cast<std::uint32_t>(states.size()), states.data());
}

} // namespace

bool DesktopWindow::hasCompositing()
{
    xcb_connection_t* connection = x11Connection();
    if (!connection) {
        return true;
    }
    const xcb_atom_t selection = atom(connection, "_NET_WM_CM_S" + std::to_string(defaultScreenNumber()));
    if (selection == XCB_ATOM_NONE) {
        return false;
    }
    const auto cookie = xcb_get_selection_owner(connection, selection);
    const ReplyPointer<xcb_get_selection_owner_reply_t> reply(
        xcb_get_selection_owner_reply(connection, cookie, nullptr), &std::free);
    return reply && reply->owner != XCB_WINDOW_NONE;
}

void DesktopWindow::showOnAllDesktops(QWindow& window)
{
    xcb_connection_t* connection = x11Connection();
    if (!connection) {
        return;
    }
    const auto id = static_cast<xcb_window_t>(window.winId());
    const xcb_atom_t stateAtom = atom(connection, "_NET_WM_STATE");
    const xcb_atom_t desktopAtom = atom(connection, "_NET_WM_DESKTOP");
    const xcb_atom_t sticky = atom(connection, "_NET_WM_STATE_STICKY");
    const xcb_atom_t skipTaskbar = atom(connection, "_NET_WM_STATE_SKIP_TASKBAR");
    const xcb_atom_t skipPager = atom(connection, "_NET_WM_STATE_SKIP_PAGER");
    if (window.isVisible()) {
        sendToWindowManager(connection, id, stateAtom,
                            {netWmStateAdd, sticky, skipTaskbar, sourceIsApplication});
        sendToWindowManager(connection, id, stateAtom, {netWmStateAdd, skipPager, 0, sourceIsApplication});
        sendToWindowManager(connection, id, desktopAtom, {allDesktops, sourceIsApplication});
    } else {
        setInitialStates(connection, id, stateAtom, {sticky, skipTaskbar, skipPager});
    }
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, desktopAtom, XCB_ATOM_CARDINAL, 32, 1,
                        &allDesktops);
    xcb_flush(connection);
}

void DesktopWindow::setInputRegion(QWindow& window, const QRegion& region)
{
    xcb_connection_t* connection = x11Connection();
    if (!connection) {
        return;
    }
    const auto id = static_cast<xcb_window_t>(window.winId());
    if (region.isEmpty()) {
        xcb_shape_mask(connection, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT, id, 0, 0, XCB_PIXMAP_NONE);
        xcb_flush(connection);
        return;
    }
    const qreal ratio = window.devicePixelRatio();
    std::vector<xcb_rectangle_t> rectangles;
    for (const QRect& rect : region) {
        const QRect native(qFloor(rect.x() * ratio), qFloor(rect.y() * ratio), qCeil(rect.width() * ratio),
                           qCeil(rect.height() * ratio));
        rectangles.push_back({static_cast<std::int16_t>(native.x()), static_cast<std::int16_t>(native.y()),
                              static_cast<std::uint16_t>(native.width()),
                              static_cast<std::uint16_t>(native.height())});
    }
    xcb_shape_rectangles(connection, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT, XCB_CLIP_ORDERING_UNSORTED, id, 0,
                         0, static_cast<std::uint32_t>(rectangles.size()), rectangles.data());
    xcb_flush(connection);
}

void DesktopWindow::castNoShadow(QWindow& window)
{
    xcb_connection_t* connection = x11Connection();
    if (!connection) {
        return;
    }
    const std::uint32_t noShadow = 0;
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, static_cast<xcb_window_t>(window.winId()),
                        atom(connection, "_COMPTON_SHADOW"), XCB_ATOM_CARDINAL, 32, 1, &noShadow);
    xcb_flush(connection);
}

} // namespace brindle
