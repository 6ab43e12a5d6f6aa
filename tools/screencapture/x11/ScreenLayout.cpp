#include "tools/screencapture/x11/ScreenLayout.hpp"

#include <cmath>

namespace quillet::screencapture {

long ScreenLayout::pixels(double points) const
{
    return std::lround(points * pixelsPerPoint);
}

PixelRect ScreenLayout::pixelRect(const Region& region) const
{
    const PixelRect& main = mainScreen();
    // Global points: the main screen's point origin is its pixel origin.
    const double globalX = double(main.x) + double(region.x);
    const double globalY = double(main.y) + double(region.y);
    const PixelRect* owner = &main;
    for (const PixelRect& screen : screens) {
        const double widthInPoints = double(screen.width) / pixelsPerPoint;
        const double heightInPoints = double(screen.height) / pixelsPerPoint;
        if (globalX >= double(screen.x) && globalX < double(screen.x) + widthInPoints &&
            globalY >= double(screen.y) && globalY < double(screen.y) + heightInPoints) {
            owner = &screen;
            break;
        }
    }
    return {owner->x + pixels(globalX - double(owner->x)), owner->y + pixels(globalY - double(owner->y)),
            pixels(double(region.width)), pixels(double(region.height))};
}

ScreenLayout ScreenLayout::make(std::vector<PixelRect> screens, int primaryIndex, double pixelsPerPoint)
{
    std::size_t mainIndex = 0;
    if (primaryIndex >= 0 && std::size_t(primaryIndex) < screens.size()) {
        mainIndex = std::size_t(primaryIndex);
    }
    for (std::size_t i = 0; i < screens.size(); ++i) {
        if (screens[i].x == 0 && screens[i].y == 0) {
            mainIndex = i;
            break;
        }
    }
    if (mainIndex != 0) {
        std::swap(screens[0], screens[mainIndex]);
    }
    return ScreenLayout{std::move(screens), pixelsPerPoint > 0 ? pixelsPerPoint : 1.0};
}

} // namespace quillet::screencapture
