#include "core/RunMode.hpp"

#include <gtest/gtest.h>

namespace quillet {
namespace {

using Kind = RunMode::Kind;

struct ModeCase {
    const char* name;
    std::vector<std::string> arguments;
    RunMode expected;

    friend void PrintTo(const ModeCase& c, std::ostream* out) { *out << c.name; }
};

class RunModeSelect : public testing::TestWithParam<ModeCase> {};

TEST_P(RunModeSelect, FollowsTheFixedOptionOrder)
{
    const auto& c = GetParam();
    EXPECT_EQ(RunMode::select(c.arguments), c.expected) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RunModeSelect,
    testing::Values(
        ModeCase{"no arguments at all", {}, {Kind::menuBar, ""}},
        ModeCase{"program path only", {"quillet"}, {Kind::menuBar, ""}},
        ModeCase{"option without value is absent", {"quillet", "--diagnose"}, {Kind::menuBar, ""}},
        ModeCase{"diagnose", {"quillet", "--diagnose", "r.txt"}, {Kind::diagnostics, "r.txt"}},
        ModeCase{"memory beats diagnose",
                 {"q", "--diagnose", "d.txt", "--measure-memory", "m.txt"},
                 {Kind::memoryProbe, "m.txt"}},
        ModeCase{"memory beats diagnose in either order",
                 {"q", "--measure-memory", "m.txt", "--diagnose", "d.txt"},
                 {Kind::memoryProbe, "m.txt"}},
        ModeCase{"snapshot takes the next argument whatever it is",
                 {"q", "--snapshot", "--diagnose", "d.txt"},
                 {Kind::menuSnapshot, "--diagnose"}},
        ModeCase{"first snapshot path wins",
                 {"q", "--snapshot", "a", "--snapshot", "b"},
                 {Kind::menuSnapshot, "a"}},
        ModeCase{"editor snapshot is a distinct option",
                 {"q", "--snapshot-editor", "e"},
                 {Kind::editorSnapshot, "e"}},
        ModeCase{"snapshot beats editor snapshot",
                 {"q", "--snapshot-editor", "e", "--snapshot", "m"},
                 {Kind::menuSnapshot, "m"}},
        ModeCase{"equals form is ignored", {"q", "--snapshot=a.png"}, {Kind::menuBar, ""}},
        ModeCase{"valueless first option falls to the next",
                 {"q", "--measure-memory", "m", "--snapshot"},
                 {Kind::memoryProbe, "m"}},
        ModeCase{
            "unknown arguments are ignored", {"q", "-platform", "xcb", "--verbose"}, {Kind::menuBar, ""}}));

} // namespace
} // namespace quillet
