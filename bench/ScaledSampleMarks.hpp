#pragma once

// The editor's eight sample marks laid over a 5120 x 2880 capture, keeping their look relative to the
// larger image. Header-only, shared by the renderer and editor benchmarks.

#include "Quillet/editor/EditorSample.hpp"
#include "core/AnnotationGeometry.hpp"
#include "core/AnnotationStyle.hpp"
#include "core/Overloaded.hpp"

#include <vector>

namespace quillet::bench {

inline constexpr int captureWidth = 5120;
inline constexpr int captureHeight = 2880;
inline constexpr double sampleScaleX = static_cast<double>(captureWidth) / EditorSample::screenshotWidth;
inline constexpr double sampleScaleY = static_cast<double>(captureHeight) / EditorSample::screenshotHeight;
inline constexpr double capturePixelsPerPoint = EditorSample::pixelsPerPoint * sampleScaleX;

[[nodiscard]] inline Point scaledToCapture(Point p)
{
    return {p.x * sampleScaleX, p.y * sampleScaleY};
}

[[nodiscard]] inline Rect scaledToCapture(const Rect& r)
{
    return {r.minX() * sampleScaleX, r.minY() * sampleScaleY, r.width() * sampleScaleX,
            r.height() * sampleScaleY};
}

[[nodiscard]] inline std::vector<Mark> captureSampleMarks(const AnnotationStyle& style)
{
    const Rect bounds(0, 0, captureWidth, captureHeight);
    std::vector<Mark> marks;
    for (const Mark& mark : EditorSample::marks()) {
        const Annotation annotation = mark.annotation.visit(Overloaded{
            [](const Annotation::Arrow& a) {
                return Annotation::arrow(scaledToCapture(a.from), scaledToCapture(a.to));
            },
            [](const Annotation::Number& n) {
                return Annotation::number(scaledToCapture(n.center), n.value);
            },
            [](const Annotation::Text& t) { return Annotation::text(scaledToCapture(t.origin), t.string); },
            [](const Annotation::Highlight& h) { return Annotation::highlight(scaledToCapture(h.rect)); },
            [&](const Annotation::Redact& r) {
                return Annotation::redact(AnnotationGeometry::redactionRect(
                    scaledToCapture(r.rect), style.redactBlockPixels(), bounds));
            },
        });
        marks.emplace_back(annotation, mark.color);
    }
    return marks;
}

} // namespace quillet::bench
