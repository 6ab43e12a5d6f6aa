#pragma once

#include <algorithm>
#include <cmath>
#include <limits>

// Plane geometry with the semantics the capture and editor logic rely on: rectangles may have a
// negative size and are read as if standardized; a failed intersection yields the null rectangle
// (infinite origin, zero size), which counts as empty; `contains` keeps the maximum edges outside.
namespace quillet {

struct Point {
    double x = 0;
    double y = 0;

    friend constexpr bool operator==(Point, Point) = default;
};

struct Size {
    double width = 0;
    double height = 0;

    friend constexpr bool operator==(Size, Size) = default;
};

// An offset between two points.
struct Vector {
    double dx = 0;
    double dy = 0;

    friend constexpr bool operator==(Vector, Vector) = default;
};

[[nodiscard]] constexpr Point operator+(Point p, Vector v)
{
    return {p.x + v.dx, p.y + v.dy};
}
[[nodiscard]] constexpr Point operator-(Point p, Vector v)
{
    return {p.x - v.dx, p.y - v.dy};
}
[[nodiscard]] constexpr Vector operator-(Point a, Point b)
{
    return {a.x - b.x, a.y - b.y};
}
[[nodiscard]] constexpr Vector operator+(Vector a, Vector b)
{
    return {a.dx + b.dx, a.dy + b.dy};
}
[[nodiscard]] constexpr Vector operator*(Vector v, double factor)
{
    return {v.dx * factor, v.dy * factor};
}
[[nodiscard]] constexpr double dot(Vector a, Vector b)
{
    return a.dx * b.dx + a.dy * b.dy;
}
[[nodiscard]] inline double length(Vector v)
{
    return std::hypot(v.dx, v.dy);
}
[[nodiscard]] inline double distance(Point a, Point b)
{
    return length(a - b);
}

struct Rect {
    Point origin;
    Size size;

    constexpr Rect() = default;
    constexpr Rect(Point origin, Size size) : origin(origin), size(size) {}
    constexpr Rect(double x, double y, double width, double height) : origin{x, y}, size{width, height} {}

    [[nodiscard]] static constexpr Rect null()
    {
        constexpr double inf = std::numeric_limits<double>::infinity();
        return {inf, inf, 0, 0};
    }

    [[nodiscard]] bool isNull() const { return std::isinf(origin.x) || std::isinf(origin.y); }
    [[nodiscard]] bool isEmpty() const { return isNull() || size.width == 0 || size.height == 0; }

    [[nodiscard]] constexpr double minX() const { return std::min(origin.x, origin.x + size.width); }
    [[nodiscard]] constexpr double maxX() const { return std::max(origin.x, origin.x + size.width); }
    [[nodiscard]] constexpr double minY() const { return std::min(origin.y, origin.y + size.height); }
    [[nodiscard]] constexpr double maxY() const { return std::max(origin.y, origin.y + size.height); }
    [[nodiscard]] constexpr double midX() const { return (minX() + maxX()) / 2; }
    [[nodiscard]] constexpr double midY() const { return (minY() + maxY()) / 2; }
    // The null rectangle has no extent (inf - inf would otherwise be NaN).
    [[nodiscard]] constexpr double width() const { return size.width < 0 ? -size.width : size.width; }
    [[nodiscard]] constexpr double height() const { return size.height < 0 ? -size.height : size.height; }

    [[nodiscard]] Rect standardized() const
    {
        if (isNull()) {
            return null();
        }
        return {minX(), minY(), width(), height()};
    }

    // The smallest rectangle with whole-number edges that contains this one.
    [[nodiscard]] Rect integral() const
    {
        if (isNull()) {
            return null();
        }
        const double left = std::floor(minX());
        const double top = std::floor(minY());
        return {left, top, std::ceil(maxX()) - left, std::ceil(maxY()) - top};
    }

    // Rectangles that only touch share a zero-size edge; rectangles apart give the null rectangle.
    [[nodiscard]] Rect intersection(const Rect& other) const
    {
        if (isNull() || other.isNull()) {
            return null();
        }
        const double left = std::max(minX(), other.minX());
        const double right = std::min(maxX(), other.maxX());
        const double top = std::max(minY(), other.minY());
        const double bottom = std::min(maxY(), other.maxY());
        if (left > right || top > bottom) {
            return null();
        }
        return {left, top, right - left, bottom - top};
    }

    [[nodiscard]] bool intersects(const Rect& other) const { return !intersection(other).isEmpty(); }

    // A null rectangle adds nothing; a zero-size rectangle still adds its point.
    [[nodiscard]] Rect united(const Rect& other) const
    {
        if (isNull()) {
            return other.standardized();
        }
        if (other.isNull()) {
            return standardized();
        }
        const double left = std::min(minX(), other.minX());
        const double top = std::min(minY(), other.minY());
        return {left, top, std::max(maxX(), other.maxX()) - left, std::max(maxY(), other.maxY()) - top};
    }

    // Positive insets shrink, negative ones grow; shrinking past nothing gives the null rectangle.
    [[nodiscard]] Rect insetBy(double dx, double dy) const
    {
        if (isNull()) {
            return null();
        }
        const Rect r{minX() + dx, minY() + dy, width() - 2 * dx, height() - 2 * dy};
        if (r.size.width < 0 || r.size.height < 0) {
            return null();
        }
        return r;
    }

    [[nodiscard]] Rect offsetBy(double dx, double dy) const
    {
        if (isNull()) {
            return null();
        }
        return {minX() + dx, minY() + dy, width(), height()};
    }

    // The minimum edges are inside, the maximum edges outside.
    [[nodiscard]] bool contains(Point p) const
    {
        if (isEmpty()) {
            return false;
        }
        return p.x >= minX() && p.x < maxX() && p.y >= minY() && p.y < maxY();
    }

    [[nodiscard]] bool contains(const Rect& other) const
    {
        if (isNull() || other.isNull()) {
            return false;
        }
        return other.minX() >= minX() && other.maxX() <= maxX() && other.minY() >= minY() &&
               other.maxY() <= maxY();
    }

    // Equal when both are null, or when their standardized forms match.
    friend bool operator==(const Rect& a, const Rect& b)
    {
        if (a.isNull() || b.isNull()) {
            return a.isNull() && b.isNull();
        }
        return a.minX() == b.minX() && a.minY() == b.minY() && a.width() == b.width() &&
               a.height() == b.height();
    }
};

} // namespace quillet
