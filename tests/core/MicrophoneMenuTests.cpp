#include "core/MicrophoneMenu.hpp"

#include <gtest/gtest.h>

namespace quillet {
namespace {

struct CheckedCase {
    const char* title;
    bool isOn;
    std::optional<std::string> chosen;
    std::vector<std::string> available;
    std::optional<std::string> expected;
};

class CheckedMicrophone : public ::testing::TestWithParam<CheckedCase> {};

TEST_P(CheckedMicrophone, PrefersTheChosenConnectedDevice)
{
    const CheckedCase& c = GetParam();
    EXPECT_EQ(MicrophoneMenu::checkedID(c.isOn, c.chosen, c.available), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    MicrophoneMenu, CheckedMicrophone,
    ::testing::Values(CheckedCase{"offChecksNothing", false, "B", {"A", "B"}, std::nullopt},
                      CheckedCase{"chosenAvailable", true, "B", {"A", "B"}, "B"},
                      CheckedCase{"chosenGone", true, "C", {"A", "B"}, "A"},
                      CheckedCase{"noneChosen", true, std::nullopt, {"A", "B"}, "A"},
                      CheckedCase{"nothingAvailable", true, std::nullopt, {}, std::nullopt},
                      CheckedCase{"chosenButNothingAvailable", true, "B", {}, std::nullopt}),
    [](const auto& info) { return info.param.title; });

} // namespace
} // namespace quillet
