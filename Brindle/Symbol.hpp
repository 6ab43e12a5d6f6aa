#pragma once

#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QRectF>
#include <QString>

#include <optional>
#include <span>
#include <string_view>

class QPainter;

namespace brindle {

// The one catalogue of symbol images. Views name symbols by their system symbol names ("xmark",
// "trash", ...); each name maps to a glyph of the Material Icons font, which is drawn at the
// requested size, weight and colour. A name the catalogue does not know draws nothing, so a view
// falls back to its text.
class Symbol {
public:
    // The font has a single weight; heavier weights are approximated by stroking the outline.
    enum class Weight { regular, medium, semibold, bold };

    struct Entry {
        std::string_view name;
        char32_t codepoint;
    };

    // The glyph for a symbol name, or none for an unknown name.
    [[nodiscard]] static std::optional<char32_t> codepoint(std::string_view name);
    // Every name the catalogue knows, in no particular order.
    [[nodiscard]] static std::span<const Entry> entries();

    // The icon font's family, loaded on first use; empty when the font is not installed.
    [[nodiscard]] static QString fontFamily();

    // The side of the square a symbol of this point size occupies. Symbols are drawn a little
    // larger than text of the same point size, as system symbols are.
    [[nodiscard]] static qreal boxSize(qreal pointSize);

    // The filled outline of the symbol, centred in a boxSize(pointSize) square at the origin; empty
    // for an unknown name or a missing font.
    [[nodiscard]] static QPainterPath path(std::string_view name, qreal pointSize);

    // Draws the symbol centred in `box`. Returns false (and draws nothing) when it cannot.
    static bool draw(QPainter& painter, std::string_view name, const QRectF& box, qreal pointSize,
                     Weight weight, const QColor& color);

    // The symbol alone on a transparent image of boxSize(pointSize) points at the given
    // device-pixel ratio; a null image when it cannot be drawn.
    [[nodiscard]] static QImage image(std::string_view name, qreal pointSize, Weight weight,
                                      const QColor& color, qreal devicePixelRatio = 1.0);
};

} // namespace brindle
