#pragma once

#include "tools/screencapture/still/Bitmap.hpp"

#include <string>

namespace quillet::screencapture {

// Where a recording's pictures come from, once per frame of the movie: the X11 screen, read on
// demand, or a screen cast, whose newest picture is held until the next one comes.
class FrameSource {
public:
    enum class Status {
        frame,  // `pixels` holds the picture
        ended,  // the source is gone; the movie ends as on a stop
        failed, // `reason` says why
    };

    struct Grab {
        Status status = Status::failed;
        Bitmap pixels; // B,G,R,x, writable and valid until the next grab
        std::string reason;
        bool isRepeat = false; // the same picture, pointer and all, as the grab before

    };

    FrameSource() = default;
    virtual ~FrameSource() = default;
    FrameSource(const FrameSource&) = delete;
    FrameSource& operator=(const FrameSource&) = delete;

    [[nodiscard]] virtual Grab grab() = 0;

    // Pictures a recording has between the grab and the encoder at most: one being converted, one
    // waiting, one being grabbed, so the grab never waits for an encoder that catches up next frame.
    static constexpr int picturesInFlight = 3;

    // How many of the latest grabs' pictures are valid at once: a picture is overwritten by the grab
    // that many grabs later. A source keeping fewer than `picturesInFlight` has its pictures copied.
    [[nodiscard]] virtual int keptGrabs() const { return 1; }

    // Draws the pointer, where the viewer saw it, into a picture the last grab returned.
    virtual void drawPointer(const Bitmap& frame) = 0;
};

} // namespace quillet::screencapture
