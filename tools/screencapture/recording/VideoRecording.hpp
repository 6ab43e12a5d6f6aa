#pragma once

#include "tools/screencapture/cli/Command.hpp"
#include "tools/screencapture/cli/ExitStatus.hpp"
#include "tools/screencapture/x11/PixelRect.hpp"

namespace quillet::screencapture {
class FrameSource;
}

namespace quillet::screencapture::VideoRecording {

// What one movie is made of.
struct Recording {
    FrameSource& source;
    PixelRect area;        // what the source's pictures show, in the screen's pixels
    double pixelsPerPoint; // the size of the click rings
    const Command& command;
};

// -v: records the -R rectangle into a QuickTime movie until SIGINT or SIGTERM, then completes the
// file. Stopped before the first frame, it leaves no file and succeeds.
[[nodiscard]] ExitStatus run(const Command& command);

// The movie of `recording.source`'s pictures, from its first grab until a stop, the source's end or
// a failure.
[[nodiscard]] ExitStatus record(const Recording& recording);

} // namespace quillet::screencapture::VideoRecording
