#pragma once

#include "Quillet/editor/CanvasTool.hpp"

namespace quillet {

// Numbered markers: a press places the next number, a drag carries it along.
class NumberTool final : public CanvasTool {
public:
    [[nodiscard]] std::optional<Mark> press(Point at, const CanvasToolContext& context) const override;
    [[nodiscard]] Annotation drag(const Annotation& draft, Point from, Point to, bool constrained,
                                  const CanvasToolContext& context) const override;
};

} // namespace quillet
