#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The capture tool's argument lists (without the program path), one builder per kind of capture.
// Strings are passed on as given; an empty region or path is left for the tool to refuse.
namespace quillet::ScreenCaptureArguments {

// What a recording tool prints on its own line on standard output once its first frame is in the
// movie. Until then it may not handle an interrupt yet, which would kill it instead of ending the movie.
inline constexpr std::string_view recordingStartedLine = "recording";

// Where a recording's sound comes from.
class Microphone {
public:
    enum class Kind { device, none, systemDefault };

    [[nodiscard]] static Microphone device(std::string uniqueID)
    {
        return {Kind::device, std::move(uniqueID)};
    }
    [[nodiscard]] static Microphone none() { return {Kind::none, {}}; }
    [[nodiscard]] static Microphone systemDefault() { return {Kind::systemDefault, {}}; }

    [[nodiscard]] Kind kind() const { return kind_; }
    // The audio device's identifier; empty unless the kind is `device`.
    [[nodiscard]] const std::string& deviceID() const { return deviceID_; }

    friend bool operator==(const Microphone&, const Microphone&) = default;

private:
    Microphone(Kind kind, std::string deviceID) : kind_(kind), deviceID_(std::move(deviceID)) {}

    Kind kind_;
    std::string deviceID_;
};

// A still of exactly `region` (the tool's "x,y,w,h" notation) written to `output`.
[[nodiscard]] std::vector<std::string> screen(const std::string& region, const std::string& output);

// The user picks an area or a window; `output` exists afterwards only if the pick was completed.
[[nodiscard]] std::vector<std::string> interactive(const std::string& output);

// A silent video of `region` recorded to `output` until the tool is interrupted; clicks are marked when
// `showClicks` is on.
[[nodiscard]] std::vector<std::string> recording(const std::string& region, bool showClicks,
                                                 const Microphone& microphone, const std::string& output);

// A recording of the screen cast's stream `node`, whose PipeWire connection the tool inherits as
// `descriptor`, cut to `crop` (the tool's "x,y,w,h" notation in the stream's pixels; empty for the
// whole stream). Click markers cannot be asked for: no client gets the desktop's clicks there.
[[nodiscard]] std::vector<std::string> castRecording(int descriptor, std::uint32_t node, const std::string& crop,
                                                     const Microphone& microphone, const std::string& output);

// The arguments that choose the recording's sound source: nothing, "-g", or "-G" and the identifier.
[[nodiscard]] std::vector<std::string> microphoneArguments(const Microphone& microphone);

} // namespace quillet::ScreenCaptureArguments
