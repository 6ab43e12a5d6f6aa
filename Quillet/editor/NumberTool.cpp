#include "Quillet/editor/NumberTool.hpp"

#include "Quillet/editor/EditorModel.hpp"

namespace quillet {

std::optional<Mark> NumberTool::press(Point at, const CanvasToolContext& context) const
{
    return Mark(Annotation::number(at, context.model.nextNumber()), context.model.color());
}

Annotation NumberTool::drag(const Annotation& draft, Point, Point to, bool, const CanvasToolContext&) const
{
    const auto* number = draft.as<Annotation::Number>();
    return number == nullptr ? draft : Annotation::number(to, number->value);
}

} // namespace quillet
