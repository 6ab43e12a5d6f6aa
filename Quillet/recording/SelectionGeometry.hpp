#pragma once

#include "core/Geometry.hpp"

#include <QPointF>
#include <QRect>
#include <QRectF>

namespace quillet::SelectionGeometry {

// A point of a drag kept inside its screen's overlay (local coordinates, y down), so that the area
// recorded is the area the overlay showed.
[[nodiscard]] QPointF clamped(QPointF local, const QSizeF& bounds);

// The area a drag from `start` to `end` records, in the overlay's local coordinates: whole points,
// or the whole overlay for a click or a drag under the minimum size.
[[nodiscard]] QRect recordedArea(QPointF start, QPointF end, const QSize& bounds);

// The same rectangle as it shows during the drag, without the minimum size.
[[nodiscard]] QRect shownArea(QPointF start, QPointF end);

// A rectangle of a screen's overlay in program coordinates (points, origin bottom-left of the main
// screen, y up), for a screen and a main screen given in the toolkit's global coordinates.
[[nodiscard]] Rect programRect(const QRect& local, const QRect& screen, const QRect& mainScreen);

} // namespace quillet::SelectionGeometry
