#pragma once

#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <variant>
#include <xcb/xcb.h>

namespace quillet::screencapture {

class ClickRings;

// Hears every mouse button press on the display without grabbing the pointer (XInput 2 raw events
// on the root window, on a connection of its own) and hands each one, at the pointer's position, to
// the click rings.
class ClickWatcher {
public:
    // Starts watching; a one-line reason when the server cannot tell us about presses.
    [[nodiscard]] static std::variant<std::unique_ptr<ClickWatcher>, std::string> start(ClickRings& rings);

    ~ClickWatcher(); // stops and joins the thread
    ClickWatcher(const ClickWatcher&) = delete;
    ClickWatcher& operator=(const ClickWatcher&) = delete;

private:
    ClickWatcher(xcb_connection_t* connection, xcb_window_t root, std::uint8_t extension, int wakeUp,
                 ClickRings& rings);

    void watch();
    void handle(const xcb_generic_event_t& event);

    xcb_connection_t* connection_;
    xcb_window_t root_;
    std::uint8_t extension_;
    int wakeUp_;
    ClickRings& rings_;
    std::thread thread_;
};

} // namespace quillet::screencapture
