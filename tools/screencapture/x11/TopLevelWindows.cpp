#include "tools/screencapture/x11/TopLevelWindows.hpp"

#include "tools/screencapture/x11/XDisplay.hpp"

#include <cstdlib>
#include <memory>

namespace quillet::screencapture::TopLevelWindows {
namespace {

struct Pending {
    xcb_get_window_attributes_cookie_t attributes;
    xcb_get_geometry_cookie_t geometry;
};

std::vector<xcb_window_t> childrenBottomToTop(const XDisplay& display)
{
    xcb_connection_t* connection = display.connection();
    std::unique_ptr<xcb_query_tree_reply_t, decltype(&std::free)> tree(
        xcb_query_tree_reply(connection, xcb_query_tree(connection, display.root()), nullptr), &std::free);
    if (!tree) {
        return {};
    }
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    return std::vector<xcb_window_t>(children, children + xcb_query_tree_children_length(tree.get()));
}

} // namespace

std::vector<PixelRect> list(const XDisplay& display)
{
    xcb_connection_t* connection = display.connection();
    const std::vector<xcb_window_t> children = childrenBottomToTop(display);
    // All questions first, then all answers: one round trip instead of one per window.
    std::vector<Pending> pending;
    pending.reserve(children.size());
    for (const xcb_window_t window : children) {
        pending.push_back(
            {xcb_get_window_attributes(connection, window), xcb_get_geometry(connection, window)});
    }
    std::vector<PixelRect> windows;
    for (auto it = pending.rbegin(); it != pending.rend(); ++it) {
        auto* attributes = xcb_get_window_attributes_reply(connection, it->attributes, nullptr);
        auto* geometry = xcb_get_geometry_reply(connection, it->geometry, nullptr);
        const bool isShown = attributes != nullptr && geometry != nullptr &&
                             attributes->map_state == XCB_MAP_STATE_VIEWABLE &&
                             attributes->_class == XCB_WINDOW_CLASS_INPUT_OUTPUT;
        if (isShown) {
            // x and y are the outer corner of the border; width and height exclude it.
            const long border = 2L * geometry->border_width;
            windows.push_back(
                {geometry->x, geometry->y, geometry->width + border, geometry->height + border});
        }
        std::free(attributes);
        std::free(geometry);
    }
    return windows;
}

const PixelRect* at(const std::vector<PixelRect>& windows, long x, long y)
{
    for (const PixelRect& window : windows) {
        if (window.contains(x, y)) {
            return &window;
        }
    }
    return nullptr;
}

} // namespace quillet::screencapture::TopLevelWindows
