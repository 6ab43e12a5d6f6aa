#pragma once

#include "tools/screencapture/cli/Command.hpp"
#include "tools/screencapture/cli/ExitStatus.hpp"

namespace quillet::screencapture::ModeEntryPoint {

// The interactive pick and recording, in modules the program loads only for them: they need the
// toolkit and the recording libraries, which a still has no use for. The picker has a module of its
// own, so that it shows without loading the recording's many libraries first.
using Run = ExitStatus (*)(const Command& command);
inline constexpr const char* runName = "quillet_screencapture_run";
inline constexpr const char* moduleName = "libquillet-screencapture-modes.so";
inline constexpr const char* pickerModuleName = "libquillet-screencapture-picker.so";

// The module that runs `mode`; nothing for a still, which the program takes itself.
[[nodiscard]] constexpr const char* moduleFor(CaptureMode mode)
{
    switch (mode) {
    case CaptureMode::interactive:
        return pickerModuleName;
    case CaptureMode::recording:
        return moduleName;
    case CaptureMode::region:
        return nullptr;
    }
    return nullptr;
}

} // namespace quillet::screencapture::ModeEntryPoint
