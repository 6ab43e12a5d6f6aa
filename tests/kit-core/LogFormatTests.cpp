#include "kit-core/LogFormat.hpp"

#include <gtest/gtest.h>
#include <vector>

namespace brindle {
namespace {

struct RenderCase {
    const char* name;
    const char* format;
    std::vector<LogArgument> arguments;
    const char* expected;
};

class LogFormatRender : public testing::TestWithParam<RenderCase> {};

TEST_P(LogFormatRender, RendersLikeTheUnifiedLog)
{
    const auto& c = GetParam();
    EXPECT_EQ(LogFormat::render(c.format, c.arguments), c.expected) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LogFormatRender,
    testing::Values(
        RenderCase{"public text", "action %{public}s", {std::string("screen")}, "action screen"},
        RenderCase{"numbers and a flag in order",
                   "captured %ldx%ld blank=%{bool}d",
                   {std::int64_t{3840}, std::int64_t{2160}, false},
                   "captured 3840x2160 blank=false"},
        RenderCase{"flag from a number", "preflight=%{bool}d", {std::int64_t{1}}, "preflight=true"},
        RenderCase{"negative number", "saved %ld KB", {std::int64_t{-3}}, "saved -3 KB"},
        RenderCase{"percent sign", "100%% done %d", {std::int64_t{7}}, "100% done 7"},
        RenderCase{"missing argument renders nothing", "failed: %{public}s!", {}, "failed: !"},
        RenderCase{"extra arguments are ignored", "plain", {std::string("x")}, "plain"},
        RenderCase{"unknown placeholder is kept", "%q and %{public}s", {std::string("a")}, "%q and a"},
        RenderCase{"trailing percent", "ends with %", {}, "ends with %"},
        // 2^200, exact in a double, prints as 68 characters.
        RenderCase{"real longer than a small buffer",
                   "%f",
                   {0x1p200},
                   "1606938044258990275541962092341162602522202993782792835301376.000000"},
        RenderCase{"text may hold placeholders itself",
                   "%{public}s %d",
                   {std::string("%d"), std::int64_t{2}},
                   "%d 2"}));

// Text from outside stays on one line, shows what it held, and cannot flood the log.
TEST(LogFormat, OutsideTextIsOneSafeLineOfBoundedLength)
{
    const std::string flood(100'000, 'a');
    const std::pair<std::string, std::string> cases[] = {
        {"screen", "screen"},
        {"x\nforged 12:00 action screen", "x\\x0aforged 12:00 action screen"},
        {"\x1b]0;title\x07", "\\x1b]0;title\\x07"},
        {"back\\slash", "back\\\\slash"},
        {std::string("nul\0in", 6), "nul\\x00in"},
        {flood, std::string(200, 'a') + "... (100000 bytes)"},
        // A cut inside a two-byte character drops the whole character.
        {std::string(199, 'a') + "\xc3\xa9tail", std::string(199, 'a') + "... (205 bytes)"},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(LogFormat::outsideText(text), expected) << text.substr(0, 40);
    }
}

} // namespace
} // namespace brindle
