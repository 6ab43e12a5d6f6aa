#include "Quillet/editor/TextBacking.hpp"

#include <QPainterPathStroker>
#include <QPolygonF>

#include <algorithm>

namespace quillet {

namespace {

// The glyph is closed at this size in pixels: the boolean operations cost grows with the curves'
// detail, and this is fine enough that the scaled shape stays smooth at the editor's highest zoom.
constexpr double closingEm = 48;
// Gaps inside a glyph narrower than twice this (after the growth) are filled, in ems.
constexpr double closingPerEm = 0.1;

[[nodiscard]] QPainterPath stroke(const QPainterPath& path, double width)
{
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    stroker.setJoinStyle(Qt::RoundJoin);
    stroker.setCapStyle(Qt::RoundCap);
    return stroker.createStroke(path);
}

// A contour lying inside another is a hole of the shape.
[[nodiscard]] bool liesInside(const QPolygonF& inner, const QPolygonF& outer)
{
    const QRectF innerBounds = inner.boundingRect();
    const QRectF outerBounds = outer.boundingRect();
    return innerBounds != outerBounds && outerBounds.contains(innerBounds) &&
           outer.containsPoint(inner.first(), Qt::OddEvenFill);
}

// The shape with every hole filled: its outer contours only.
[[nodiscard]] QPainterPath withoutHoles(const QPainterPath& path)
{
    const QList<QPolygonF> contours = path.toSubpathPolygons();
    QPainterPath filled;
    for (const QPolygonF& contour : contours) {
        if (contour.isEmpty()) {
            continue;
        }
        const bool isHole = std::any_of(contours.begin(), contours.end(), [&](const QPolygonF& other) {
            return &other != &contour && !other.isEmpty() && liesInside(contour, other);
        });
        if (!isHole) {
            QPainterPath outer;
            outer.addPolygon(contour);
            outer.closeSubpath();
            filled = filled.united(outer);
        }
    }
    return filled;
}

// Grows the glyph by the outline and the closing, fills what that encloses, and takes the closing
// back off: bays whose mouth the growth shut stay filled.
[[nodiscard]] QPainterPath closedShape(const QPainterPath& glyph, double growth, double closing)
{
    QPainterPath grown = glyph.united(stroke(glyph, 2 * (growth + closing)));
    const QPainterPath filled = withoutHoles(grown.simplified());
    return filled.subtracted(stroke(filled, 2 * closing));
}

} // namespace

QPainterPath TextBacking::glyphShape(const TextLine::Glyph& glyph) const
{
    const Key key{glyph.font.familyName(), glyph.font.weight(), glyph.index};
    {
        const std::lock_guard lock(mutex_);
        const auto found = glyphs_.find(key);
        if (found != glyphs_.end()) {
            return found->second;
        }
    }
    // The glyph's own outline, at the reference size, around its origin.
    QPainterPath outline = glyph.font.pathForGlyph(glyph.index);
    outline.setFillRule(Qt::WindingFill);
    const double down = closingEm / std::max(glyph.font.pixelSize(), 1.0);
    QTransform toClosing;
    toClosing.scale(down, down);
    const QPainterPath closed =
        closedShape(toClosing.map(outline), growthPerEm * closingEm, closingPerEm * closingEm);
    const QPainterPath shape = toClosing.inverted().map(closed);
    const std::lock_guard lock(mutex_);
    glyphs_.emplace(key, shape);
    return shape;
}

std::vector<QPainterPath> TextBacking::shapes(const TextLine& line, QPointF baselineOrigin) const
{
    const QTransform placement = line.placement(baselineOrigin);
    std::vector<QPainterPath> shapes;
    for (const TextLine::Glyph& glyph : line.glyphs()) {
        shapes.push_back(placement.map(glyphShape(glyph).translated(glyph.position)));
    }
    return shapes;
}

} // namespace quillet
