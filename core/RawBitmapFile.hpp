#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <variant>

// The file in which the capture tool hands a still to the application without compressing it: a
// 32-byte header, then the rows top to bottom, tightly packed, 4 bytes a pixel in the order B, G, R,
// A (premultiplied alpha; a screen grab is opaque). The header is little-endian: the magic "QPXL",
// the version (1), width, height, bytes per row (4 × width) and the resolution in dots per metre
// (0 when unknown), each 32 bits, then 8 zero bytes.
namespace quillet::RawBitmapFile {

inline constexpr std::size_t headerSize = 32;
// The largest picture either side accepts (1 GiB of pixels), as for the tool's PNG.
inline constexpr std::int64_t maximumPixels = std::int64_t{1} << 28;

struct Header {
    std::int64_t width = 0;
    std::int64_t height = 0;
    std::int64_t dotsPerMeter = 0;

    [[nodiscard]] std::int64_t bytesPerRow() const { return width * 4; }
    // Header and rows.
    [[nodiscard]] std::uint64_t fileSize() const;

    friend bool operator==(const Header&, const Header&) = default;
};

// The header's bytes. The size must be within the limits `read` accepts.
[[nodiscard]] std::array<std::uint8_t, headerSize> encode(const Header& header);

// The header of a file of `fileSize` bytes that starts with `start`, or a one-line reason why it is
// not such a file (wrong magic or version, a size out of range, a file shorter or longer than its
// header says).
[[nodiscard]] std::variant<Header, std::string> read(std::span<const std::uint8_t> start,
                                                     std::uint64_t fileSize);

} // namespace quillet::RawBitmapFile
