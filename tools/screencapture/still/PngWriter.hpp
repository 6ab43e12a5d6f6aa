#pragma once

#include "tools/screencapture/still/Bitmap.hpp"
#include "tools/screencapture/x11/RowReader.hpp"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quillet::screencapture::PngWriter {

// An opaque 8-bit RGB PNG of the bitmap (its fourth byte is dropped), with a pHYs chunk of
// 72 dpi per pixel-per-point, compressed for speed: no row filter, fastest deflate, the rows split
// into bands that are deflated side by side and joined into one stream. Empty on failure.
[[nodiscard]] std::vector<std::uint8_t> encode(const Bitmap& bitmap, double pixelsPerPoint);

// The same for a picture read a strip at a time, one reader per encoding thread.
[[nodiscard]] std::vector<std::uint8_t> encode(long width, long height, double pixelsPerPoint,
                                               const RowReaderFactory& readers);

// Writes the bytes to `path` readable by the owner only, through a temporary file in the same
// folder that is renamed into place, so a reader never sees half a file. Only a regular file is ever
// replaced: a link, a device, a FIFO or a folder at `path` is refused and left as it is. A one-line
// reason on failure.
[[nodiscard]] std::optional<std::string> writeFile(const std::vector<std::uint8_t>& bytes,
                                                   const std::string& path);

// The same for content that `writeContent` writes to the open file (false when it failed, with
// errno set); used for every file the tool writes.
[[nodiscard]] std::optional<std::string> writeFile(const std::function<bool(int fd)>& writeContent,
                                                   const std::string& path);

// Writes all `size` bytes, retrying after interruptions; false with errno set on failure.
[[nodiscard]] bool writeAll(int fd, const std::uint8_t* bytes, std::size_t size);

// Why the tool will not write to `path` (something other than a regular file is there), or nothing.
[[nodiscard]] std::optional<std::string> refusedOutput(const std::string& path);

} // namespace quillet::screencapture::PngWriter
