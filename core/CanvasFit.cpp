#include "core/CanvasFit.hpp"

#include <algorithm>
#include <cmath>

namespace quillet {
namespace {

// Also replaces NaN, which std::max would pass through.
double atLeastOne(double value)
{
    return value >= 1 ? value : 1;
}

} // namespace

CanvasFit::CanvasFit(Size imageSize, Size viewSize, double pixelsPerPoint, double padding)
{
    const double availableWidth = viewSize.width - 2 * padding;
    const double availableHeight = viewSize.height - 2 * padding;
    const double fit = std::min(atLeastOne(availableWidth) / atLeastOne(imageSize.width),
                                atLeastOne(availableHeight) / atLeastOne(imageSize.height));
    scale = std::min(fit, 1 / atLeastOne(pixelsPerPoint));
    origin = {std::round((viewSize.width - imageSize.width * scale) / 2),
              std::round((viewSize.height - imageSize.height * scale) / 2)};
}

Point CanvasFit::imagePoint(Point viewPoint) const
{
    return {(viewPoint.x - origin.x) / scale, (viewPoint.y - origin.y) / scale};
}

Point CanvasFit::viewPoint(Point imagePoint) const
{
    return {origin.x + imagePoint.x * scale, origin.y + imagePoint.y * scale};
}

} // namespace quillet
