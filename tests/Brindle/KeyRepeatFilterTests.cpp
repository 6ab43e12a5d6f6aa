#include "Brindle/KeyRepeatFilter.hpp"
#include "Brindle/XcbLockMasks.hpp"

#include <algorithm>
#include <gtest/gtest.h>
#include <vector>

namespace brindle {
namespace {

constexpr std::uint32_t key = 12;
constexpr std::uint32_t otherKey = 13;

TEST(KeyRepeatFilter, RepeatsAsReleasePressPairsWithOneTimestampAreNotNewPresses)
{
    KeyRepeatFilter filter;
    EXPECT_TRUE(filter.isNewPress(key, 1000));
    for (std::uint32_t time = 1660; time < 2000; time += 40) {
        filter.released(key, time);
        EXPECT_FALSE(filter.isNewPress(key, time));
    }
    filter.released(key, 2100);
    EXPECT_TRUE(filter.isNewPress(key, 2500)) << "pressed again after letting go";
}

TEST(KeyRepeatFilter, DetectableRepeatsWithoutReleasesAreNotNewPresses)
{
    KeyRepeatFilter filter;
    EXPECT_TRUE(filter.isNewPress(key, 1000));
    EXPECT_FALSE(filter.isNewPress(key, 1660));
    EXPECT_FALSE(filter.isNewPress(key, 1700));
    EXPECT_TRUE(filter.isNewPress(otherKey, 1710)) << "each key is followed on its own";
    filter.released(key, 1800);
    EXPECT_FALSE(filter.isDown(key));
    EXPECT_TRUE(filter.isNewPress(key, 1900));
}

TEST(XcbLockMasks, VariantsCoverEveryCombinationOfTheMappedLocks)
{
    struct Case {
        XcbLockMasks masks;
        std::vector<std::uint16_t> variants;
    };
    const std::vector<Case> cases{
        {{}, {0, 0x02}},
        {{.numLock = 0x10}, {0, 0x02, 0x10, 0x12}},
        {{.numLock = 0x10, .scrollLock = 0x20}, {0, 0x02, 0x10, 0x12, 0x20, 0x22, 0x30, 0x32}},
    };
    for (const auto& testCase : cases) {
        auto variants = testCase.masks.variants();
        std::sort(variants.begin(), variants.end());
        EXPECT_EQ(variants, testCase.variants);
    }
    EXPECT_EQ((XcbLockMasks{.numLock = 0x10}.all()), 0x12);
}

} // namespace
} // namespace brindle
