#include "Quillet/capture/CastScreen.hpp"

#include <algorithm>

namespace quillet {

std::size_t screenUnderPointer(const std::vector<CastScreen>& screens, QPoint primaryPlace)
{
    const auto marked = std::find_if(screens.begin(), screens.end(),
                                     [](const CastScreen& screen) { return screen.pointer.has_value(); });
    if (marked != screens.end()) {
        return std::size_t(marked - screens.begin());
    }
    const auto primary = std::find_if(screens.begin(), screens.end(), [&](const CastScreen& screen) {
        return screen.place.isValid() && screen.place.topLeft() == primaryPlace;
    });
    return primary != screens.end() ? std::size_t(primary - screens.begin()) : 0;
}

} // namespace quillet
