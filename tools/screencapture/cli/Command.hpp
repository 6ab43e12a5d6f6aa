#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace quillet::screencapture {

enum class CaptureMode {
    region,      // -R x,y,w,h: a still of that rectangle
    interactive, // -i: the user picks an area or a window
    recording,   // -v: a movie of the -R rectangle until interrupted
};

// How a still is written: a PNG, or the uncompressed pixels the application reads directly.
enum class StillFormat { png, raw };

// A rectangle in points, measured from the top-left corner of the main screen, y growing downwards.
struct Region {
    long x = 0;
    long y = 0;
    long width = 0;
    long height = 0;

    friend bool operator==(const Region&, const Region&) = default;
};

// A screen cast that another program opened (on Wayland, the desktop portal's): the tool records
// one of its streams instead of reading an X11 screen.
struct CastSource {
    int descriptor = -1;      // an inherited connection to the PipeWire server
    std::uint32_t node = 0;   // the stream's node there
    std::optional<Region> crop; // in the stream's pixels; the whole stream without it

    friend bool operator==(const CastSource&, const CastSource&) = default;
};

// What one run of the tool was asked to do.
struct Command {
    CaptureMode mode = CaptureMode::region;
    std::optional<Region> region;
    bool isSilent = false;
    StillFormat stillFormat = StillFormat::png;
    // Recording only.
    bool showsClicks = false;
    bool usesDefaultMicrophone = false;
    std::optional<std::string> microphoneID;
    std::optional<CastSource> cast; // instead of -R
    std::string outputPath;

    friend bool operator==(const Command&, const Command&) = default;
};

} // namespace quillet::screencapture
