#pragma once

#include "Quillet/editor/TextLine.hpp"

#include <QPainterPath>
#include <QString>

#include <map>
#include <mutex>
#include <tuple>
#include <vector>

namespace quillet {

// The white shape behind a line of outlined text, as a designer outlines lettering: each glyph grown
// by the outline's width, with its counters ("o", "e") and the narrow-mouthed bays of "C" and "G"
// filled, so no speck of the picture shows inside a letter. Each glyph is closed on its own, so
// nothing joins neighbouring letters that the plain outline leaves apart. Shapes are vectors made once
// per glyph and scaled, so they look the same at every zoom.
class TextBacking {
public:
    // How far the shape reaches beyond the glyphs, in ems.
    static constexpr double growthPerEm = 0.1;

    // Every glyph's shape, placed as `line` is with its baseline's left end at `baselineOrigin`. One
    // path each: neighbours overlap where letters touch, and painted one by one they never cancel out.
    // Safe to call from several threads.
    [[nodiscard]] std::vector<QPainterPath> shapes(const TextLine& line, QPointF baselineOrigin) const;

private:
    using Key = std::tuple<QString, int, quint32>; // font family, weight, glyph index
    [[nodiscard]] QPainterPath glyphShape(const TextLine::Glyph& glyph) const;

    mutable std::mutex mutex_;
    mutable std::map<Key, QPainterPath> glyphs_;
};

} // namespace quillet
