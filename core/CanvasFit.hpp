#pragma once

#include "core/Geometry.hpp"

namespace quillet {

// Where the image sits in the editor's canvas (view points, origin top-left, y down) and at what scale.
struct CanvasFit {
    // View points per image pixel.
    double scale = 1;
    // The view position of the image's top-left pixel corner.
    Point origin;

    CanvasFit() = default;
    // Shrinks the image to fit inside the view less `padding` on every side, never beyond its natural
    // size on a screen of `pixelsPerPoint`, and centres it in the whole view on whole points. Sizes
    // below 1 count as 1 for the scale, so even a tiny view gives a positive scale.
    CanvasFit(Size imageSize, Size viewSize, double pixelsPerPoint, double padding);

    // Neither conversion clamps to the image.
    [[nodiscard]] Point imagePoint(Point viewPoint) const;
    [[nodiscard]] Point viewPoint(Point imagePoint) const;

    friend bool operator==(const CanvasFit&, const CanvasFit&) = default;
};

} // namespace quillet
