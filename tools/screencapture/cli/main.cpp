// quillet-screencapture: the capture tool that Quillet runs as a child process. Its whole contract
// is a PNG at the output path, or no file at all.
#include "tools/screencapture/cli/ArgumentParser.hpp"
#include "tools/screencapture/picker/InteractiveCapture.hpp"
#include "tools/screencapture/still/StillCapture.hpp"

#include <cstdio>
#include <string>
#include <vector>

using namespace quillet::screencapture;

namespace {

ExitStatus run(const Command& command)
{
    switch (command.mode) {
    case CaptureMode::region:
        return StillCapture::run(command);
    case CaptureMode::interactive:
        return InteractiveCapture::run(command);
    case CaptureMode::recording:
        break;
    }
    return reported(ExitStatus::usage, "recording (-v) is not available in this build");
}

} // namespace

int main(int argc, char* argv[])
{
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const ParseResult parsed = ArgumentParser::parse(arguments);
    if (const auto* problem = std::get_if<UsageError>(&parsed)) {
        return code(reported(ExitStatus::usage, problem->message));
    }
    if (std::holds_alternative<HelpRequest>(parsed)) {
        std::fputs(ArgumentParser::usage().data(), stdout);
        return code(ExitStatus::success);
    }
    return code(run(std::get<Command>(parsed)));
}
