#pragma once

#include <algorithm>

namespace quillet::screencapture {

// A rectangle of whole pixels in the root window; the right and bottom edges are outside.
struct PixelRect {
    long x = 0;
    long y = 0;
    long width = 0;
    long height = 0;

    [[nodiscard]] constexpr long right() const { return x + width; }
    [[nodiscard]] constexpr long bottom() const { return y + height; }
    [[nodiscard]] constexpr bool isEmpty() const { return width <= 0 || height <= 0; }

    [[nodiscard]] constexpr bool contains(long px, long py) const
    {
        return px >= x && px < right() && py >= y && py < bottom();
    }

    [[nodiscard]] constexpr bool contains(const PixelRect& other) const
    {
        return !other.isEmpty() && other.x >= x && other.y >= y && other.right() <= right() &&
               other.bottom() <= bottom();
    }

    // Empty (zero size) when the two do not overlap.
    [[nodiscard]] constexpr PixelRect intersected(const PixelRect& other) const
    {
        const long left = std::max(x, other.x);
        const long top = std::max(y, other.y);
        const long r = std::min(right(), other.right());
        const long b = std::min(bottom(), other.bottom());
        if (r <= left || b <= top) {
            return {};
        }
        return {left, top, r - left, b - top};
    }

    friend constexpr bool operator==(const PixelRect&, const PixelRect&) = default;
};

} // namespace quillet::screencapture
