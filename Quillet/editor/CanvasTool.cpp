#include "Quillet/editor/CanvasTool.hpp"

#include "Quillet/editor/ArrowTool.hpp"
#include "Quillet/editor/HighlightTool.hpp"
#include "Quillet/editor/NumberTool.hpp"
#include "Quillet/editor/RedactTool.hpp"
#include "Quillet/editor/TextTool.hpp"

namespace quillet {

std::unique_ptr<CanvasTool> CanvasTool::make(EditorTool tool)
{
    switch (tool) {
    case EditorTool::arrow:
        return std::make_unique<ArrowTool>();
    case EditorTool::number:
        return std::make_unique<NumberTool>();
    case EditorTool::text:
        return std::make_unique<TextTool>();
    case EditorTool::highlight:
        return std::make_unique<HighlightTool>();
    case EditorTool::redact:
        return std::make_unique<RedactTool>();
    }
    return std::make_unique<ArrowTool>();
}

} // namespace quillet
