#pragma once

#include <QColor>
#include <QLinearGradient>
#include <QPalette>
#include <QRectF>

namespace brindle {

// The hierarchical foreground colours of the panels: the palette's text colour at an opacity, so one
// widget tree reads on the light and the dark appearance alike.
struct Tone {
    static constexpr qreal secondary = 0.55;
    static constexpr qreal tertiary = 0.3;

    [[nodiscard]] static QColor primary(const QPalette& palette, qreal opacity = 1.0)
    {
        QColor colour = palette.color(QPalette::WindowText);
        colour.setAlphaF(static_cast<float>(colour.alphaF() * opacity));
        return colour;
    }

    // A subtle top-to-bottom gradient derived from one colour: lighter above, the colour below.
    [[nodiscard]] static QLinearGradient automaticGradient(const QColor& colour, const QRectF& box)
    {
        QLinearGradient gradient(box.topLeft(), box.bottomLeft());
        gradient.setColorAt(0, colour.lighter(118));
        gradient.setColorAt(1, colour);
        return gradient;
    }

    [[nodiscard]] static bool isDark(const QPalette& palette)
    {
        return palette.color(QPalette::Window).lightnessF() < 0.5;
    }
};

} // namespace brindle
