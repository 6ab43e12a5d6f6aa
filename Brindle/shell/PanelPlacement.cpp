#include "Brindle/shell/PanelPlacement.hpp"

#include <algorithm>

namespace brindle {

QPoint PanelPlacement::origin(const QRect& anchor, const QSize& panel, const QRect& screen,
                              const QRect& workArea)
{
    const bool opensUpwards = anchor.center().y() > screen.center().y();
    int y = opensUpwards ? anchor.top() - gap - panel.height() : anchor.bottom() + 1 + gap;
    int x = anchor.center().x() - panel.width() / 2;
    // Clamped on the far side first, so a panel larger than the work area keeps its top-left corner in it.
    x = std::max(std::min(x, workArea.right() + 1 - panel.width()), workArea.left());
    y = std::max(std::min(y, workArea.bottom() + 1 - panel.height()), workArea.top());
    return {x, y};
}

} // namespace brindle
