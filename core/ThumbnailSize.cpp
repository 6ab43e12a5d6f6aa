#include "core/ThumbnailSize.hpp"

#include <algorithm>
#include <cmath>

namespace quillet::ThumbnailSize {

std::optional<PixelSize> scaledDown(std::int64_t width, std::int64_t height, double maxPixels)
{
    if (width < 1 || height < 1) {
        return std::nullopt;
    }
    const auto longest = static_cast<double>(std::max(width, height));
    if (!(maxPixels > 0 && maxPixels < longest)) {
        return std::nullopt;
    }
    const double factor = maxPixels / longest;
    const auto scaled = [factor](std::int64_t side) {
        return std::max<std::int64_t>(1, std::llround(static_cast<double>(side) * factor));
    };
    return PixelSize{scaled(width), scaled(height)};
}

} // namespace quillet::ThumbnailSize
