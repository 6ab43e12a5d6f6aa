#include "tools/screencapture/cli/ModeEntryPoint.hpp"

#include "tools/screencapture/picker/InteractiveCapture.hpp"
#include "tools/screencapture/recording/VideoRecording.hpp"

#include <type_traits>

using namespace quillet::screencapture;

extern "C" __attribute__((visibility("default"))) ExitStatus quillet_screencapture_run(const Command& command)
{
    switch (command.mode) {
    case CaptureMode::interactive:
        return InteractiveCapture::run(command);
    case CaptureMode::recording:
        return VideoRecording::run(command);
    case CaptureMode::region:
        break;
    }
    return reported(ExitStatus::usage, "a still is not taken by the module");
}

// The entry point's type is the one the program calls through.
static_assert(std::is_same_v<decltype(&quillet_screencapture_run), ModeEntryPoint::Run>);
