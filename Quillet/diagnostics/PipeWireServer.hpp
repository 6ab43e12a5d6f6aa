#pragma once

#include <QString>

#include <chrono>
#include <optional>

namespace quillet {

// The user's PipeWire server, which carries the portal's screen casts.
struct PipeWireServer {
    QString version; // the server's, as it tells it; empty when it does not

    // Connects to the user's server and waits at most `limit` for its answer; nothing when there is no
    // server or it does not answer. Blocks.
    [[nodiscard]] static std::optional<PipeWireServer> query(std::chrono::milliseconds limit);
};

} // namespace quillet
