#pragma once

#include "core/Geometry.hpp"

#include <optional>

namespace quillet {

// Where a new editor window opens and how large its content is, in points: a small capture at its
// natural size (but at least the window's minimum), a large one filling at most 85 % of the usable
// screen, centred on the screen's usable area and expanded to whole points.
struct EditorWindowFrame {
    static constexpr double padding = 24;
    static constexpr double toolbarHeight = 52;
    static constexpr double minimumWidth = 700;
    static constexpr double minimumHeight = 420;
    static constexpr double screenShare = 0.85;

    // `visibleFrame` is the usable area of the screen under the pointer; without any screen a
    // 1440 x 900 area at the origin stands in. `pixelsPerPoint` below 1 counts as 1.
    [[nodiscard]] static Rect initial(Size imagePixels, double pixelsPerPoint,
                                      std::optional<Rect> visibleFrame);
};

} // namespace quillet
