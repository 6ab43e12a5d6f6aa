#pragma once

// Header-only: a client of the benchmark's X server that sees every key press the server takes (XInput 2
// raw events reach the root window whoever grabs the key) and every top-level window being mapped or
// unmapped, each stamped with the steady clock when it arrives here.

#include <xcb/xcb.h>
#include <xcb/xinput.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <poll.h>

namespace quillet::bench {

class XEventWatch {
public:
    using Clock = std::chrono::steady_clock;

    struct Seen {
        xcb_window_t window = 0;
        Clock::time_point at;
    };

    XEventWatch() : connection_(xcb_connect(nullptr, nullptr))
    {
        if (xcb_connection_has_error(connection_) != 0) {
            return;
        }
        root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
        const std::uint32_t events = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &events);
        const auto* extension = xcb_get_extension_data(connection_, &xcb_input_id);
        if (extension == nullptr || extension->present == 0) {
            return;
        }
        inputOpcode_ = extension->major_opcode;
        std::free(xcb_input_xi_query_version_reply(connection_, xcb_input_xi_query_version(connection_, 2, 2),
                                                   nullptr));
        struct {
            xcb_input_event_mask_t head;
            std::uint32_t mask;
        } mask{{XCB_INPUT_DEVICE_ALL_MASTER, 1}, XCB_INPUT_XI_EVENT_MASK_RAW_KEY_PRESS};
        xcb_input_xi_select_events(connection_, root_, 1, &mask.head);
        xcb_flush(connection_);
        ready_ = true;
    }
    ~XEventWatch() { xcb_disconnect(connection_); }
    XEventWatch(const XEventWatch&) = delete;
    XEventWatch& operator=(const XEventWatch&) = delete;

    [[nodiscard]] bool isReady() const { return ready_; }

    // The key code that types `keySym` without modifiers, 0 when the keyboard has none.
    [[nodiscard]] std::uint8_t keyCode(std::uint32_t keySym) const
    {
        const xcb_setup_t* setup = xcb_get_setup(connection_);
        const auto count = static_cast<std::uint8_t>(setup->max_keycode - setup->min_keycode + 1);
        auto* map = xcb_get_keyboard_mapping_reply(
            connection_, xcb_get_keyboard_mapping(connection_, setup->min_keycode, count), nullptr);
        if (map == nullptr) {
            return 0;
        }
        const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(map);
        std::uint8_t found = 0;
        for (int key = 0; key < count && found == 0; ++key) {
            if (syms[key * map->keysyms_per_keycode] == keySym) {
                found = static_cast<std::uint8_t>(setup->min_keycode + key);
            }
        }
        std::free(map);
        return found;
    }

    // Forgets whatever arrived so far.
    void drain()
    {
        while (auto* event = xcb_poll_for_event(connection_)) {
            std::free(event);
        }
    }

    [[nodiscard]] std::optional<Seen> keyPress(std::uint8_t code, Clock::duration limit)
    {
        return next(limit, [this, code](const xcb_generic_event_t& event) {
            if ((event.response_type & 0x7f) != XCB_GE_GENERIC) {
                return false;
            }
            const auto& generic = reinterpret_cast<const xcb_ge_generic_event_t&>(event);
            return generic.extension == inputOpcode_ && generic.event_type == XCB_INPUT_RAW_KEY_PRESS &&
                   reinterpret_cast<const xcb_input_raw_key_press_event_t&>(event).detail == code;
        });
    }

    [[nodiscard]] std::optional<Seen> mapped(Clock::duration limit)
    {
        return next(limit, [](const xcb_generic_event_t& event) {
            return (event.response_type & 0x7f) == XCB_MAP_NOTIFY;
        });
    }

    [[nodiscard]] std::optional<Seen> unmapped(xcb_window_t window, Clock::duration limit)
    {
        return next(limit, [window](const xcb_generic_event_t& event) {
            const auto type = event.response_type & 0x7f;
            return (type == XCB_UNMAP_NOTIFY &&
                    reinterpret_cast<const xcb_unmap_notify_event_t&>(event).window == window) ||
                   (type == XCB_DESTROY_NOTIFY &&
                    reinterpret_cast<const xcb_destroy_notify_event_t&>(event).window == window);
        });
    }

private:
    static xcb_window_t windowOf(const xcb_generic_event_t& event)
    {
        if ((event.response_type & 0x7f) == XCB_MAP_NOTIFY) {
            return reinterpret_cast<const xcb_map_notify_event_t&>(event).window;
        }
        return 0;
    }

    template <typename Wanted> std::optional<Seen> next(Clock::duration limit, Wanted wanted)
    {
        const auto end = Clock::now() + limit;
        while (Clock::now() < end) {
            while (auto* event = xcb_poll_for_event(connection_)) {
                const auto at = Clock::now();
                const bool match = wanted(*event);
                const Seen seen{windowOf(*event), at};
                std::free(event);
                if (match) {
                    return seen;
                }
            }
            if (xcb_connection_has_error(connection_) != 0) {
                return std::nullopt;
            }
            pollfd descriptor{xcb_get_file_descriptor(connection_), POLLIN, 0};
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
            ::poll(&descriptor, 1, static_cast<int>(std::max<std::int64_t>(1, left.count())));
        }
        return std::nullopt;
    }

    xcb_connection_t* connection_;
    xcb_window_t root_ = 0;
    std::uint8_t inputOpcode_ = 0;
    bool ready_ = false;
};

} // namespace quillet::bench
