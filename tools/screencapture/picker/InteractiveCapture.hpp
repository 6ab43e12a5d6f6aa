#pragma once

#include "tools/screencapture/cli/Command.hpp"
#include "tools/screencapture/cli/ExitStatus.hpp"

namespace quillet::screencapture::InteractiveCapture {

// -i: freezes every screen, lets the user drag an area or pick a window on the frozen picture,
// and writes the pick; a cancelled pick writes nothing and still succeeds.
[[nodiscard]] ExitStatus run(const Command& command);

} // namespace quillet::screencapture::InteractiveCapture
