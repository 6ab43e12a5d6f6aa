#include "core/Annotation.hpp"

#include "core/Overloaded.hpp"
#include "core/UnicodeText.hpp"

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

} // namespace quillet
