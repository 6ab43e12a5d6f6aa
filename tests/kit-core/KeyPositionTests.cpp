#include "kit-core/KeyCode.hpp"
#include "kit-core/KeyPosition.hpp"
#include "kit-core/Shortcut.hpp"

#include <gtest/gtest.h>
#include <set>

namespace brindle {
namespace {

TEST(KeyPosition, EveryLabelledKeyHasAPosition)
{
    int labelled = 0;
    for (std::uint32_t code = 0; code < 256; ++code) {
        if (Shortcut::keyName(code) == "#" + std::to_string(code)) {
            continue;
        }
        ++labelled;
        EXPECT_TRUE(KeyPosition::xkbName(code).has_value()) << Shortcut::keyName(code);
    }
    EXPECT_EQ(labelled, 68);
}

TEST(KeyPosition, TableIsOneToOneAndRoundTrips)
{
    std::set<std::uint32_t> codes;
    std::set<std::string_view> names;
    for (const auto& [code, name] : KeyPosition::all()) {
        EXPECT_TRUE(codes.insert(code).second) << "key code " << code << " twice";
        EXPECT_TRUE(names.insert(name).second) << name << " twice";
        EXPECT_EQ(KeyPosition::keyCode(name), code);
        EXPECT_EQ(KeyPosition::xkbName(code), name);
    }
}

struct PositionCase {
    std::uint32_t keyCode;
    const char* xkbName;

    friend void PrintTo(const PositionCase& c, std::ostream* out) { *out << c.keyCode << " " << c.xkbName; }
};

class KnownPosition : public testing::TestWithParam<PositionCase> {};

TEST_P(KnownPosition, MatchesThePhysicalKey)
{
    EXPECT_EQ(KeyPosition::xkbName(GetParam().keyCode), GetParam().xkbName);
}

INSTANTIATE_TEST_SUITE_P(Cases, KnownPosition,
                         testing::Values(PositionCase{0, "AC01"}, PositionCase{20, "AE03"},
                                         PositionCase{21, "AE04"}, PositionCase{23, "AE05"},
                                         PositionCase{12, "AD01"}, PositionCase{6, "AB01"},
                                         PositionCase{36, "RTRN"}, PositionCase{KeyCode::escape, "ESC"},
                                         PositionCase{KeyCode::deleteKey, "BKSP"}, PositionCase{49, "SPCE"},
                                         PositionCase{48, "TAB"}, PositionCase{122, "FK01"},
                                         PositionCase{111, "FK12"}, PositionCase{KeyCode::leftArrow, "LEFT"},
                                         PositionCase{KeyCode::upArrow, "UP"}, PositionCase{50, "TLDE"},
                                         PositionCase{42, "BKSL"}, PositionCase{27, "AE11"}));

TEST(KeyPosition, ModifierKeysAndUnknownNamesHaveNoEntry)
{
    for (const char* name :
         {"LFSH", "RTSH", "LCTL", "RCTL", "LALT", "RALT", "LWIN", "RWIN", "CAPS", "AC12", ""}) {
        EXPECT_EQ(KeyPosition::keyCode(name), std::nullopt) << name;
    }
    for (std::uint32_t modifierKey : {54U, 55U, 56U, 57U, 58U, 59U, 60U, 61U, 62U, 63U}) {
        EXPECT_EQ(KeyPosition::xkbName(modifierKey), std::nullopt) << modifierKey;
    }
}

} // namespace
} // namespace brindle
