#pragma once

#include "core/Geometry.hpp"

#include <array>

namespace quillet {

// An arrow as one closed polygon: tail edge, neck, barb, tip, barb, neck, tail edge. The renderer
// strokes it with round joins and caps the tail with a disc of `tailRadius`.
struct ArrowOutline {
    static constexpr std::size_t pointCount = 7;

    std::array<Point, pointCount> points;
    double tailRadius = 0;
};

} // namespace quillet
