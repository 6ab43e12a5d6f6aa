#include "tools/screencapture/cli/ModeEntryPoint.hpp"

#include "tools/screencapture/recording/VideoRecording.hpp"

#include <type_traits>

using namespace quillet::screencapture;

extern "C" __attribute__((visibility("default"))) ExitStatus quillet_screencapture_run(const Command& command)
{
    switch (command.mode) {
    case CaptureMode::recording:
        return VideoRecording::run(command);
    case CaptureMode::interactive:
    case CaptureMode::region:
        break;
    }
    return reported(ExitStatus::usage, "the recording's module only records");
}

// The entry point's type is the one the program calls through.
static_assert(std::is_same_v<decltype(&quillet_screencapture_run), ModeEntryPoint::Run>);
