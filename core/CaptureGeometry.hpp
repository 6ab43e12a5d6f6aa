#pragma once

#include "core/Geometry.hpp"

#include <string>

// Rectangles for the capture tool. Program coordinates are global screen points with the origin at the
// bottom-left corner of the main screen and y growing upwards; the tool's coordinates start at the main
// screen's top-left corner with y growing downwards.
namespace quillet::CaptureGeometry {

// The smallest width and height, in points, of a dragged recording area.
inline constexpr double minimumSelection = 20;

// The tool's "x,y,w,h" notation of `rect`: top-left corner measured down from the top of the main
// screen, each number rounded on its own with halves away from zero. Screens left of or above the main
// screen give negative numbers. Values must be finite and fit a 64-bit integer.
[[nodiscard]] std::string region(const Rect& rect, double mainScreenHeight);

// The whole-point rectangle spanned by a drag from `start` to `end`, or `fallback` unchanged when that
// rectangle is less than `minimumSelection` wide or high (a click selects the fallback).
[[nodiscard]] Rect recordingArea(Point start, Point end, const Rect& fallback);

} // namespace quillet::CaptureGeometry
