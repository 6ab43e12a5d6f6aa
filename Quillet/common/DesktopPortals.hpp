#pragma once

#include "core/DesktopSession.hpp"

#include <chrono>

namespace quillet::DesktopPortals {

// Whether a session bus was announced to this process. Asking for the session bus without one would
// have the bus library start a daemon of its own for the X display.
[[nodiscard]] bool sessionBusAnnounced();

// Asks the desktop's portal service which of the portals it offers, waiting at most `limit` (the
// service may be started on demand). Nothing is offered without a session bus or an answer.
[[nodiscard]] PortalOffer offer(std::chrono::milliseconds limit);

} // namespace quillet::DesktopPortals
