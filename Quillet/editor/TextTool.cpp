#include "Quillet/editor/TextTool.hpp"

namespace quillet {

std::optional<Mark> TextTool::press(Point at, const CanvasToolContext& context) const
{
    context.beginText(at);
    return std::nullopt;
}

Annotation TextTool::drag(const Annotation& draft, Point, Point, bool, const CanvasToolContext&) const
{
    return draft;
}

} // namespace quillet
