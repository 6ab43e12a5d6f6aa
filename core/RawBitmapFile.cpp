#include "core/RawBitmapFile.hpp"

#include <algorithm>

namespace quillet::RawBitmapFile {
namespace {

constexpr std::array<std::uint8_t, 4> magic{'Q', 'P', 'X', 'L'};
constexpr std::uint32_t version = 1;
constexpr std::size_t versionOffset = 4;
constexpr std::size_t widthOffset = 8;
constexpr std::size_t heightOffset = 12;
constexpr std::size_t bytesPerRowOffset = 16;
constexpr std::size_t resolutionOffset = 20;
constexpr std::size_t reservedOffset = 24;
// About 25 000 dots per inch: far beyond any screen.
constexpr std::int64_t maximumDotsPerMeter = 1'000'000;

void put(std::array<std::uint8_t, headerSize>& bytes, std::size_t offset, std::uint32_t value)
{
    for (std::size_t i = 0; i < 4; ++i) {
        bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

std::uint32_t get(std::span<const std::uint8_t> bytes, std::size_t offset)
{
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        value |= std::uint32_t{bytes[offset + i]} << (8 * i);
    }
    return value;
}

} // namespace

std::uint64_t Header::fileSize() const
{
    return headerSize + static_cast<std::uint64_t>(bytesPerRow()) * static_cast<std::uint64_t>(height);
}

std::array<std::uint8_t, headerSize> encode(const Header& header)
{
    std::array<std::uint8_t, headerSize> bytes{};
    std::copy(magic.begin(), magic.end(), bytes.begin());
    put(bytes, versionOffset, version);
    put(bytes, widthOffset, static_cast<std::uint32_t>(header.width));
    put(bytes, heightOffset, static_cast<std::uint32_t>(header.height));
    put(bytes, bytesPerRowOffset, static_cast<std::uint32_t>(header.bytesPerRow()));
    put(bytes, resolutionOffset, static_cast<std::uint32_t>(header.dotsPerMeter));
    return bytes;
}

std::variant<Header, std::string> read(std::span<const std::uint8_t> start, std::uint64_t fileSize)
{
    if (start.size() < headerSize) {
        return std::string("shorter than its header");
    }
    if (!std::equal(magic.begin(), magic.end(), start.begin()) || get(start, versionOffset) != version) {
        return std::string("not an uncompressed capture of a known version");
    }
    const Header header{get(start, widthOffset), get(start, heightOffset), get(start, resolutionOffset)};
    if (header.width < 1 || header.height < 1 || header.width > maximumPixels / header.height) {
        return std::string("a picture size out of range");
    }
    if (get(start, bytesPerRowOffset) != header.bytesPerRow() || header.dotsPerMeter > maximumDotsPerMeter ||
        get(start, reservedOffset) != 0 || get(start, reservedOffset + 4) != 0) {
        return std::string("a header field out of range");
    }
    if (fileSize != header.fileSize()) {
        return std::string("a file size that does not match its header");
    }
    return header;
}

} // namespace quillet::RawBitmapFile
