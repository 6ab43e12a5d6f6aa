#include "core/EditorWindowFrame.hpp"

#include <gtest/gtest.h>
#include <optional>

namespace quillet {
namespace {

struct FrameCase {
    const char* name;
    Size imagePixels;
    double pixelsPerPoint;
    std::optional<Rect> visibleFrame;
    Rect expected;
};

class EditorWindowFrameTest : public ::testing::TestWithParam<FrameCase> {};

TEST_P(EditorWindowFrameTest, OpensCentredAtNaturalSizeWithinLimits)
{
    const FrameCase& c = GetParam();
    EXPECT_EQ(EditorWindowFrame::initial(c.imagePixels, c.pixelsPerPoint, c.visibleFrame), c.expected);
}

// Centres are taken on the visible frame, then the frame grows to whole points.
INSTANTIATE_TEST_SUITE_P(
    Cases, EditorWindowFrameTest,
    ::testing::Values(
        // 200 x 150 points plus chrome is below the minimum: 700 x 420 centred at (720, 437.5).
        FrameCase{
            "SmallCaptureGetsTheMinimum", {400, 300}, 2, Rect{0, 0, 1440, 875}, Rect{370, 227, 700, 421}},
        // Fit 0.1609375: 1013.625 x 743.75 points centred, then expanded.
        FrameCase{"LargeCaptureFillsAtMostTheShare",
                  {6000, 4000},
                  1,
                  Rect{0, 0, 1440, 875},
                  Rect{213, 65, 1014, 745}},
        // Natural size fits: 1000 x 600 points plus padding and toolbar, on a second screen.
        FrameCase{"NaturalSizeOnAnOffsetScreen",
                  {2000, 1200},
                  2,
                  Rect{1920, 0, 2560, 1400},
                  Rect{2676, 350, 1048, 700}},
        FrameCase{"NoScreenUsesAStandIn", {400, 300}, 0.5, std::nullopt, Rect{370, 240, 700, 420}}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace quillet
