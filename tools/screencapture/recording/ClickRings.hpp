#pragma once

#include "tools/screencapture/still/Bitmap.hpp"
#include "tools/screencapture/x11/PixelRect.hpp"

#include <chrono>
#include <mutex>
#include <vector>

namespace quillet::screencapture {

// The mouse presses of a recording, drawn into its frames as rings that widen and fade out.
// Presses arrive from the thread that watches the mouse; frames are drawn on the grabbing thread.
class ClickRings {
public:
    using Clock = std::chrono::steady_clock;

    static constexpr std::chrono::milliseconds lifetime{400};
    // In points, scaled to the screen's pixels.
    static constexpr double startRadius = 10;
    static constexpr double endRadius = 22;
    static constexpr double thickness = 3;
    // Amber reads on light and dark content alike; B,G,R byte order.
    static constexpr std::uint8_t colour[3] = {0x00, 0xb4, 0xff};

    explicit ClickRings(double pixelsPerPoint) : pixelsPerPoint_(pixelsPerPoint) {}

    // A press at root pixel (x, y).
    void add(Clock::time_point at, long x, long y);

    // Draws the rings alive at `now` into `frame`, which shows root pixels `area`; forgets the
    // rings that have faded out.
    void draw(const Bitmap& frame, const PixelRect& area, Clock::time_point now);

private:
    struct Press {
        Clock::time_point at;
        long x;
        long y;
    };

    void drawRing(const Bitmap& frame, double centreX, double centreY, double age) const;

    double pixelsPerPoint_;
    std::mutex mutex_;
    std::vector<Press> presses_;
};

} // namespace quillet::screencapture
