#pragma once

#include <QImage>

namespace quillet {

// A made-up screenshot for measuring memory: a light window with a dark side bar, a colour gradient
// and sixty lines of text, varied by `seed` so that no two are alike.
struct SyntheticCapture {
    static constexpr int width = 5120;
    static constexpr int height = 2880;
    static constexpr double textPoints = 34;

    // A width × height premultiplied RGBA bitmap; null when it cannot be allocated.
    [[nodiscard]] static QImage make(int seed);
};

} // namespace quillet
