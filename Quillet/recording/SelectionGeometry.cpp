#include "Quillet/recording/SelectionGeometry.hpp"

#include "Quillet/common/ScreenGeometry.hpp"
#include "core/CaptureGeometry.hpp"

#include <algorithm>
#include <cmath>

namespace quillet::SelectionGeometry {
namespace {

QRect toQt(const Rect& rect)
{
    return QRect(int(std::lround(rect.minX())), int(std::lround(rect.minY())), int(std::lround(rect.width())),
                 int(std::lround(rect.height())));
}

} // namespace

QPointF clamped(QPointF local, const QSizeF& bounds)
{
    return {std::clamp(local.x(), 0.0, bounds.width()), std::clamp(local.y(), 0.0, bounds.height())};
}

QRect recordedArea(QPointF start, QPointF end, const QSize& bounds)
{
    // The rule is symmetric in y, so it applies to the overlay's y-down coordinates as they are.
    const Rect whole{0, 0, double(bounds.width()), double(bounds.height())};
    return toQt(CaptureGeometry::recordingArea({start.x(), start.y()}, {end.x(), end.y()}, whole));
}

QRect shownArea(QPointF start, QPointF end)
{
    const double left = std::floor(std::min(start.x(), end.x()));
    const double top = std::floor(std::min(start.y(), end.y()));
    const double right = std::ceil(std::max(start.x(), end.x()));
    const double bottom = std::ceil(std::max(start.y(), end.y()));
    return QRect(int(left), int(top), int(right - left), int(bottom - top));
}

Rect programRect(const QRect& local, const QRect& screen, const QRect& mainScreen)
{
    return ScreenGeometry::frameIn(local.translated(screen.topLeft()), mainScreen);
}

} // namespace quillet::SelectionGeometry
