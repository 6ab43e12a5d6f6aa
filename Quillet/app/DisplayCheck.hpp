#pragma once

#include <optional>
#include <string>

namespace quillet::DisplayCheck {

// Why the menu-bar program cannot show itself, in one line for the terminal; nothing when it can.
// Only the X11 platform is checked: another platform chosen on purpose (offscreen) is left to Qt.
[[nodiscard]] std::optional<std::string> problem();

} // namespace quillet::DisplayCheck
