#pragma once

#include "tools/screencapture/cli/Command.hpp"
#include "tools/screencapture/cli/ExitStatus.hpp"

namespace quillet::screencapture::CastRecording {

// -v --pipewire-fd: records a screen cast (or an area of it) until SIGINT or SIGTERM, or until the
// cast ends, then completes the file. Stopped before the first picture, it leaves no file and
// succeeds; a cast that sends none, or only GPU buffers, leaves no file and fails.
[[nodiscard]] ExitStatus run(const Command& command);

} // namespace quillet::screencapture::CastRecording
