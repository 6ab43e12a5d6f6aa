#pragma once

#include <cstdint>
#include <optional>

namespace quillet::ThumbnailSize {

// The longer side of the image a card shows, in pixels: stills and recordings alike.
inline constexpr int maximumPixels = 440;

struct PixelSize {
    std::int64_t width = 0;
    std::int64_t height = 0;

    friend constexpr bool operator==(PixelSize, PixelSize) = default;
};

// The size that fits the longer side into `maxPixels`, each side rounded half away from zero and at
// least 1; absent when the image already fits, when `maxPixels` is not positive, or when the image has
// no pixels (the image is then used as it is).
[[nodiscard]] std::optional<PixelSize> scaledDown(std::int64_t width, std::int64_t height, double maxPixels);

} // namespace quillet::ThumbnailSize
