#pragma once

#include "core/Geometry.hpp"

#include <cstdint>
#include <string>
#include <utility>
#include <variant>

namespace quillet {

// One mark's shape, in image pixels (origin top-left, y down). The five cases are payload records
// held in a variant, so call sites either visit it or ask for the one case they handle:
//   annotation.visit(Overloaded{[](const Annotation::Arrow& a) {...}, ...});
//   if (const auto* number = annotation.as<Annotation::Number>()) {...}
struct Annotation {
    // A tapered arrow whose head is at `to`.
    struct Arrow {
        Point from;
        Point to;
        friend bool operator==(const Arrow&, const Arrow&) = default;
    };
    // A numbered round badge.
    struct Number {
        Point center;
        std::int64_t value = 0;
        friend bool operator==(const Number&, const Number&) = default;
    };
    // A line of text whose box has its top-left corner at `origin`.
    struct Text {
        Point origin;
        std::string string;
        friend bool operator==(const Text&, const Text&) = default;
    };
    struct Highlight {
        Rect rect;
        friend bool operator==(const Highlight&, const Highlight&) = default;
    };
    // Lies on the pixelation block grid.
    struct Redact {
        Rect rect;
        friend bool operator==(const Redact&, const Redact&) = default;
    };

    // The case index, in the order of the variant.
    enum class Kind { arrow, number, text, highlight, redact };

    using Payload = std::variant<Arrow, Number, Text, Highlight, Redact>;

    Payload payload;

    // An empty arrow at the origin, for containers and queued signals that need a default value.
    Annotation() = default;
    Annotation(Arrow arrow) : payload(arrow) {}
    Annotation(Number number) : payload(number) {}
    Annotation(Text text) : payload(std::move(text)) {}
    Annotation(Highlight highlight) : payload(highlight) {}
    Annotation(Redact redact) : payload(redact) {}

    [[nodiscard]] static Annotation arrow(Point from, Point to) { return Arrow{from, to}; }
    [[nodiscard]] static Annotation number(Point center, std::int64_t value) { return Number{center, value}; }
    [[nodiscard]] static Annotation text(Point origin, std::string string)
    {
        return Text{origin, std::move(string)};
    }
    [[nodiscard]] static Annotation highlight(const Rect& rect) { return Highlight{rect}; }
    [[nodiscard]] static Annotation redact(const Rect& rect) { return Redact{rect}; }

    [[nodiscard]] Kind kind() const { return static_cast<Kind>(payload.index()); }

    template <class Case> [[nodiscard]] const Case* as() const { return std::get_if<Case>(&payload); }

    template <class Visitor> decltype(auto) visit(Visitor&& visitor) const
    {
        return std::visit(std::forward<Visitor>(visitor), payload);
    }

    // Whether a finished draft is too small or blank to become a mark.
    [[nodiscard]] bool isEmpty() const;

    // Shifted by `offset`, clamped so the mark's anchor (the arrow's span, a number's centre, a text's
    // origin, a box) stays inside `within`. Redactions move in whole blocks and stay on the grid.
    [[nodiscard]] Annotation moved(Vector offset, const Rect& within, int blockSize) const;

    // Same case and equal payloads; a highlight never equals a redaction of the same rectangle.
    friend bool operator==(const Annotation&, const Annotation&) = default;
};

} // namespace quillet
