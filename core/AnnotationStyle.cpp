#include "core/AnnotationStyle.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

namespace quillet {
namespace {

constexpr double minimumScale = 1.0;
constexpr int minimumRedactBlockPixels = 2;

} // namespace

AnnotationStyle::AnnotationStyle(double scale)
    : scale(std::isnan(scale) ? minimumScale : std::max(scale, minimumScale))
{
}

int AnnotationStyle::redactBlockPixels() const
{
    const double rounded = std::round(redactBlockSize());
    // NaN and tiny scales fall to the minimum; huge ones stop where an int ends.
    if (!(rounded >= minimumRedactBlockPixels)) {
        return minimumRedactBlockPixels;
    }
    if (rounded >= static_cast<double>(std::numeric_limits<int>::max())) {
        return std::numeric_limits<int>::max();
    }
    return static_cast<int>(rounded);
}

} // namespace quillet
