#pragma once

#include "tools/screencapture/recording/CursorOverlay.hpp"
#include "tools/screencapture/recording/FrameGrabber.hpp"
#include "tools/screencapture/recording/FrameSource.hpp"
#include "tools/screencapture/x11/XDisplay.hpp"

namespace quillet::screencapture {

// An area of the X11 root window, read at every frame, with the pointer the server leaves out.
class X11FrameSource final : public FrameSource {
public:
    X11FrameSource(const XDisplay& display, const PixelRect& area)
        : grabber_(display, area, picturesInFlight), cursor_(display.connection()), area_(area)
    {
    }

    [[nodiscard]] Grab grab() override
    {
        cursor_.ask();
        Bitmap pixels = grabber_.grab();
        if (pixels.isEmpty()) {
            return Grab{Status::failed, {}, "cannot read the screen"};
        }
        return Grab{Status::frame, std::move(pixels), {}};
    }

    [[nodiscard]] int keptGrabs() const override { return picturesInFlight; }

    void drawPointer(const Bitmap& frame) override { cursor_.draw(frame, area_); }

private:
    FrameGrabber grabber_;
    CursorOverlay cursor_;
    PixelRect area_;
};

} // namespace quillet::screencapture
