#include "core/AnnotationGeometry.hpp"

#include "core/Overloaded.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace quillet::AnnotationGeometry {
namespace {

constexpr double shortestArrowLength = 0.001;
// The head takes at most this share of the arrow's length.
constexpr double headShareOfLength = 0.6;
// Where the neck sits, as a share of the head length back from the tip.
constexpr double neckShareOfHead = 0.62;
constexpr double snapAngle = std::numbers::pi / 4;

Size measured(const TextMeasure& textSize, const std::string& string)
{
    return textSize ? textSize(string) : Size{};
}

Rect textBox(const Annotation::Text& text, const TextMeasure& textSize)
{
    return {text.origin, measured(textSize, text.string)};
}

Rect arrowBounds(const Annotation::Arrow& arrowAnnotation, const AnnotationStyle& style)
{
    const ArrowOutline outline = arrow(arrowAnnotation.from, arrowAnnotation.to, style);
    const double tail = outline.tailRadius;
    Rect box{arrowAnnotation.from.x - tail, arrowAnnotation.from.y - tail, 2 * tail, 2 * tail};
    for (const Point point : outline.points) {
        box = box.united(Rect{point, Size{}});
    }
    return box;
}

double numberHalfSide(const AnnotationStyle& style)
{
    return style.numberRadius() + style.numberRingWidth();
}

// Even-odd ray test: an edge counts when it straddles the point's row to the right of the point.
bool isInside(Point p, const ArrowOutline& outline)
{
    bool inside = false;
    const auto& points = outline.points;
    for (std::size_t i = 0, j = points.size() - 1; i < points.size(); j = i++) {
        const Point a = points[i];
        const Point b = points[j];
        if ((p.y < a.y) != (p.y < b.y) && p.x < a.x + (p.y - a.y) * (b.x - a.x) / (b.y - a.y)) {
            inside = !inside;
        }
    }
    return inside;
}

double distanceToSegment(Point p, Point a, Point b)
{
    const Vector edge = b - a;
    const double squaredLength = dot(edge, edge);
    double t = squaredLength == 0 ? 0 : dot(p - a, edge) / squaredLength;
    if (!(t > 0)) {
        t = 0;
    } else if (t > 1) {
        t = 1;
    }
    return distance(p, a + edge * t);
}

double distanceToOutline(Point p, const ArrowOutline& outline)
{
    const auto& points = outline.points;
    double nearest = std::numeric_limits<double>::infinity();
    for (std::size_t i = 0; i < points.size(); ++i) {
        nearest = std::min(nearest, distanceToSegment(p, points[i], points[(i + 1) % points.size()]));
    }
    return nearest;
}

bool hitsArrow(Point p, const Annotation::Arrow& arrowAnnotation, const AnnotationStyle& style,
               double tolerance)
{
    const ArrowOutline outline = arrow(arrowAnnotation.from, arrowAnnotation.to, style);
    return isInside(p, outline) || distanceToOutline(p, outline) <= tolerance ||
           distance(p, arrowAnnotation.from) <= tolerance + outline.tailRadius;
}

bool hitsBox(Point p, const Rect& box, double tolerance)
{
    return box.insetBy(-tolerance, -tolerance).contains(p);
}

bool hitsPointMark(Point p, const Annotation& annotation, const AnnotationStyle& style, double tolerance,
                   const TextMeasure& textSize)
{
    return annotation.visit(Overloaded{
        [&](const Annotation::Arrow& a) { return hitsArrow(p, a, style, tolerance); },
        [&](const Annotation::Number& n) {
            return distance(p, n.center) <= tolerance + numberHalfSide(style);
        },
        [&](const Annotation::Text& t) { return hitsBox(p, textBox(t, textSize), tolerance); },
        [](const Annotation::Highlight&) { return false; },
        [](const Annotation::Redact&) { return false; },
    });
}

// Only the box kind of the active tool can be grabbed; point tools grab no boxes at all.
bool hitsBoxOfTool(Point p, const Annotation& annotation, EditorTool tool, double tolerance)
{
    return annotation.visit(Overloaded{
        [&](const Annotation::Highlight& h) {
            return tool == EditorTool::highlight && hitsBox(p, h.rect, tolerance);
        },
        [&](const Annotation::Redact& r) {
            return tool == EditorTool::redact && hitsBox(p, r.rect, tolerance);
        },
        [](const auto&) { return false; },
    });
}

std::int64_t nextAfter(std::optional<std::int64_t> largest)
{
    if (!largest) {
        return 1;
    }
    // Saturates instead of overflowing; such a value can only come from a corrupt list.
    return *largest == std::numeric_limits<std::int64_t>::max() ? *largest : *largest + 1;
}

void noteNumber(const Annotation& annotation, std::optional<std::int64_t>& largest)
{
    if (const auto* number = annotation.as<Annotation::Number>()) {
        largest = largest ? std::max(*largest, number->value) : number->value;
    }
}

} // namespace

ArrowOutline arrow(Point from, Point to, const AnnotationStyle& style)
{
    const Vector d = to - from;
    const double length = quillet::length(d);
    const double l = length <= shortestArrowLength ? shortestArrowLength : length;
    const Vector u = d * (1 / l);
    const Vector n{-u.dy, u.dx};

    const double k = std::min(l * headShareOfLength / style.arrowHeadLength(), 1.0);
    const double headLength = style.arrowHeadLength() * k;
    const double halfHead = style.arrowHeadWidth() * k * 0.5;
    const double neck = style.arrowNeckRadius() * k;
    const double tail = std::min(neck, style.arrowTailRadius());

    const Point neckCenter = to - u * (neckShareOfHead * headLength);
    const Point barbCenter = to - u * headLength;
    return {{
                from + n * tail,
                neckCenter + n * neck,
                barbCenter + n * halfHead,
                to,
                barbCenter - n * halfHead,
                neckCenter - n * neck,
                from - n * tail,
            },
            tail};
}

Rect rect(Point from, Point to, const Rect& within)
{
    const Rect dragged{std::min(from.x, to.x), std::min(from.y, to.y), std::abs(to.x - from.x),
                       std::abs(to.y - from.y)};
    return dragged.intersection(within).standardized();
}

Point constrained(Point from, Point to)
{
    const double radius = distance(from, to);
    if (!(radius > 0)) {
        return to;
    }
    const double angle = std::round(std::atan2(to.y - from.y, to.x - from.x) / snapAngle) * snapAngle;
    return from + Vector{std::cos(angle), std::sin(angle)} * radius;
}

Rect redactionRect(const Rect& rect, int blockSize, const Rect& within)
{
    if (rect.isNull()) {
        return Rect::null();
    }
    const double block = std::max(blockSize, 1);
    const double left = std::floor(rect.minX() / block) * block;
    const double top = std::floor(rect.minY() / block) * block;
    const double right = std::ceil(rect.maxX() / block) * block;
    const double bottom = std::ceil(rect.maxY() / block) * block;
    return Rect{left, top, right - left, bottom - top}.intersection(within);
}

std::int64_t nextNumber(std::span<const Annotation> annotations)
{
    std::optional<std::int64_t> largest;
    for (const Annotation& annotation : annotations) {
        noteNumber(annotation, largest);
    }
    return nextAfter(largest);
}

std::int64_t nextNumber(std::span<const Mark> marks)
{
    std::optional<std::int64_t> largest;
    for (const Mark& mark : marks) {
        noteNumber(mark.annotation, largest);
    }
    return nextAfter(largest);
}

Rect bounds(const Annotation& annotation, const AnnotationStyle& style, const TextMeasure& textSize)
{
    return annotation.visit(Overloaded{
        [&](const Annotation::Arrow& a) { return arrowBounds(a, style); },
        [&](const Annotation::Number& n) {
            const double half = numberHalfSide(style);
            return Rect{n.center.x - half, n.center.y - half, 2 * half, 2 * half};
        },
        [&](const Annotation::Text& t) { return textBox(t, textSize); },
        [](const Annotation::Highlight& h) { return h.rect; },
        [](const Annotation::Redact& r) { return r.rect; },
    });
}

std::optional<std::size_t> hitIndex(Point point, std::span<const Mark> marks, EditorTool tool,
                                    const AnnotationStyle& style, double tolerance,
                                    const TextMeasure& textSize)
{
    for (std::size_t i = marks.size(); i-- > 0;) {
        if (hitsPointMark(point, marks[i].annotation, style, tolerance, textSize)) {
            return i;
        }
    }
    for (std::size_t i = marks.size(); i-- > 0;) {
        if (hitsBoxOfTool(point, marks[i].annotation, tool, tolerance)) {
            return i;
        }
    }
    return std::nullopt;
}

} // namespace quillet::AnnotationGeometry
