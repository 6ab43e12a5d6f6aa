#pragma once

#include "core/Geometry.hpp"

#include <QColor>
#include <QImage>
#include <QRect>
#include <QString>

namespace quillet::testing {

// A line of known text on a plain background, the ground truth the redaction tests try to read
// back after redacting it.
struct TextSample {
    QString family;
    int pixelSize = 0;
    bool dark = false; // light text on a dark background

    [[nodiscard]] QColor background() const { return dark ? QColor(30, 30, 30) : QColor(250, 250, 250); }
    [[nodiscard]] QColor ink() const { return dark ? QColor(235, 235, 235) : QColor(20, 20, 20); }

    // The text set at `origin` (left end of the baseline) on an image of `size`, antialiased as a
    // screenshot of it would be.
    [[nodiscard]] QImage render(const QString& text, QSize size, QPoint origin) const;
    // An image just large enough for the text with a margin of half its size around it.
    [[nodiscard]] QImage render(const QString& text) const;
};

// The smallest rectangle holding every pixel that differs from `background`.
[[nodiscard]] QRect inkBox(const QImage& image, QColor background);

// The box a user drags over `ink`, snapped the way the redaction tool snaps it.
[[nodiscard]] Rect redactionOver(QRect ink, const QImage& image, int gridPixels);

} // namespace quillet::testing
