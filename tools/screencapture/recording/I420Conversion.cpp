#include "tools/screencapture/recording/I420Conversion.hpp"

#include <cstring>
#include <libyuv/convert.h>

namespace quillet::screencapture {

void convertToI420(const Bitmap& source, const I420Planes& target)
{
    const int width = int(source.width);
    const int height = int(source.height);
    // Odd sizes fill the last chroma sample from the one remaining column or row.
    libyuv::ARGBToI420(source.pixels, int(source.bytesPerRow), target.y, target.yStride, target.u,
                       target.uStride, target.v, target.vStride, width, height);
    if (width & 1) {
        for (int row = 0; row < height; ++row) {
            std::uint8_t* luma = target.y + std::size_t(row) * std::size_t(target.yStride);
            luma[width] = luma[width - 1];
        }
    }
    if (height & 1) {
        std::uint8_t* last = target.y + std::size_t(height - 1) * std::size_t(target.yStride);
        std::memcpy(last + target.yStride, last, std::size_t(evenSize(width)));
    }
}

} // namespace quillet::screencapture
