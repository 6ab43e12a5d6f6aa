#pragma once

#include "core/DesktopSession.hpp"

#include <optional>
#include <string>

namespace quillet::SessionPlatform {

// Chooses Qt's platform for the program's own windows before the application object exists, unless
// the user chose one (QT_QPA_PLATFORM). Under Wayland a native window cannot place itself, so cards
// and the panel go through XWayland wherever it runs; only without it they are native Wayland
// windows, placed by the compositor. The reason the program cannot start, if so.
[[nodiscard]] std::optional<std::string> choose(const DesktopSession& session);

} // namespace quillet::SessionPlatform
