#pragma once

#include "core/Geometry.hpp"

#include <functional>
#include <string>

namespace quillet {

// Measures the box of a text mark's string in image pixels. It must be the renderer's own measurement,
// so selection boxes and hit tests match what is drawn.
using TextMeasure = std::function<Size(const std::string&)>;

} // namespace quillet
