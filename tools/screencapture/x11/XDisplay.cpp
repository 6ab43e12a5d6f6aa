#include "tools/screencapture/x11/XDisplay.hpp"

#include "tools/screencapture/x11/XResources.hpp"

#include <cstdlib>
#include <string_view>
#include <xcb/randr.h>

namespace quillet::screencapture {
namespace {

// The whole resource database is a few kilobytes; this bounds a hostile one.
constexpr std::uint32_t maximumResourceWords = 1 << 20;
constexpr std::uint32_t monitorsMajor = 1;
constexpr std::uint32_t monitorsMinor = 5;

template <typename Reply> using ReplyPointer = std::unique_ptr<Reply, decltype(&std::free)>;

template <typename Reply> ReplyPointer<Reply> owned(Reply* reply)
{
    return ReplyPointer<Reply>(reply, &std::free);
}

bool isWaylandSession()
{
    const char* session = std::getenv("XDG_SESSION_TYPE");
    return session != nullptr && std::string_view(session) == "wayland";
}

xcb_screen_t* screenNumber(xcb_connection_t* connection, int number)
{
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; it.rem > 0; ++i, xcb_screen_next(&it)) {
        if (i == number) {
            return it.data;
        }
    }
    return nullptr;
}

bool hasMonitors(xcb_connection_t* connection)
{
    const xcb_query_extension_reply_t* extension = xcb_get_extension_data(connection, &xcb_randr_id);
    if (extension == nullptr || !extension->present) {
        return false;
    }
    auto version = owned(xcb_randr_query_version_reply(
        connection, xcb_randr_query_version(connection, monitorsMajor, monitorsMinor), nullptr));
    return version && (version->major_version > monitorsMajor ||
                       (version->major_version == monitorsMajor && version->minor_version >= monitorsMinor));
}

} // namespace

std::variant<std::unique_ptr<XDisplay>, std::string> XDisplay::open()
{
    const char* name = std::getenv("DISPLAY");
    if (name == nullptr || *name == '\0') {
        return std::string("no X11 display: DISPLAY is not set");
    }
    if (isWaylandSession()) {
        return std::string("not an X11 session: Wayland windows cannot be captured through X11");
    }
    int number = 0;
    xcb_connection_t* connection = xcb_connect(name, &number);
    if (xcb_connection_has_error(connection) != 0) {
        xcb_disconnect(connection);
        return "cannot open X11 display '" + std::string(name) + "'";
    }
    xcb_screen_t* screen = screenNumber(connection, number);
    if (screen == nullptr) {
        xcb_disconnect(connection);
        return "X11 display '" + std::string(name) + "' has no screen " + std::to_string(number);
    }
    return std::unique_ptr<XDisplay>(new XDisplay(connection, screen));
}

XDisplay::~XDisplay()
{
    xcb_disconnect(connection_);
}

double XDisplay::pixelsPerPoint() const
{
    auto reply =
        owned(xcb_get_property_reply(connection_,
                                     xcb_get_property(connection_, 0, root(), XCB_ATOM_RESOURCE_MANAGER,
                                                      XCB_ATOM_STRING, 0, maximumResourceWords),
                                     nullptr));
    if (!reply || reply->format != 8) {
        return XResources::pixelsPerPoint({});
    }
    const auto* text = static_cast<const char*>(xcb_get_property_value(reply.get()));
    return XResources::pixelsPerPoint(
        std::string_view(text, std::size_t(xcb_get_property_value_length(reply.get()))));
}

ScreenLayout XDisplay::layout() const
{
    std::vector<PixelRect> screens;
    int primaryIndex = -1;
    if (hasMonitors(connection_)) {
        auto reply = owned(xcb_randr_get_monitors_reply(
            connection_, xcb_randr_get_monitors(connection_, root(), 1), nullptr));
        if (reply) {
            for (auto it = xcb_randr_get_monitors_monitors_iterator(reply.get()); it.rem > 0;
                 xcb_randr_monitor_info_next(&it)) {
                const xcb_randr_monitor_info_t& monitor = *it.data;
                if (monitor.width == 0 || monitor.height == 0) {
                    continue;
                }
                if (monitor.primary) {
                    primaryIndex = int(screens.size());
                }
                screens.push_back({monitor.x, monitor.y, monitor.width, monitor.height});
            }
        }
    }
    if (screens.empty()) {
        screens.push_back(rootRect());
    }
    return ScreenLayout::make(std::move(screens), primaryIndex, pixelsPerPoint());
}

} // namespace quillet::screencapture
