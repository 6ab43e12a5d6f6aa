#include "Brindle/XcbKeepAbove.hpp"

#include "Brindle/AppInfo.hpp"
#include "Brindle/XcbRoot.hpp"

#include <QCoreApplication>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

namespace brindle {
namespace {

constexpr std::uint8_t eventTypeMask = 0x7f; // clears the "sent by a client" bit
// A program that raises its window whenever another one moves would take turns with the kept
// window without end; past this many restacks in one burst the kept window gives way until the
// burst is over.
constexpr int restacksPerBurst = 20;
constexpr auto burstLength = std::chrono::seconds(1);

template <typename Reply> using ReplyPointer = std::unique_ptr<Reply, decltype(&std::free)>;

const Logger& logger()
{
    static const Logger instance = AppInfo::logger("windows");
    return instance;
}

// The events the root's child events (substructure notify) bring: each names the window it was
// delivered to (the root here) and then the child it is about, in the same places.
[[nodiscard]] bool isChildEvent(std::uint8_t type)
{
    switch (type) {
    case XCB_CIRCULATE_NOTIFY:
    case XCB_CONFIGURE_NOTIFY:
    case XCB_CREATE_NOTIFY:
    case XCB_DESTROY_NOTIFY:
    case XCB_GRAVITY_NOTIFY:
    case XCB_MAP_NOTIFY:
    case XCB_REPARENT_NOTIFY:
    case XCB_UNMAP_NOTIFY:
        return true;
    default:
        return false;
    }
}

[[nodiscard]] bool isAboutChildOf(const xcb_generic_event_t* event, xcb_window_t parent)
{
    // The configure-notify layout stands for all of them: delivered-to window, then the child.
    const auto* child = reinterpret_cast<const xcb_configure_notify_event_t*>(event);
    return child->event == parent && child->window != parent;
}

} // namespace

XcbKeepAbove::XcbKeepAbove(xcb_connection_t* connection)
    : connection_(connection), root_(rootWindow(connection))
{
}

XcbKeepAbove::~XcbKeepAbove()
{
    release();
}

void XcbKeepAbove::keep(WId window)
{
    if (QCoreApplication::instance() == nullptr) {
        return;
    }
    if (window_ == XCB_WINDOW_NONE) {
        watchRootChildren(true);
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
    window_ = static_cast<xcb_window_t>(window);
}

void XcbKeepAbove::release()
{
    // Qt's connection closes with the application; nothing may be sent on it after that.
    if (window_ == XCB_WINDOW_NONE || QCoreApplication::instance() == nullptr) {
        return;
    }
    QCoreApplication::instance()->removeNativeEventFilter(this);
    watchRootChildren(false);
    window_ = XCB_WINDOW_NONE;
}

bool XcbKeepAbove::nativeEventFilter(const QByteArray& eventType, void* message, qintptr* /*result*/)
{
    if (eventType != "xcb_generic_event_t" || window_ == XCB_WINDOW_NONE) {
        return false;
    }
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    const std::uint8_t type = event->response_type & eventTypeMask;
    if (!isChildEvent(type) || !isAboutChildOf(event, root_)) {
        return false;
    }
    // Qt drops a configure notify when a later one for the same event window is queued, and for the
    // root's children that is every one of them: the notify that survives may be about any window,
    // the kept one included. So any restack among the root's children prompts a look at the whole
    // stacking order rather than at the window the event names.
    if (type == XCB_CONFIGURE_NOTIFY || type == XCB_MAP_NOTIFY || type == XCB_CIRCULATE_NOTIFY) {
        restackIfCovered();
    }
    return selectedRootChildren_;
}

void XcbKeepAbove::restackIfCovered()
{
    const xcb_window_t covering = topmostManagedWindowAboveKept();
    if (covering == XCB_WINDOW_NONE || !mayRestack()) {
        return;
    }
    const std::uint32_t values[] = {covering, XCB_STACK_MODE_ABOVE};
    const auto cookie = xcb_configure_window_checked(
        connection_, window_, XCB_CONFIG_WINDOW_SIBLING | XCB_CONFIG_WINDOW_STACK_MODE, values);
    // The sibling may be gone by now, and with it the reason to move: the refusal is expected.
    std::free(xcb_request_check(connection_, cookie));
}

xcb_window_t XcbKeepAbove::topmostManagedWindowAboveKept() const
{
    const ReplyPointer<xcb_query_tree_reply_t> tree(
        xcb_query_tree_reply(connection_, xcb_query_tree(connection_, root_), nullptr), &std::free);
    if (!tree) {
        return XCB_WINDOW_NONE;
    }
    // Bottom to top.
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    const int count = xcb_query_tree_children_length(tree.get());
    const xcb_window_t* kept = std::find(children, children + count, window_);
    if (kept == children + count) {
        return XCB_WINDOW_NONE;
    }
    // All questions go out before the first answer is awaited: one round trip, not one per window.
    std::vector<std::pair<xcb_window_t, xcb_get_window_attributes_cookie_t>> above;
    for (const xcb_window_t* child = kept + 1; child != children + count; ++child) {
        above.emplace_back(*child, xcb_get_window_attributes(connection_, *child));
    }
    xcb_window_t topmost = XCB_WINDOW_NONE;
    for (const auto& [child, cookie] : above) {
        // A window destroyed since the tree was read answers with an error, taken here so that it does
        // not reach the event queue.
        xcb_generic_error_t* gone = nullptr;
        const ReplyPointer<xcb_get_window_attributes_reply_t> attributes(
            xcb_get_window_attributes_reply(connection_, cookie, &gone), &std::free);
        std::free(gone);
        const bool managed = attributes && attributes->override_redirect == 0 &&
                             attributes->map_state == XCB_MAP_STATE_VIEWABLE;
        if (managed) {
            topmost = child;
        }
    }
    return topmost;
}

bool XcbKeepAbove::mayRestack()
{
    const auto now = std::chrono::steady_clock::now();
    if (now - burstStart_ > burstLength) {
        burstStart_ = now;
        restacksInBurst_ = 0;
    }
    ++restacksInBurst_;
    if (restacksInBurst_ == restacksPerBurst + 1) {
        logger().error(
            "another window keeps raising itself above a floating panel; the panel gives way for now");
    }
    return restacksInBurst_ <= restacksPerBurst;
}

void XcbKeepAbove::watchRootChildren(bool watch)
{
    const ReplyPointer<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(connection_, xcb_get_window_attributes(connection_, root_), nullptr),
        &std::free);
    if (!attributes) {
        return;
    }
    // Qt selects events on the root for itself; its selection stays as it is.
    std::uint32_t mask = attributes->your_event_mask;
    const bool selected = (mask & XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY) != 0;
    if (watch) {
        if (selected) {
            return;
        }
        mask |= XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        selectedRootChildren_ = true;
    } else {
        const bool ours = selectedRootChildren_;
        selectedRootChildren_ = false;
        if (!ours || !selected) {
            return;
        }
        mask &= ~std::uint32_t{XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY};
    }
    xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection_);
}

} // namespace brindle
