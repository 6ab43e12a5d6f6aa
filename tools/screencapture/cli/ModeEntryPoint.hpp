#pragma once

#include "tools/screencapture/cli/Command.hpp"
#include "tools/screencapture/cli/ExitStatus.hpp"

namespace quillet::screencapture::ModeEntryPoint {

// The interactive pick and recording, in the module the program loads only for them: they need the
// toolkit and the recording libraries, which a still has no use for.
using Run = ExitStatus (*)(const Command& command);
inline constexpr const char* runName = "quillet_screencapture_run";
inline constexpr const char* moduleName = "libquillet-screencapture-modes.so";

} // namespace quillet::screencapture::ModeEntryPoint
