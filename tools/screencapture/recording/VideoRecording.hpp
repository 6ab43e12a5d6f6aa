#pragma once

#include "tools/screencapture/cli/Command.hpp"
#include "tools/screencapture/cli/ExitStatus.hpp"

namespace quillet::screencapture::VideoRecording {

// -v: records the -R rectangle into a QuickTime movie until SIGINT or SIGTERM, then completes the
// file. Stopped before the first frame, it leaves no file and succeeds.
[[nodiscard]] ExitStatus run(const Command& command);

} // namespace quillet::screencapture::VideoRecording
