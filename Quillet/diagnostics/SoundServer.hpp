#pragma once

#include <QString>

#include <chrono>
#include <optional>

namespace quillet {

// The PulseAudio (or PipeWire-Pulse) server recordings would take their sound from.
struct SoundServer {
    QString name; // "pulseaudio", "PulseAudio (on PipeWire 0.3.65)", …
    QString version;
    QString defaultSource; // empty when the server has none

    // Asks the user's server; nothing when none answers within `limit`. Never starts a server.
    [[nodiscard]] static std::optional<SoundServer> query(std::chrono::milliseconds limit);
};

} // namespace quillet
