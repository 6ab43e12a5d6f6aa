#pragma once

#include <QColor>
#include <QPalette>

namespace quillet::ToolbarColors {

// The toolbar's colours follow the window's palette, so the bar reads in light and dark appearance:
// "primary" is the window's text colour, shown at the opacities the controls state.
[[nodiscard]] inline QColor primary(const QPalette& palette, double opacity)
{
    QColor color = palette.color(QPalette::WindowText);
    color.setAlphaF(static_cast<float>(opacity));
    return color;
}

inline constexpr double secondaryOpacity = 0.6;
inline constexpr double tertiaryOpacity = 0.3;

// The accent of the selected tool and the Save button.
inline const QColor purpleTop = QColor(0xa8, 0x5c, 0xf9);
inline const QColor purpleBottom = QColor(0x7c, 0x3a, 0xed);
inline const QColor purple = QColor(0x8b, 0x45, 0xf0);

} // namespace quillet::ToolbarColors
