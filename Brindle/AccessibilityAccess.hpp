#pragma once

namespace brindle {

// Whether the program may watch and synthesise input system-wide. Every X11 client may; a Wayland
// session gives no such trust to applications.
struct AccessibilityAccess {
    [[nodiscard]] static bool isTrusted();
    // Nothing can be asked for on these platforms; reports the trust in force.
    static bool requestIfNeeded();
};

} // namespace brindle
