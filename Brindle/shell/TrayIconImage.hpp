#pragma once

#include <QColor>
#include <QIcon>
#include <QImage>

#include <string>

namespace brindle {

// The tray icon: a status symbol in one colour that reads on light and dark panels, with an optional
// reminder dot in the top-right corner set off by a transparent ring.
struct TrayIconImage {
    static constexpr qreal dotFraction = 5.0 / 22.0;
    static constexpr qreal ringFraction = 1.5 / 22.0;

    // One square image of `pixels`; null when the symbol is unknown.
    [[nodiscard]] static QImage image(const std::string& symbol, const QColor& colour,
                                      const QColor& dotColour, bool badged, int pixels);
    // The icon at the sizes trays ask for; null when the symbol is unknown.
    [[nodiscard]] static QIcon icon(const std::string& symbol, const QColor& colour, const QColor& dotColour,
                                    bool badged);
};

} // namespace brindle
