#pragma once

// Header-only: a second client of the test's X server, standing for another program that holds key
// combinations.

#include <cstdint>
#include <cstdlib>
#include <vector>
#include <xcb/xcb.h>

namespace quillet::testing {

class OtherXClient {
public:
    OtherXClient() : connection_(xcb_connect(nullptr, nullptr))
    {
        if (xcb_connection_has_error(connection_) == 0) {
            root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
        }
    }
    ~OtherXClient() { xcb_disconnect(connection_); }
    OtherXClient(const OtherXClient&) = delete;
    OtherXClient& operator=(const OtherXClient&) = delete;

    [[nodiscard]] bool isConnected() const { return root_ != 0; }

    // Grabs one exact modifier state of a key, as another program's hot key would; false when refused.
    bool grab(std::uint8_t keyCode, std::uint16_t modifiers)
    {
        const auto cookie = xcb_grab_key_checked(connection_, 1, root_, modifiers, keyCode,
                                                 XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
        xcb_generic_error_t* error = xcb_request_check(connection_, cookie);
        std::free(error);
        return error == nullptr;
    }

    // How many of the states in `modifierStates` this client can grab; each success is given back.
    int grabbable(std::uint8_t keyCode, const std::vector<std::uint16_t>& modifierStates)
    {
        int count = 0;
        for (const std::uint16_t modifiers : modifierStates) {
            if (grab(keyCode, modifiers)) {
                ++count;
                xcb_ungrab_key(connection_, keyCode, root_, modifiers);
            }
        }
        xcb_flush(connection_);
        return count;
    }

private:
    xcb_connection_t* connection_;
    xcb_window_t root_ = 0;
};

} // namespace quillet::testing
