#pragma once

#include "tools/screencapture/still/Bitmap.hpp"
#include "tools/screencapture/x11/PixelRect.hpp"

#include <cstdint>
#include <memory>
#include <vector>

struct spa_buffer;

namespace quillet::screencapture {

// The pointer as a screen cast describes it beside its pictures: its place comes with every buffer,
// its image only when it changes, so the last image is kept.
class CastPointer {
public:
    // A premultiplied A,R,G,B word a pixel.
    struct Sprite {
        std::vector<std::uint32_t> argb;
        long width = 0;
        long height = 0;
    };

    // Reads the buffer's cursor metadata, if it has any (garbage is ignored).
    void update(const spa_buffer& buffer);

    // Draws the pointer into `frame`, which shows the stream's pixels `area`.
    void draw(const Bitmap& frame, const PixelRect& area) const;

    friend bool operator==(const CastPointer&, const CastPointer&) = default;

private:
    bool isVisible_ = false;
    long x_ = 0;
    long y_ = 0;
    long hotspotX_ = 0;
    long hotspotY_ = 0;
    std::shared_ptr<const Sprite> sprite_;
};

} // namespace quillet::screencapture
