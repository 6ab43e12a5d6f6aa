#pragma once

#include "core/Geometry.hpp"

#include <QList>
#include <QPointF>
#include <QRect>

#include <string>

class QScreen;

namespace quillet {

// The one place where Qt's screens are seen in the program's coordinates: points, origin at the
// bottom-left corner of the main screen, y growing upwards. The main screen is the one at the X root
// origin, else the primary one. Main thread only.
struct ScreenGeometry {
    // The screens with the main screen first; empty without a screen.
    [[nodiscard]] static QList<QScreen*> screens();
    [[nodiscard]] static QScreen* mainScreen();

    // A screen's frame in program coordinates.
    [[nodiscard]] static Rect frame(const QScreen* screen);
    // The pointer's location in program coordinates.
    [[nodiscard]] static Point pointerLocation();

    // The first screen whose frame holds the pointer; else the main screen; null without screens.
    [[nodiscard]] static QScreen* screenUnderPointer();

    // The capture tool's region notation of a rectangle in program coordinates, measured against the
    // main screen's height (the rectangle's own height when there is no screen).
    [[nodiscard]] static std::string region(const Rect& rect);

    // The conversions themselves, for Qt's global coordinates (logical pixels, y down) and the main
    // screen's Qt geometry.
    [[nodiscard]] static Rect frameIn(const QRect& geometry, const QRect& mainGeometry);
    [[nodiscard]] static Point pointIn(QPointF global, const QRect& mainGeometry);
};

} // namespace quillet
