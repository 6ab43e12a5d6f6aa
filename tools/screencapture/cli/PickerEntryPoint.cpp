// The picker's module: the toolkit and nothing of the recording's.
#include "tools/screencapture/cli/ModeEntryPoint.hpp"
#include "tools/screencapture/picker/InteractiveCapture.hpp"

#include <type_traits>

using namespace quillet::screencapture;

extern "C" __attribute__((visibility("default"))) ExitStatus quillet_screencapture_run(const Command& command)
{
    switch (command.mode) {
    case CaptureMode::interactive:
        return InteractiveCapture::run(command);
    case CaptureMode::recording:
    case CaptureMode::region:
        break;
    }
    return reported(ExitStatus::usage, "the picker's module only picks");
}

static_assert(std::is_same_v<decltype(&quillet_screencapture_run), ModeEntryPoint::Run>);
