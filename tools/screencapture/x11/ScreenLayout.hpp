#pragma once

#include "tools/screencapture/cli/Command.hpp"
#include "tools/screencapture/x11/PixelRect.hpp"

#include <vector>

namespace quillet::screencapture {

// The screens in root-window pixels and the one pixels-per-point factor that X11 gives them all.
// Points follow the toolkit's convention: each screen keeps its pixel origin as its point origin and
// has its size divided by the factor, so that screens never overlap in points.
struct ScreenLayout {
    std::vector<PixelRect> screens; // the main screen first
    double pixelsPerPoint = 1;

    [[nodiscard]] const PixelRect& mainScreen() const { return screens.front(); }

    // The pixels of a region given in points from the main screen's top-left corner. The screen that
    // holds the region's origin decides the mapping; off every screen the main screen's applies.
    [[nodiscard]] PixelRect pixelRect(const Region& region) const;

    // Whole points in pixels, rounded half away from zero.
    [[nodiscard]] long pixels(double points) const;

    // The main screen is the one at the root origin, else the primary one, else the first listed.
    // `screens` must not be empty (without RandR the root window is the one screen).
    [[nodiscard]] static ScreenLayout make(std::vector<PixelRect> screens, int primaryIndex,
                                           double pixelsPerPoint);
};

} // namespace quillet::screencapture
