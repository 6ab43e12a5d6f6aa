#include "kit-core/CommandLineOption.hpp"

#include <gtest/gtest.h>

namespace brindle {
namespace {

using Args = std::vector<std::string>;

struct LookupCase {
    const char* name;
    const char* option;
    Args arguments;
    std::optional<std::string> expected;
};

class CommandLineOptionValue : public testing::TestWithParam<LookupCase> {};

TEST_P(CommandLineOptionValue, FollowsTheExactLookupRules)
{
    const auto& c = GetParam();
    EXPECT_EQ(CommandLineOption::value(c.option, c.arguments), c.expected) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CommandLineOptionValue,
    testing::Values(
        LookupCase{"empty list", "--snapshot", {}, std::nullopt},
        LookupCase{"option last counts as absent", "--diagnose", {"quillet", "--diagnose"}, std::nullopt},
        LookupCase{"first occurrence wins",
                   "--snapshot",
                   {"q", "--snapshot", "a.png", "--snapshot", "b.png"},
                   "a.png"},
        LookupCase{"value may look like an option",
                   "--snapshot",
                   {"q", "--snapshot", "--diagnose", "x"},
                   "--diagnose"},
        LookupCase{"equals form does not count", "--snapshot", {"q", "--snapshot=a.png"}, std::nullopt},
        LookupCase{"no prefix match", "--snapshot", {"q", "--snapshot-editor", "dir"}, std::nullopt},
        LookupCase{"no case folding", "--snapshot", {"q", "--SNAPSHOT", "dir"}, std::nullopt},
        LookupCase{"program path can match", "q", {"q", "next"}, "next"},
        LookupCase{"value may be empty", "--diagnose", {"q", "--diagnose", ""}, ""}));

} // namespace
} // namespace brindle
