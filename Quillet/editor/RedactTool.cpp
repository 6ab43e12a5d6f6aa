#include "Quillet/editor/RedactTool.hpp"

#include "Quillet/editor/AnnotationRenderer.hpp"
#include "Quillet/editor/EditorModel.hpp"
#include "core/AnnotationGeometry.hpp"

namespace quillet {

std::optional<Mark> RedactTool::press(Point at, const CanvasToolContext&) const
{
    return Mark(Annotation::redact(Rect(at, Size{})), defaultAnnotationColor);
}

Annotation RedactTool::drag(const Annotation&, Point from, Point to, bool,
                            const CanvasToolContext& context) const
{
    const Rect box = AnnotationGeometry::rect(from, to, context.imageBounds);
    // Too small to become a mark: show nothing rather than a block the release would drop.
    if (Annotation::redact(box).isEmpty()) {
        return Annotation::redact(Rect{});
    }
    const int block = context.model.renderer()->style().redactBlockPixels();
    return Annotation::redact(AnnotationGeometry::redactionRect(box, block, context.imageBounds));
}

} // namespace quillet
