#pragma once

#include "Quillet/editor/CanvasTool.hpp"

namespace quillet {

// Arrows follow the drag; the head sits where the arrow-direction setting says, and Shift snaps the direction
// to 45 degree steps.
class ArrowTool final : public CanvasTool {
public:
    [[nodiscard]] std::optional<Mark> press(Point at, const CanvasToolContext& context) const override;
    [[nodiscard]] Annotation drag(const Annotation& draft, Point from, Point to, bool constrained,
                                  const CanvasToolContext& context) const override;
};

} // namespace quillet
