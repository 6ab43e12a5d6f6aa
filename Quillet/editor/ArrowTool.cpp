#include "Quillet/editor/ArrowTool.hpp"

#include "Quillet/editor/EditorModel.hpp"
#include "core/AnnotationGeometry.hpp"
#include "core/ArrowHead.hpp"

namespace quillet {

std::optional<Mark> ArrowTool::press(Point at, const CanvasToolContext& context) const
{
    return Mark(Annotation::arrow(at, at), context.model.color());
}

Annotation ArrowTool::drag(const Annotation&, Point from, Point to, bool constrained,
                           const CanvasToolContext& context) const
{
    const Point end = constrained ? AnnotationGeometry::constrained(from, to) : to;
    return arrow(context.model.arrowHead(), from, end);
}

} // namespace quillet
