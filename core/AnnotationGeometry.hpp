#pragma once

#include "core/Annotation.hpp"
#include "core/AnnotationStyle.hpp"
#include "core/ArrowOutline.hpp"
#include "core/EditorTool.hpp"
#include "core/Geometry.hpp"
#include "core/Mark.hpp"
#include "core/TextMeasure.hpp"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

// The editor's geometry, in image pixels (origin top-left, y down). Drawing, selection and hit
// testing all go through these functions so they always agree.
namespace quillet::AnnotationGeometry {

// The tapered outline of an arrow with its head at `to`. Arrows shorter than 1/0.6 head lengths get
// a proportionally smaller head and neck; coincident ends give a degenerate outline, never NaN.
[[nodiscard]] ArrowOutline arrow(Point from, Point to, const AnnotationStyle& style);

// The box spanned by a drag, clipped to `within`; a drag entirely outside gives the null rectangle.
[[nodiscard]] Rect rect(Point from, Point to, const Rect& within);

// `to` turned about `from` to the nearest multiple of 45 degrees, keeping the drag's length.
[[nodiscard]] Point constrained(Point from, Point to);

// `rect` grown outwards to the pixelation grid anchored at the image origin, then clipped to `within`.
// Block sizes below 1 count as 1.
[[nodiscard]] Rect redactionRect(const Rect& rect, int blockSize, const Rect& within);

// One more than the largest numbered marker; 1 when there is none.
[[nodiscard]] std::int64_t nextNumber(std::span<const Annotation> annotations);
[[nodiscard]] std::int64_t nextNumber(std::span<const Mark> marks);

// The box drawn around a selected mark.
[[nodiscard]] Rect bounds(const Annotation& annotation, const AnnotationStyle& style,
                          const TextMeasure& textSize);

// The index of the mark a click at `point` grabs. Arrows, numbers and text are tried before boxes,
// topmost first; boxes are tried only with their own tool active.
[[nodiscard]] std::optional<std::size_t> hitIndex(Point point, std::span<const Mark> marks, EditorTool tool,
                                                  const AnnotationStyle& style, double tolerance,
                                                  const TextMeasure& textSize);

} // namespace quillet::AnnotationGeometry
