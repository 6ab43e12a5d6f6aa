#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>

#include <cstddef>
#include <optional>
#include <vector>

namespace quillet {

// One monitor as a screen cast shows it: its frame, its place on the desktop in logical points (as
// the desktop portal gives it), and the pointer when the cast marks it on this monitor.
struct CastScreen {
    QImage frame;
    QRect place;
    std::optional<QPoint> pointer; // in the frame's pixels
};

// The screen the pointer is on: the one whose cast marks the pointer; failing that the one at the
// primary screen's place; failing that the first. `screens` holds at least one screen.
[[nodiscard]] std::size_t screenUnderPointer(const std::vector<CastScreen>& screens, QPoint primaryPlace);

} // namespace quillet
