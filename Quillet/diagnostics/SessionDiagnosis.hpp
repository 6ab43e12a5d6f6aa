#pragma once

#include "Quillet/diagnostics/DiagnosticsReport.hpp"
#include "core/DesktopSession.hpp"

#include <QString>

#include <optional>
#include <utility>
#include <vector>

namespace quillet {

// What the session gives capture and shortcuts, as the diagnostics report it.
struct SessionFacts {
    DesktopSession session;
    PortalOffer offer; // asked only under Wayland
    bool restoreTokenStored = false;
    std::optional<QString> pipeWire; // the server's version when it answered

    // The session's lines of the report: its kind and routes everywhere; under Wayland also the
    // portals, the restore token (never its value) and PipeWire.
    [[nodiscard]] std::vector<std::pair<QString, QString>> lines() const;

    // Under Wayland, the report's capture-access, shareable-content and capture-test lines say what
    // the portal route gives instead of what X11 would: an X11 client sees only XWayland there. No test
    // capture is taken, as one could make the desktop ask the user. Elsewhere nothing changes.
    void describeCapture(DiagnosticsReport& report) const;
};

} // namespace quillet
