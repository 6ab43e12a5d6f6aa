#include "tools/screencapture/x11/ScreenLayout.hpp"
#include "tools/screencapture/x11/XResources.hpp"

#include <gtest/gtest.h>

namespace quillet::screencapture {
namespace {

struct MappingCase {
    const char* name;
    std::vector<PixelRect> screens;
    double pixelsPerPoint;
    Region region;
    PixelRect expected;
};

void PrintTo(const MappingCase& c, std::ostream* out)
{
    *out << c.name;
}

class RegionMapping : public ::testing::TestWithParam<MappingCase> {};

TEST_P(RegionMapping, GivesRootPixels)
{
    const auto& c = GetParam();
    const ScreenLayout layout = ScreenLayout::make(c.screens, -1, c.pixelsPerPoint);
    EXPECT_EQ(layout.pixelRect(c.region), c.expected);
}

const std::vector<PixelRect> sideBySide = {{0, 0, 1920, 1080}, {1920, 0, 1920, 1080}};
const std::vector<PixelRect> secondAtOrigin = {{1920, 0, 1920, 1080}, {0, 0, 1920, 1080}};
const std::vector<PixelRect> mainNotAtOrigin = {{0, 1080, 1920, 1080}, {1920, 0, 1920, 1080}};

INSTANTIATE_TEST_SUITE_P(
    ScreenLayout, RegionMapping,
    ::testing::Values(
        MappingCase{"oneToOne", sideBySide, 1, {10, 20, 30, 40}, {10, 20, 30, 40}},
        MappingCase{"doubleOnMain", sideBySide, 2, {10, 20, 30, 40}, {20, 40, 60, 80}},
        // The second screen keeps its pixel origin as its point origin: points 1920 + 10 are
        // pixel 1920 + 20, not pixel 3860.
        MappingCase{"doubleOnSecond", sideBySide, 2, {1930, 5, 100, 50}, {1940, 10, 200, 100}},
        MappingCase{"wholeSecondScreenAtDouble", sideBySide, 2, {1920, 0, 960, 540}, {1920, 0, 1920, 1080}},
        MappingCase{"fractionalRoundsHalfAway", sideBySide, 1.5, {1, 1, 3, 3}, {2, 2, 5, 5}},
        MappingCase{"offEveryScreenUsesMain", sideBySide, 2, {-10, -10, 5, 5}, {-20, -20, 10, 10}},
        MappingCase{"mainChosenAtRootOrigin", secondAtOrigin, 1, {5, 5, 10, 10}, {5, 5, 10, 10}},
        MappingCase{"relativeToAMainScreenBelowTheOrigin",
                    mainNotAtOrigin,
                    1,
                    {0, -1080, 100, 100},
                    {0, 0, 100, 100}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ScreenLayout, MainScreenIsAtTheRootOriginElseThePrimaryElseTheFirst)
{
    EXPECT_EQ(ScreenLayout::make(secondAtOrigin, 0, 1).mainScreen(), (PixelRect{0, 0, 1920, 1080}));
    EXPECT_EQ(ScreenLayout::make(mainNotAtOrigin, 1, 1).mainScreen(), (PixelRect{1920, 0, 1920, 1080}));
    EXPECT_EQ(ScreenLayout::make(mainNotAtOrigin, -1, 1).mainScreen(), (PixelRect{0, 1080, 1920, 1080}));
    EXPECT_EQ(ScreenLayout::make(mainNotAtOrigin, 7, 1).mainScreen(), (PixelRect{0, 1080, 1920, 1080}));
}

struct DpiCase {
    const char* name;
    const char* resources;
    double expected;
};

void PrintTo(const DpiCase& c, std::ostream* out)
{
    *out << c.name;
}

class XftDpi : public ::testing::TestWithParam<DpiCase> {};

TEST_P(XftDpi, GivesPixelsPerPoint)
{
    EXPECT_DOUBLE_EQ(XResources::pixelsPerPoint(GetParam().resources), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    XResources, XftDpi,
    ::testing::Values(DpiCase{"none", "", 1}, DpiCase{"double", "Xft.dpi:\t192\n", 2},
                      DpiCase{"amongOthers",
                              "*customization:\t-color\nXft.antialias:\t1\nXft.dpi:\t144\nXft.hinting:\t1\n",
                              1.5},
                      DpiCase{"withoutNewline", "Xft.dpi: 120", 1.25},
                      DpiCase{"lastWins", "Xft.dpi:\t192\nXft.dpi:\t96\n", 1},
                      DpiCase{"neverBelowOne", "Xft.dpi:\t72\n", 1},
                      DpiCase{"notAWholeNumber", "Xft.dpi:\t144.5\n", 1},
                      DpiCase{"garbage", "Xft.dpi:\tlots\n", 1}, DpiCase{"zero", "Xft.dpi:\t0\n", 1},
                      DpiCase{"otherKeyWithSamePrefix", "Xft.dpiScale:\t3\n", 1}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace quillet::screencapture
