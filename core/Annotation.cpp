#include "core/Annotation.hpp"

#include "core/AnnotationGeometry.hpp"
#include "core/Overloaded.hpp"
#include "core/UnicodeText.hpp"

#include <algorithm>
#include <cmath>

namespace quillet {
namespace {

constexpr double minimumExtentPixels = 4;

// Compares absolute sizes, so unstandardized boxes count; NaN sizes count as too small.
bool isTooSmall(const Rect& rect)
{
    return !(std::abs(rect.size.width) >= minimumExtentPixels &&
             std::abs(rect.size.height) >= minimumExtentPixels);
}

// The part of a mark that must stay inside the image when it moves.
Rect extent(const Annotation& annotation)
{
    return annotation.visit(Overloaded{
        [](const Annotation::Arrow& a) {
            return Rect{std::min(a.from.x, a.to.x), std::min(a.from.y, a.to.y), std::abs(a.to.x - a.from.x),
                        std::abs(a.to.y - a.from.y)};
        },
        [](const Annotation::Number& n) {
            return Rect{n.center, Size{}};
        },
        [](const Annotation::Text& t) {
            return Rect{t.origin, Size{}};
        },
        [](const Annotation::Highlight& h) { return h.rect; },
        [](const Annotation::Redact& r) { return r.rect; },
    });
}

double roundedToBlocks(double offset, int blockSize)
{
    const double block = std::max(blockSize, 1);
    return std::round(offset / block) * block;
}

// An extent larger than the limit is pushed so that its minimum edge meets the limit's.
double clamped(double offset, double extentMin, double extentMax, double limitMin, double limitMax)
{
    const double lowest = limitMin - extentMin;
    const double highest = std::max(limitMax - extentMax, lowest);
    return std::min(std::max(offset, lowest), highest);
}

Vector clampedOffset(Vector offset, const Rect& extent, const Rect& within)
{
    return {clamped(offset.dx, extent.minX(), extent.maxX(), within.minX(), within.maxX()),
            clamped(offset.dy, extent.minY(), extent.maxY(), within.minY(), within.maxY())};
}

bool isFinite(Vector v)
{
    return std::isfinite(v.dx) && std::isfinite(v.dy);
}

} // namespace

bool Annotation::isEmpty() const
{
    return visit(Overloaded{
        [](const Arrow& arrow) { return !(distance(arrow.from, arrow.to) >= minimumExtentPixels); },
        [](const Number&) { return false; },
        [](const Text& text) { return UnicodeText::trimmed(text.string).empty(); },
        [](const Highlight& highlight) { return isTooSmall(highlight.rect); },
        [](const Redact& redact) { return isTooSmall(redact.rect); },
    });
}

Annotation Annotation::moved(Vector offset, const Rect& within, int blockSize) const
{
    const Rect limits = extent(*this);
    // Nothing sensible to move into, or nothing to move: the mark stays where it is.
    if (within.isNull() || limits.isNull() || !isFinite(offset)) {
        return *this;
    }
    if (kind() == Kind::redact) {
        offset = {roundedToBlocks(offset.dx, blockSize), roundedToBlocks(offset.dy, blockSize)};
    }
    const Vector by = clampedOffset(offset, limits, within);
    return visit(Overloaded{
        [&](const Arrow& a) -> Annotation {
            return Arrow{a.from + by, a.to + by};
        },
        [&](const Number& n) -> Annotation {
            return Number{n.center + by, n.value};
        },
        [&](const Text& t) -> Annotation {
            return Text{t.origin + by, t.string};
        },
        [&](const Highlight& h) -> Annotation { return Highlight{h.rect.offsetBy(by.dx, by.dy)}; },
        [&](const Redact& r) -> Annotation {
            return Redact{
                AnnotationGeometry::redactionRect(r.rect.offsetBy(by.dx, by.dy), blockSize, within)};
        },
    });
}

} // namespace quillet
