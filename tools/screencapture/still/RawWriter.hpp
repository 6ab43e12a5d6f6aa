#pragma once

#include "tools/screencapture/still/Bitmap.hpp"
#include "tools/screencapture/x11/RootGrabber.hpp"

#include <optional>
#include <string>

namespace quillet::screencapture::RawWriter {

// Writes the bitmap uncompressed (core/RawBitmapFile.hpp) to `path`, as PngWriter::writeFile does:
// owner-only, whole or not at all. The bitmap's unused fourth bytes are set to opaque alpha in place
// first. A one-line reason on failure.
[[nodiscard]] std::optional<std::string> writeFile(Bitmap& bitmap, double pixelsPerPoint,
                                                   const std::string& path);

// Reads `area` of the root window (inside it) straight into a new file at `path` in the same format,
// whole or not at all: with shared memory the server writes the rows into the file itself.
[[nodiscard]] std::optional<std::string> grabToFile(const RootGrabber& grabber, xcb_connection_t* connection,
                                                    const PixelRect& area, double pixelsPerPoint,
                                                    const std::string& path);

} // namespace quillet::screencapture::RawWriter
