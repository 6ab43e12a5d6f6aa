#pragma once

#include "Quillet/recording/Microphones.hpp"

#include <memory>

namespace quillet {

// The sound server's capture sources (PulseAudio, or PipeWire's Pulse server) on the program's own
// event loop. Monitors of outputs are not microphones and are left out. The list follows the
// server: sources added or removed, a new default, a server that restarts or appears later.
class PulseMicrophones final : public Microphones {
public:
    explicit PulseMicrophones(QObject* parent = nullptr);
    ~PulseMicrophones() override;

    [[nodiscard]] std::vector<Device> available() const override;
    [[nodiscard]] QString defaultName() const override;

    // Whether the program's event loop can carry the server connection at all.
    [[nodiscard]] static bool isSupported();

private:
    struct Connection;
    std::unique_ptr<Connection> connection_;
};

} // namespace quillet
