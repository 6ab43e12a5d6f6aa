#pragma once

#include "Quillet/capture/ScreenRecordingPermission.hpp"

namespace quillet {

// Every X11 client may read the screen: the permission is always granted. (A session that shows a
// capture fully transparent is still caught by the blank-capture test.)
class X11ScreenRecordingPermission final : public ScreenRecordingPermission {
public:
    [[nodiscard]] bool preflight() const override { return true; }
    bool request() override { return true; }
};

} // namespace quillet
