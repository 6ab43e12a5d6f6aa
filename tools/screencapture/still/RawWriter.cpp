#include "tools/screencapture/still/RawWriter.hpp"

#include "core/RawBitmapFile.hpp"
#include "tools/screencapture/still/PngWriter.hpp"

#include <cmath>
#include <cstring>
#include <unistd.h>

namespace quillet::screencapture::RawWriter {
namespace {

constexpr double pointsPerInch = 72;
constexpr double metresPerInch = 0.0254;

RawBitmapFile::Header headerFor(long width, long height, double pixelsPerPoint)
{
    return {width, height, std::lround(pointsPerInch * pixelsPerPoint / metresPerInch)};
}

bool isWritable(const RawBitmapFile::Header& header)
{
    return header.width > 0 && header.height > 0 && header.width <= RawBitmapFile::maximumPixels / header.height;
}

bool writeRows(int fd, const RawBitmapFile::Header& header, const Bitmap& bitmap)
{
    const auto start = RawBitmapFile::encode(header);
    if (!PngWriter::writeAll(fd, start.data(), start.size())) {
        return false;
    }
    const auto rowBytes = static_cast<std::size_t>(header.bytesPerRow());
    if (bitmap.bytesPerRow == rowBytes) {
        return PngWriter::writeAll(fd, bitmap.pixels, rowBytes * static_cast<std::size_t>(bitmap.height));
    }
    for (long y = 0; y < bitmap.height; ++y) {
        if (!PngWriter::writeAll(fd, bitmap.row(y), rowBytes)) {
            return false;
        }
    }
    return true;
}

// The server writes the rows into the file's own pages, behind the header: the pixels are never
// copied in this process, and the file needs no write.
bool grabIntoFile(int fd, const RawBitmapFile::Header& header, const RootGrabber& grabber,
                  xcb_connection_t* connection, const PixelRect& area)
{
    const auto segment = SharedSegment::attachFile(connection, fd, header.fileSize());
    if (!segment || !grabber.grabInto(area, *segment, RawBitmapFile::headerSize)) {
        return false;
    }
    const auto start = RawBitmapFile::encode(header);
    std::memcpy(segment->data(), start.data(), start.size());
    Bitmap rows{area.width, area.height, static_cast<std::size_t>(header.bytesPerRow()),
                segment->data() + RawBitmapFile::headerSize, nullptr};
    rows.makeOpaque();
    return true;
}

} // namespace

std::optional<std::string> writeFile(Bitmap& bitmap, double pixelsPerPoint, const std::string& path)
{
    const auto header = headerFor(bitmap.width, bitmap.height, pixelsPerPoint);
    if (bitmap.isEmpty() || !isWritable(header)) {
        return "cannot read the screen for '" + path + "'";
    }
    bitmap.makeOpaque();
    return PngWriter::writeFile([&](int fd) { return writeRows(fd, header, bitmap); }, path);
}

std::optional<std::string> grabToFile(const RootGrabber& grabber, xcb_connection_t* connection,
                                      const PixelRect& area, double pixelsPerPoint, const std::string& path)
{
    const auto header = headerFor(area.width, area.height, pixelsPerPoint);
    if (!isWritable(header)) {
        return "cannot read the screen for '" + path + "'";
    }
    bool grabbed = false;
    auto written = PngWriter::writeFile(
        [&](int fd) {
            if (grabIntoFile(fd, header, grabber, connection, area)) {
                grabbed = true;
                return true;
            }
            // No memory shared with the server: read the pixels over the connection and write them.
            Bitmap bitmap = grabber.grab(area);
            if (bitmap.isEmpty() || ::ftruncate(fd, 0) != 0) {
                return false;
            }
            grabbed = true;
            bitmap.makeOpaque();
            return writeRows(fd, header, bitmap);
        },
        path);
    if (written && !grabbed) {
        return "cannot read the screen for '" + path + "'";
    }
    return written;
}

} // namespace quillet::screencapture::RawWriter
