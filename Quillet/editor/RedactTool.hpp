#pragma once

#include "Quillet/editor/CanvasTool.hpp"

namespace quillet {

// Redactions span the drag snapped outwards to whole pixelation blocks, so the draft shows exactly the blocks
// the mark will cover.
class RedactTool final : public CanvasTool {
public:
    [[nodiscard]] std::optional<Mark> press(Point at, const CanvasToolContext& context) const override;
    [[nodiscard]] Annotation drag(const Annotation& draft, Point from, Point to, bool constrained,
                                  const CanvasToolContext& context) const override;
};

} // namespace quillet
