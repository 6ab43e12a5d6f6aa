#include "Brindle/MemoryFootprint.hpp"

#include <gtest/gtest.h>
#include <memory>

namespace brindle {
namespace {

TEST(MemoryFootprint, SumsAnonymousSharedAndSwappedPagesAndTakesThePeak)
{
    const char* status = "Name:\tquillet\n"
                         "VmHWM:\t   20480 kB\n"
                         "VmRSS:\t   10240 kB\n"
                         "RssAnon:\t    4096 kB\n"
                         "RssFile:\t    5120 kB\n"
                         "RssShmem:\t    1024 kB\n"
                         "VmSwap:\t       2 kB\n";
    const auto reading = MemoryFootprint::parse(status);
    EXPECT_EQ(reading.current, (4096u + 1024u + 2u) * 1024u);
    EXPECT_EQ(reading.peak, 20480u * 1024u);
    EXPECT_DOUBLE_EQ(reading.peakMB(), 20.0);
}

TEST(MemoryFootprint, MissingOrMalformedFieldsCountAsZero)
{
    EXPECT_EQ(MemoryFootprint::parse(""), (MemoryFootprint::Reading{}));
    EXPECT_EQ(MemoryFootprint::parse("RssAnon: lots\nVmHWMx: 5 kB\nVmHWM:"), (MemoryFootprint::Reading{}));
}

TEST(MemoryFootprint, ReadsTheRunningProcess)
{
    const auto before = MemoryFootprint::read();
    EXPECT_GT(before.current, 0u);
    EXPECT_GE(before.peak, before.current - std::min(before.current, std::uint64_t{1} << 20));

    // Touch 64 MiB so that anonymous resident memory must grow.
    constexpr std::size_t size = 64u << 20;
    auto block = std::make_unique<unsigned char[]>(size);
    for (std::size_t i = 0; i < size; i += 4096) {
        block[i] = static_cast<unsigned char>(i);
    }
    const auto after = MemoryFootprint::read();
    EXPECT_GE(after.current, before.current + size / 2);
    EXPECT_GE(after.peak, after.current / 2);
}

} // namespace
} // namespace brindle
