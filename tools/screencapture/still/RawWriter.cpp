#include "tools/screencapture/still/RawWriter.hpp"

#include "core/RawBitmapFile.hpp"
#include "tools/screencapture/still/PngWriter.hpp"

#include <cmath>

namespace quillet::screencapture::RawWriter {
namespace {

constexpr double pointsPerInch = 72;
constexpr double metresPerInch = 0.0254;

} // namespace

std::optional<std::string> writeFile(Bitmap& bitmap, double pixelsPerPoint, const std::string& path)
{
    const RawBitmapFile::Header header{bitmap.width, bitmap.height,
                                       std::lround(pointsPerInch * pixelsPerPoint / metresPerInch)};
    if (bitmap.isEmpty() || bitmap.width > RawBitmapFile::maximumPixels / bitmap.height) {
        return "cannot read the screen for '" + path + "'";
    }
    bitmap.makeOpaque();
    const auto rowBytes = static_cast<std::size_t>(header.bytesPerRow());
    return PngWriter::writeFile(
        [&](int fd) {
            const auto start = RawBitmapFile::encode(header);
            if (!PngWriter::writeAll(fd, start.data(), start.size())) {
                return false;
            }
            if (bitmap.bytesPerRow == rowBytes) {
                return PngWriter::writeAll(fd, bitmap.pixels,
                                           rowBytes * static_cast<std::size_t>(bitmap.height));
            }
            for (long y = 0; y < bitmap.height; ++y) {
                if (!PngWriter::writeAll(fd, bitmap.row(y), rowBytes)) {
                    return false;
                }
            }
            return true;
        },
        path);
}

} // namespace quillet::screencapture::RawWriter
