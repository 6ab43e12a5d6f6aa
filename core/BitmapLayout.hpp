#pragma once

#include <cstddef>
#include <cstdint>

// The layout every 32-bit-per-pixel bitmap in the core shares: 4 bytes a pixel, rows `bytesPerRow`
// bytes apart.
namespace quillet {

inline constexpr std::int64_t bytesPerPixel = 4;

// False when width or height is below 1, when `bytesPerRow` is below 4 × width, or when a buffer of
// `bufferSize` bytes holds fewer than `bytesPerRow` × height bytes.
[[nodiscard]] inline bool isUsable(std::size_t bufferSize, std::int64_t width, std::int64_t height,
                                   std::int64_t bytesPerRow)
{
    if (width < 1 || height < 1) {
        return false;
    }
    // Divisions instead of products so that huge sizes cannot overflow.
    if (bytesPerRow / bytesPerPixel < width) {
        return false;
    }
    return static_cast<std::uint64_t>(height) <= bufferSize / static_cast<std::uint64_t>(bytesPerRow);
}

} // namespace quillet
