#pragma once

#include <cstdint>

struct wl_display;
struct wl_proxy;

namespace quillet::testing {

// A pointer for a wlroots compositor that has no input device, through its virtual-pointer Wayland
// interface: the way a test drags on a headless sway.
class WlrVirtualPointer {
public:
    WlrVirtualPointer();
    ~WlrVirtualPointer();
    WlrVirtualPointer(const WlrVirtualPointer&) = delete;
    WlrVirtualPointer& operator=(const WlrVirtualPointer&) = delete;

    // False when the compositor offers no such interface.
    [[nodiscard]] bool isAvailable() const { return pointer_ != nullptr; }

    // To a point of an output `width` by `height` pixels.
    void moveTo(uint32_t x, uint32_t y, uint32_t width, uint32_t height);
    void press(bool down);

    // Where the registry announces the interface; public only for the C callback.
    void announce(wl_proxy* registry, uint32_t name, const char* interface);

private:
    void frame();

    wl_display* display_ = nullptr;
    wl_proxy* registry_ = nullptr;
    wl_proxy* manager_ = nullptr;
    wl_proxy* pointer_ = nullptr;
    uint32_t time_ = 0;
};

} // namespace quillet::testing
