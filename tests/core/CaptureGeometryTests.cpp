#include "core/CaptureGeometry.hpp"

#include <gtest/gtest.h>

namespace quillet {
namespace {

struct RegionCase {
    const char* title;
    Rect rect;
    double mainScreenHeight;
    std::string expected;
};

class Region : public ::testing::TestWithParam<RegionCase> {};

TEST_P(Region, FlipsAndRoundsToTheToolsNotation)
{
    EXPECT_EQ(CaptureGeometry::region(GetParam().rect, GetParam().mainScreenHeight), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    CaptureGeometry, Region,
    ::testing::Values(RegionCase{"mainScreen", {0, 0, 1440, 900}, 900, "0,0,1440,900"},
                      RegionCase{"screenAbove", {0, 900, 1920, 1080}, 900, "0,-1080,1920,1080"},
                      RegionCase{"screenLeft", {-1920, 0, 1920, 1080}, 900, "-1920,-180,1920,1080"},
                      RegionCase{"halfRoundsUp", {10.5, 0, 100, 100}, 100, "11,0,100,100"},
                      RegionCase{"negativeHalfRoundsDown", {-10.5, 0, 100, 100}, 100, "-11,0,100,100"},
                      RegionCase{"widthHalfRoundsUp", {0, 0, 99.5, 100}, 100, "0,0,100,100"},
                      RegionCase{"flippedHalfRoundsAwayFromZero", {0, 0.5, 10, 10}, 0, "0,-11,10,10"},
                      RegionCase{"sizeRoundedOnItsOwn", {0.4, 0, 10.4, 10}, 10, "0,0,10,10"},
                      RegionCase{"belowHalfRoundsDown", {2.49, 0, 10, 10}, 10, "2,0,10,10"},
                      RegionCase{"negativeSizeIsStandardized", {100, 100, -50, -40}, 200, "50,100,50,40"}),
    [](const auto& info) { return info.param.title; });

struct AreaCase {
    const char* title;
    Point start;
    Point end;
    Rect expected;
};

const Rect screen{0, 0, 1440, 900};

class RecordingArea : public ::testing::TestWithParam<AreaCase> {};

TEST_P(RecordingArea, IsIntegralAndLargeEnoughOrTheFallback)
{
    const AreaCase& c = GetParam();
    const Rect area = CaptureGeometry::recordingArea(c.start, c.end, screen);
    EXPECT_EQ(area.origin, c.expected.origin);
    EXPECT_EQ(area.size, c.expected.size);
}

INSTANTIATE_TEST_SUITE_P(
    CaptureGeometry, RecordingArea,
    ::testing::Values(AreaCase{"dragDown", {10.2, 10.7}, {40.9, 35.1}, {10, 10, 31, 26}},
                      AreaCase{"dragUp", {40.9, 35.1}, {10.2, 10.7}, {10, 10, 31, 26}},
                      AreaCase{"exactlyMinimum", {0.5, 0.5}, {20, 100}, {0, 0, 20, 100}},
                      AreaCase{"farEdgeRoundsUpToMinimum", {0.5, 0.5}, {19.9, 100}, {0, 0, 20, 100}},
                      AreaCase{"oneShortOfMinimumWide", {1, 1}, {20, 100}, screen},
                      AreaCase{"oneShortOfMinimumHigh", {1, 1}, {100, 20}, screen},
                      AreaCase{"click", {300, 300}, {300, 300}, screen},
                      AreaCase{"negativeCoordinates", {-100.5, -50.5}, {-60.2, -10}, {-101, -51, 41, 41}}),
    [](const auto& info) { return info.param.title; });

TEST(CaptureGeometry, FallbackIsReturnedUnchanged)
{
    const Rect fallback{-1920, 900, 1920, 1080};
    const Rect area = CaptureGeometry::recordingArea({5, 5}, {6, 6}, fallback);
    EXPECT_EQ(area.origin, fallback.origin);
    EXPECT_EQ(area.size, fallback.size);
}

} // namespace
} // namespace quillet
