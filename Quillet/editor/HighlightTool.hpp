#pragma once

#include "Quillet/editor/CanvasTool.hpp"

namespace quillet {

// Highlight boxes span the drag, clipped to the image.
class HighlightTool final : public CanvasTool {
public:
    [[nodiscard]] std::optional<Mark> press(Point at, const CanvasToolContext& context) const override;
    [[nodiscard]] Annotation drag(const Annotation& draft, Point from, Point to, bool constrained,
                                  const CanvasToolContext& context) const override;
};

} // namespace quillet
