#pragma once

#include "core/Mark.hpp"

#include <QImage>

#include <vector>

namespace quillet {

// The sample content of the editor snapshots: an imitation application window and marks laid over
// its lines, button and side panel.
class EditorSample {
public:
    static constexpr int screenshotWidth = 1600;
    static constexpr int screenshotHeight = 1000;
    static constexpr double pixelsPerPoint = 2.0;

    // A 1600 x 1000 premultiplied RGBA bitmap; null if it cannot be allocated.
    [[nodiscard]] static QImage screenshot();

    // The eight sample marks in drawing order, in the screenshot's pixel space.
    [[nodiscard]] static std::vector<Mark> marks();
};

} // namespace quillet
