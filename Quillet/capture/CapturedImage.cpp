#include "Quillet/capture/CapturedImage.hpp"

#include "core/Pixels.hpp"

#include <QSysInfo>

#include <cstdint>
#include <span>

namespace quillet {
namespace {

[[nodiscard]] bool hasAlphaInFourthByte(QImage::Format format)
{
    if (QSysInfo::ByteOrder != QSysInfo::LittleEndian) {
        return format == QImage::Format_RGBA8888 || format == QImage::Format_RGBA8888_Premultiplied;
    }
    return format == QImage::Format_ARGB32 || format == QImage::Format_ARGB32_Premultiplied ||
           format == QImage::Format_RGBA8888 || format == QImage::Format_RGBA8888_Premultiplied;
}

// `image` has alpha in every fourth byte.
[[nodiscard]] bool isFullyTransparent(const QImage& image)
{
    if (image.isNull()) {
        return false;
    }
    const auto bytes =
        std::span<const std::uint8_t>(image.constBits(), static_cast<std::size_t>(image.sizeInBytes()));
    return Pixels::isFullyTransparent(bytes, image.width(), image.height(), image.bytesPerLine());
}

} // namespace

bool CapturedImage::isBlank() const
{
    if (image.isNull()) {
        return false;
    }
    // The scan stops at the first visible pixel, so a real capture is told apart at once; a
    // reduction of the whole bitmap first would cost tens of milliseconds at 4K and can round a lone
    // visible pixel away.
    if (!hasAlphaInFourthByte(image.format())) {
        return isFullyTransparent(image.convertToFormat(QImage::Format_RGBA8888_Premultiplied));
    }
    return isFullyTransparent(image);
}

} // namespace quillet
