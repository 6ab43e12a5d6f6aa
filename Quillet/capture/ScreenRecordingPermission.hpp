#pragma once

namespace quillet {

// The desktop's permission to see the screen.
class ScreenRecordingPermission {
public:
    virtual ~ScreenRecordingPermission() = default;

    // Whether captures may see the screen now; never asks the user.
    [[nodiscard]] virtual bool preflight() const = 0;
    // Asks the user where the desktop can; whether it is granted.
    virtual bool request() = 0;
};

} // namespace quillet
