#pragma once

// A private PulseAudio server with no sound card, for tests of what the program finds on it.

#include "tests/support/ChildProcess.hpp"
#include "tests/support/WaitFor.hpp"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <memory>

namespace quillet::testing {

class PulseAudioServer {
public:
    // Starts the server with the given modules (for example "module-null-source source_name=mic").
    explicit PulseAudioServer(const std::vector<std::string>& modules)
    {
        if (!folder_.isValid()) {
            return;
        }
        auto environment = ChildProcess::baseEnvironment({});
        environment["HOME"] = folder_.path().toStdString();
        environment["XDG_RUNTIME_DIR"] = folder_.path().toStdString();
        std::vector<std::string> arguments{
            "pulseaudio",
            "-n",
            "--daemonize=no",
            "--exit-idle-time=-1",
            "--disable-shm",
            "--load=module-native-protocol-unix auth-anonymous=1 socket=" + socket().toStdString()};
        for (const auto& module : modules) {
            arguments.push_back("--load=" + module);
        }
        server_ = std::make_unique<ChildProcess>(arguments, environment);
    }

    // True once clients can connect; false when the server did not come up within `limit`.
    [[nodiscard]] bool waitUntilReady(std::chrono::milliseconds limit)
    {
        return server_ && waitFor([this] { return QFileInfo::exists(socket()); }, limit);
    }

    // The value of PULSE_SERVER that reaches it.
    [[nodiscard]] std::string address() const { return "unix:" + socket().toStdString(); }

private:
    [[nodiscard]] QString socket() const { return folder_.filePath("native"); }

    QTemporaryDir folder_;
    std::unique_ptr<ChildProcess> server_;
};

} // namespace quillet::testing
