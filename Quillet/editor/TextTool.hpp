#pragma once

#include "Quillet/editor/CanvasTool.hpp"

namespace quillet {

// Text opens the inline field where the user pressed; it has no draft.
class TextTool final : public CanvasTool {
public:
    [[nodiscard]] std::optional<Mark> press(Point at, const CanvasToolContext& context) const override;
    [[nodiscard]] Annotation drag(const Annotation& draft, Point from, Point to, bool constrained,
                                  const CanvasToolContext& context) const override;
    [[nodiscard]] Qt::CursorShape cursor() const override { return Qt::IBeamCursor; }
};

} // namespace quillet
