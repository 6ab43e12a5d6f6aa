#pragma once

#include "core/Annotation.hpp"
#include "core/EditorTool.hpp"
#include "core/Geometry.hpp"
#include "core/Mark.hpp"

#include <Qt>

#include <functional>
#include <memory>
#include <optional>

namespace quillet {

class EditorModel;

// What a tool may use while it turns a press and a drag into a mark.
struct CanvasToolContext {
    const EditorModel& model;
    // The image in its own pixels.
    Rect imageBounds;
    // Opens the inline text field with the top of its line near the image point.
    std::function<void(Point)> beginText;
};

// How one editor tool draws: what a press on empty image starts and how a drag shapes it. The canvas
// does everything the tools share (grabbing and moving marks, committing drafts on release).
class CanvasTool {
public:
    virtual ~CanvasTool() = default;

    // A press at `at` (image pixels) that grabbed no mark: the draft it starts, or nothing when the
    // tool starts no drag (text opens its field instead).
    [[nodiscard]] virtual std::optional<Mark> press(Point at, const CanvasToolContext& context) const = 0;

    // The draft's annotation with the press at `from` and the pointer at `to`. `constrained` is true
    // while Shift is held.
    [[nodiscard]] virtual Annotation drag(const Annotation& draft, Point from, Point to, bool constrained,
                                          const CanvasToolContext& context) const = 0;

    // The pointer over the image where no mark would be grabbed.
    [[nodiscard]] virtual Qt::CursorShape cursor() const { return Qt::CrossCursor; }

    [[nodiscard]] static std::unique_ptr<CanvasTool> make(EditorTool tool);
};

} // namespace quillet
