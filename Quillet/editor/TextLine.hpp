#pragma once

#include <QFont>
#include <QPainterPath>
#include <QPointF>
#include <QRawFont>
#include <QString>
#include <QTransform>

#include <vector>

namespace quillet {

// One line of text in the system font (Inter) at a fractional pixel size, as glyph outlines and
// typographic metrics. Qt sizes fonts in whole pixels only, so the line is shaped at a large
// reference size and scaled; outlines are unhinted, so metrics and shapes scale exactly.
class TextLine {
public:
    TextLine(const QString& text, double pixelSize, QFont::Weight weight);

    [[nodiscard]] double ascent() const { return ascent_; }
    [[nodiscard]] double descent() const { return descent_; }
    [[nodiscard]] double capHeight() const { return capHeight_; }
    // The advance of the whole line, trailing white space included.
    [[nodiscard]] double typographicWidth() const { return width_; }

    // The glyph outlines with the baseline's left end at `baselineOrigin`.
    [[nodiscard]] QPainterPath outline(QPointF baselineOrigin) const;

    // One shaped glyph at the reference size: the font it comes from (a fallback font for a
    // character Inter lacks), its index there and its origin on the reference baseline.
    struct Glyph {
        QRawFont font;
        quint32 index = 0;
        QPointF position;
    };
    [[nodiscard]] std::vector<Glyph> glyphs() const;
    // Takes the reference size's coordinates to the line's, with its baseline's left end at
    // `baselineOrigin`.
    [[nodiscard]] QTransform placement(QPointF baselineOrigin) const;
    // The size the glyphs are shaped at, in pixels.
    [[nodiscard]] static int referenceSize();

    // The font family every line uses: the desktop's interface font of this system.
    [[nodiscard]] static QString systemFamily();

private:
    QString text_;
    QFont font_;
    double scale_;
    double ascent_;
    double descent_;
    double capHeight_;
    double width_;
};

} // namespace quillet
