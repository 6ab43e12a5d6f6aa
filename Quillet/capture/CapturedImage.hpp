#pragma once

#include <QImage>

namespace quillet {

// A still as the capture hands it on: the bitmap at full pixel resolution (premultiplied alpha, in
// one of Qt's 32-bit formats) and its pixels per point, a whole number of at least 1.
struct CapturedImage {
    QImage image;
    double scale = 1;

    // Whether nothing at all is visible: every pixel of a 64 × 64 reduction is fully transparent,
    // which is what a screen grab without permission to see the screen yields.
    [[nodiscard]] bool isBlank() const;
};

} // namespace quillet
