#pragma once

#include "core/SystemColor.hpp"

#include <QColor>

namespace quillet {

// The desktop's standard named colours as the panel draws them.
struct StatusColour {
    [[nodiscard]] static QColor of(SystemColor colour)
    {
        switch (colour) {
        case SystemColor::red:
            return QColor::fromRgb(255, 59, 48);
        case SystemColor::gray:
            return QColor::fromRgb(142, 142, 147);
        case SystemColor::orange:
            return QColor::fromRgb(255, 149, 0);
        case SystemColor::green:
            return QColor::fromRgb(52, 199, 89);
        }
        return Qt::gray;
    }
};

} // namespace quillet
