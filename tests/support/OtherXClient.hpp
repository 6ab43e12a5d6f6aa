#pragma once

// Header-only: a second client of the test's X server, standing for another program that holds key
// combinations or wants the keyboard and pointer.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>
#include <xcb/xcb.h>

namespace quillet::testing {

class OtherXClient {
public:
    // On `display`, or on $DISPLAY when none is given.
    explicit OtherXClient(const char* display = nullptr) : connection_(xcb_connect(display, nullptr))
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
        // With the server held, no other client's grab can land between our probe grab and its
        // release; otherwise the probe itself could make a program's registration fail.
        xcb_grab_server(connection_);
        int count = 0;
        for (const std::uint16_t modifiers : modifierStates) {
            if (grab(keyCode, modifiers)) {
                ++count;
                xcb_ungrab_key(connection_, keyCode, root_, modifiers);
            }
        }
        xcb_ungrab_server(connection_);
        xcb_flush(connection_);
        return count;
    }

    // True when another client actively holds both the keyboard and the pointer (an open picker).
    bool isInputGrabbedElsewhere()
    {
        auto* keyboard = xcb_grab_keyboard_reply(connection_,
                                                 xcb_grab_keyboard(connection_, 0, root_, XCB_CURRENT_TIME,
                                                                   XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC),
                                                 nullptr);
        auto* pointer = xcb_grab_pointer_reply(connection_,
                                               xcb_grab_pointer(connection_, 0, root_, 0, XCB_GRAB_MODE_ASYNC,
                                                                XCB_GRAB_MODE_ASYNC, XCB_NONE, XCB_NONE,
                                                                XCB_CURRENT_TIME),
                                               nullptr);
        const bool grabbed = keyboard && pointer && keyboard->status == XCB_GRAB_STATUS_ALREADY_GRABBED &&
                             pointer->status == XCB_GRAB_STATUS_ALREADY_GRABBED;
        xcb_ungrab_keyboard(connection_, XCB_CURRENT_TIME);
        xcb_ungrab_pointer(connection_, XCB_CURRENT_TIME);
        xcb_flush(connection_);
        std::free(keyboard);
        std::free(pointer);
        return grabbed;
    }

    // Takes the keyboard and the pointer and keeps them until `releaseInput` or the end of this client,
    // as a full-screen game or another picker would; false when they could not both be had.
    bool holdInput()
    {
        auto* keyboard = xcb_grab_keyboard_reply(connection_,
                                                 xcb_grab_keyboard(connection_, 0, root_, XCB_CURRENT_TIME,
                                                                   XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC),
                                                 nullptr);
        auto* pointer = xcb_grab_pointer_reply(connection_,
                                               xcb_grab_pointer(connection_, 0, root_, 0, XCB_GRAB_MODE_ASYNC,
                                                                XCB_GRAB_MODE_ASYNC, XCB_NONE, XCB_NONE,
                                                                XCB_CURRENT_TIME),
                                               nullptr);
        const bool held = keyboard && pointer && keyboard->status == XCB_GRAB_STATUS_SUCCESS &&
                          pointer->status == XCB_GRAB_STATUS_SUCCESS;
        std::free(keyboard);
        std::free(pointer);
        return held;
    }

    // Whether a program holds the selection `name`, as a tray host holds "_NET_SYSTEM_TRAY_S0".
    [[nodiscard]] bool selectionHasOwner(const char* name) const
    {
        const auto atomCookie =
            xcb_intern_atom(connection_, 1, static_cast<std::uint16_t>(std::strlen(name)), name);
        xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(connection_, atomCookie, nullptr);
        if (atom == nullptr) {
            return false;
        }
        const xcb_atom_t selection = atom->atom;
        std::free(atom);
        if (selection == XCB_ATOM_NONE) {
            return false;
        }
        xcb_get_selection_owner_reply_t* owner = xcb_get_selection_owner_reply(
            connection_, xcb_get_selection_owner(connection_, selection), nullptr);
        const bool owned = owner != nullptr && owner->owner != XCB_WINDOW_NONE;
        std::free(owner);
        return owned;
    }

private:
    xcb_connection_t* connection_;
    xcb_window_t root_ = 0;
};

} // namespace quillet::testing
