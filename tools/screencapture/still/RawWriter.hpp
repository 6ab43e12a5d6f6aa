#pragma once

#include "tools/screencapture/still/Bitmap.hpp"

#include <optional>
#include <string>

namespace quillet::screencapture::RawWriter {

// Writes the bitmap uncompressed (core/RawBitmapFile.hpp) to `path`, as PngWriter::writeFile does:
// owner-only, whole or not at all. The bitmap's unused fourth bytes are set to opaque alpha in place
// first. A one-line reason on failure.
[[nodiscard]] std::optional<std::string> writeFile(Bitmap& bitmap, double pixelsPerPoint,
                                                   const std::string& path);

} // namespace quillet::screencapture::RawWriter
