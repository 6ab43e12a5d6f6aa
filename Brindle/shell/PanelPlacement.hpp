#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace brindle {

// Where a tray panel opens: next to its anchor (the icon, or the pointer where the tray does not say
// where its icon is), below it on the upper half of the screen and above it on the lower half,
// centred on it and kept inside the work area.
struct PanelPlacement {
    static constexpr int gap = 4;

    [[nodiscard]] static QPoint origin(const QRect& anchor, const QSize& panel, const QRect& screen,
                                       const QRect& workArea);
};

} // namespace brindle
