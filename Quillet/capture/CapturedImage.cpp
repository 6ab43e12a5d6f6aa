#include "Quillet/capture/CapturedImage.hpp"

#include "core/Pixels.hpp"

#include <cstdint>
#include <span>

namespace quillet {
namespace {

constexpr int blankTestSize = 64;

} // namespace

bool CapturedImage::isBlank() const
{
    if (image.isNull()) {
        return false;
    }
    // Area-averaging reduction, so one opaque pixel of a large capture still leaves a trace.
    const QImage reduced =
        image.scaled(blankTestSize, blankTestSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
            .convertToFormat(QImage::Format_RGBA8888_Premultiplied);
    if (reduced.isNull()) {
        return false;
    }
    const auto bytes =
        std::span<const std::uint8_t>(reduced.constBits(), static_cast<std::size_t>(reduced.sizeInBytes()));
    return Pixels::isFullyTransparent(bytes, reduced.width(), reduced.height(), reduced.bytesPerLine());
}

} // namespace quillet
