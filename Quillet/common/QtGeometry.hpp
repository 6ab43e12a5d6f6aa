#pragma once

#include "core/Geometry.hpp"

#include <QPointF>
#include <QRectF>
#include <QSizeF>

// Conversions between the pure layer's geometry and Qt's. A null rectangle has no Qt counterpart
// and converts to an empty QRectF.
namespace quillet {

[[nodiscard]] inline QPointF toQt(Point p)
{
    return {p.x, p.y};
}
[[nodiscard]] inline QSizeF toQt(Size s)
{
    return {s.width, s.height};
}

[[nodiscard]] inline QRectF toQt(const Rect& r)
{
    if (r.isNull()) {
        return {};
    }
    return {r.minX(), r.minY(), r.width(), r.height()};
}

[[nodiscard]] inline Point fromQt(QPointF p)
{
    return {p.x(), p.y()};
}
[[nodiscard]] inline Size fromQt(QSizeF s)
{
    return {s.width(), s.height()};
}
[[nodiscard]] inline Rect fromQt(const QRectF& r)
{
    return {r.x(), r.y(), r.width(), r.height()};
}

} // namespace quillet
