#include "Quillet/capture/CastScreen.hpp"

#include <gtest/gtest.h>

namespace quillet {
namespace {

// Two monitors side by side as a cast gives them, the second the primary one.
CastScreen at(int x, std::optional<QPoint> pointer = std::nullopt)
{
    return CastScreen{QImage(), QRect(x, 0, 800, 600), pointer};
}

TEST(CastScreen, TheScreenUnderThePointerIsTheOneMarkedElseThePrimaryElseTheFirst)
{
    struct Case {
        const char* what;
        std::vector<CastScreen> screens;
        QPoint primary;
        std::size_t expected;
    };
    const std::vector<Case> cases{
        {"marked on the second", {at(0), at(800, QPoint(10, 10))}, QPoint(0, 0), 1},
        {"marked on the first, primary the second", {at(0, QPoint(0, 0)), at(800)}, QPoint(800, 0), 0},
        {"no mark: the primary", {at(0), at(800)}, QPoint(800, 0), 1},
        {"no mark, primary not cast: the first", {at(0), at(800)}, QPoint(-1920, 0), 0},
        {"a screenshot without a place", {CastScreen{}}, QPoint(0, 0), 0},
    };
    for (const Case& test : cases) {
        EXPECT_EQ(screenUnderPointer(test.screens, test.primary), test.expected) << test.what;
    }
}

} // namespace
} // namespace quillet
