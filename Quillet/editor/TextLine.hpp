#pragma once

#include <QFont>
#include <QPainterPath>
#include <QPointF>
#include <QString>

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
