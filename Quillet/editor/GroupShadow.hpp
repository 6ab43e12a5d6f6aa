#pragma once

#include <QColor>
#include <QPointF>
#include <QRectF>

#include <functional>

class QPainter;

namespace quillet {

// One drop shadow under a whole group of drawing operations (an arrow's polygon and tail disc, a
// text's outline and fill), as a transparency layer with a shadow gives it: the group is rendered
// into a layer covering only its own device-space bounds plus the blur margin, the layer's coverage
// is blurred and drawn tinted and offset, and the layer itself is drawn on top.
//
// Offset and blur are given in the painter's user space and converted to device space at paint
// time, so the shadow keeps its size relative to the drawing at any zoom.
class GroupShadow {
public:
    GroupShadow(QPointF userOffset, double userBlur, QColor color);

    // `userBounds` must contain everything `drawGroup` paints, in the painter's user space.
    // `drawGroup` receives a painter with the same world transform, render hints and pen/brush
    // defaults; it paints with source-over into the layer.
    void paint(QPainter& painter, const QRectF& userBounds,
               const std::function<void(QPainter&)>& drawGroup) const;

private:
    QPointF userOffset_;
    double userBlur_;
    QColor color_;
};

} // namespace quillet
