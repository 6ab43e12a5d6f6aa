#pragma once

#include "Quillet/capture/ScreenRecordingPermission.hpp"

namespace quillet {

// A session that offers no way to see the screen (Wayland without a capture portal): X11 grabs there
// return black pictures, so no capture is ever tried and nothing can grant it.
class UnavailableScreenRecordingPermission final : public ScreenRecordingPermission {
public:
    [[nodiscard]] bool preflight() const override { return false; }
    bool request() override { return false; }
};

} // namespace quillet
