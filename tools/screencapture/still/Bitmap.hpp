#pragma once

#include "tools/screencapture/x11/PixelRect.hpp"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace quillet::screencapture {

// Pixels as the X server hands them over from a 24-bit root: bytes B, G, R and one unused byte that
// is often 0, so it must never be read as alpha.
struct Bitmap {
    static constexpr std::size_t bytesPerPixel = 4;

    long width = 0;
    long height = 0;
    std::size_t bytesPerRow = 0;
    std::uint8_t* pixels = nullptr;
    std::shared_ptr<void> storage; // keeps `pixels` alive (heap, shared memory or a server reply)

    [[nodiscard]] bool isEmpty() const { return pixels == nullptr || width <= 0 || height <= 0; }
    [[nodiscard]] std::uint8_t* row(long y) const { return pixels + std::size_t(y) * bytesPerRow; }

    // Sets every fourth byte to 0xff, so the pixels can be handed to code that reads it as alpha.
    void makeOpaque();

    // Black everywhere; nullptr pixels when the memory cannot be had.
    [[nodiscard]] static Bitmap black(long width, long height);

    // A copy of the part `area` of this bitmap, whose top-left pixel sits at (originX, originY);
    // whatever of `area` lies outside this bitmap is black.
    [[nodiscard]] Bitmap copied(const PixelRect& area, long originX, long originY) const;

    // Copies the pixels of `area` from `source` (top-left pixel at sourceX, sourceY) into this bitmap
    // (top-left pixel at originX, originY); both positions and `area` share one pixel coordinate space.
    void paste(const Bitmap& source, long sourceX, long sourceY, long originX, long originY,
               const PixelRect& area);
};

} // namespace quillet::screencapture
