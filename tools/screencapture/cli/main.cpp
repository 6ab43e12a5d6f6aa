// quillet-screencapture: the capture tool that Quillet runs as a child process. Its whole contract
// is a PNG or a playable movie at the output path, or no file at all.
#include "tools/screencapture/cli/ArgumentParser.hpp"
#include "tools/screencapture/cli/ModeLoader.hpp"
#include "tools/screencapture/recording/StopSignal.hpp"
#include "tools/screencapture/still/PngWriter.hpp"
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
    case CaptureMode::recording:
        return ModeLoader::run(command);
    }
    return ExitStatus::usage;
}

} // namespace

int main(int argc, char* argv[])
{
    // Before anything else: an interrupt must end a recording with a complete movie however early it
    // comes. The other modes keep the default, which ends them at once.
    StopSignal::install();
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const ParseResult parsed = ArgumentParser::parse(arguments);
    const auto* command = std::get_if<Command>(&parsed);
    if (command == nullptr || command->mode != CaptureMode::recording) {
        StopSignal::uninstall();
    }
    if (const auto* problem = std::get_if<UsageError>(&parsed)) {
        return code(reported(ExitStatus::usage, problem->message));
    }
    if (std::holds_alternative<HelpRequest>(parsed)) {
        std::fputs(ArgumentParser::usage().data(), stdout);
        return code(ExitStatus::success);
    }
    // Before the screen is touched: a link, device or FIFO at the output path is never written.
    if (auto refusal = PngWriter::refusedOutput(command->outputPath)) {
        return code(reported(ExitStatus::failure, *refusal));
    }
    return code(run(*command));
}
