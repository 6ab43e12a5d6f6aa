#include "Quillet/editor/HighlightTool.hpp"

#include "core/AnnotationGeometry.hpp"

namespace quillet {

std::optional<Mark> HighlightTool::press(Point at, const CanvasToolContext&) const
{
    // Boxes are drawn without the mark colour; the default keeps the field defined.
    return Mark(Annotation::highlight(Rect(at, Size{})), defaultAnnotationColor);
}

Annotation HighlightTool::drag(const Annotation&, Point from, Point to, bool,
                               const CanvasToolContext& context) const
{
    return Annotation::highlight(AnnotationGeometry::rect(from, to, context.imageBounds));
}

} // namespace quillet
