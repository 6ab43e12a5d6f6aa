#include "core/RawBitmapFile.hpp"

#include <gtest/gtest.h>

namespace quillet {
namespace {

using Bytes = std::array<std::uint8_t, RawBitmapFile::headerSize>;

void put(Bytes& bytes, std::size_t offset, std::uint32_t value)
{
    for (std::size_t i = 0; i < 4; ++i) {
        bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

struct Damage {
    const char* name;
    std::size_t offset;
    std::uint32_t value;
    std::int64_t sizeChange; // added to the file size the header promises
    const char* reason;
};

TEST(RawBitmapFile, AHeaderReadsBackAndEveryDamageIsNamed)
{
    const RawBitmapFile::Header header{3840, 2160, 5669};
    const Bytes bytes = RawBitmapFile::encode(header);
    EXPECT_EQ(header.fileSize(), 32u + 3840u * 2160u * 4u);
    const auto read = RawBitmapFile::read(bytes, header.fileSize());
    ASSERT_TRUE(std::holds_alternative<RawBitmapFile::Header>(read));
    EXPECT_EQ(std::get<RawBitmapFile::Header>(read), header);

    const Damage damages[] = {
        {"magic", 0, 0x4c585050, 0, "not an uncompressed capture"},
        {"version", 4, 2, 0, "not an uncompressed capture"},
        {"zeroWidth", 8, 0, 0, "size out of range"},
        {"zeroHeight", 12, 0, 0, "size out of range"},
        // A header that claims more than a gibibyte of pixels is refused before any size check.
        {"hugeArea", 8, 0xffffffff, 0, "size out of range"},
        {"rowsNotTight", 16, 3840 * 4 + 4, 0, "field out of range"},
        {"absurdResolution", 20, 0xffffffff, 0, "field out of range"},
        {"firstReserved", 24, 1, 0, "field out of range"},
        {"secondReserved", 28, 1, 0, "field out of range"},
        {"truncated", 0, 0x4c585051, -1, "does not match"},
        {"longer", 0, 0x4c585051, 4, "does not match"},
    };
    for (const Damage& damage : damages) {
        Bytes damaged = bytes;
        put(damaged, damage.offset, damage.value);
        const auto result = RawBitmapFile::read(damaged, header.fileSize() + damage.sizeChange);
        ASSERT_TRUE(std::holds_alternative<std::string>(result)) << damage.name;
        EXPECT_NE(std::get<std::string>(result).find(damage.reason), std::string::npos)
            << damage.name << ": " << std::get<std::string>(result);
    }
    EXPECT_TRUE(std::holds_alternative<std::string>(RawBitmapFile::read(std::span(bytes).first(31), 31)));
}

} // namespace
} // namespace quillet
