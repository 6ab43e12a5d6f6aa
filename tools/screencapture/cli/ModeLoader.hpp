#pragma once

#include "tools/screencapture/cli/Command.hpp"
#include "tools/screencapture/cli/ExitStatus.hpp"

namespace quillet::screencapture::ModeLoader {

// Runs the interactive pick or a recording from the module that holds them, found beside the
// program where the build and the installation put it, then wherever the loader looks. A module
// that cannot be loaded is a failure, reported with the loader's reason.
[[nodiscard]] ExitStatus run(const Command& command);

} // namespace quillet::screencapture::ModeLoader
