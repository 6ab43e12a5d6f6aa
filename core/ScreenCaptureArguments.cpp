#include "core/ScreenCaptureArguments.hpp"

namespace quillet::ScreenCaptureArguments {

std::vector<std::string> screen(const std::string& region, const std::string& output)
{
    return {"-R", region, output};
}

std::vector<std::string> interactive(const std::string& output)
{
    return {"-i", output};
}

std::vector<std::string> recording(const std::string& region, bool showClicks, const Microphone& microphone,
                                   const std::string& output)
{
    std::vector<std::string> arguments{"-v", "-x", "-R", region};
    if (showClicks) {
        arguments.emplace_back("-k");
    }
    for (std::string& argument : microphoneArguments(microphone)) {
        arguments.push_back(std::move(argument));
    }
    arguments.push_back(output);
    return arguments;
}

std::vector<std::string> castRecording(int descriptor, std::uint32_t node, const std::string& crop,
                                       const Microphone& microphone, const std::string& output)
{
    std::vector<std::string> arguments{"-v", "-x", "--pipewire-fd", std::to_string(descriptor), "--pipewire-node",
                                       std::to_string(node)};
    if (!crop.empty()) {
        arguments.insert(arguments.end(), {"--crop", crop});
    }
    for (std::string& argument : microphoneArguments(microphone)) {
        arguments.push_back(std::move(argument));
    }
    arguments.push_back(output);
    return arguments;
}

std::vector<std::string> microphoneArguments(const Microphone& microphone)
{
    switch (microphone.kind()) {
    case Microphone::Kind::device:
        return {"-G", microphone.deviceID()};
    case Microphone::Kind::none:
        return {};
    case Microphone::Kind::systemDefault:
        return {"-g"};
    }
    return {};
}

} // namespace quillet::ScreenCaptureArguments
