#include "kit-core/KeyCode.hpp"
#include "kit-core/Shortcut.hpp"

#include <gtest/gtest.h>
#include <set>

namespace brindle {
namespace {

constexpr auto command = Shortcut::commandMask;
constexpr auto shift = Shortcut::shiftMask;
constexpr auto option = Shortcut::optionMask;
constexpr auto control = Shortcut::controlMask;

TEST(Shortcut, ModifierMaskUsesTheFourBits)
{
    EXPECT_EQ(Shortcut::modifierMask({}), 0U);
    EXPECT_EQ(Shortcut::modifierMask({.command = true, .shift = true}), 768U);
    EXPECT_EQ(Shortcut::modifierMask({.option = true}), 0x800U);
    EXPECT_EQ(Shortcut::modifierMask({.command = true, .shift = true, .option = true, .control = true}),
              0x1B00U);
}

TEST(Shortcut, IsValidNeedsCommandOptionOrControl)
{
    EXPECT_FALSE(Shortcut::none.isValid());
    EXPECT_FALSE((Shortcut{0, shift}).isValid());
    EXPECT_FALSE((Shortcut{0, 0x400}).isValid()) << "bits other than the three do not count";
    EXPECT_TRUE((Shortcut{0, command}).isValid());
    EXPECT_TRUE((Shortcut{0, option | shift}).isValid());
    EXPECT_TRUE((Shortcut{0, control}).isValid());
}

struct DisplayCase {
    Shortcut shortcut;
    const char* expected;

    friend void PrintTo(const DisplayCase& c, std::ostream* out) { *out << c.expected; }
};

class ShortcutDisplay : public testing::TestWithParam<DisplayCase> {};

TEST_P(ShortcutDisplay, ListsModifiersInFixedOrderThenTheKey)
{
    EXPECT_EQ(GetParam().shortcut.displayString(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ShortcutDisplay,
    testing::Values(DisplayCase{{20, command | shift}, "⇧⌘3"}, DisplayCase{{111, 0x1B00}, "⌃⌥⇧⌘F12"},
                    DisplayCase{{49, command}, "⌘Space"}, DisplayCase{Shortcut::none, "A"},
                    DisplayCase{{0, option | command}, "⌥⌘A"}, DisplayCase{{105, control}, "⌃#105"},
                    DisplayCase{{KeyCode::deleteKey, command}, "⌘⌫"},
                    DisplayCase{{KeyCode::escape, shift}, "⇧⎋"}, DisplayCase{{42, control | option}, "⌃⌥\\"},
                    DisplayCase{{50, 0}, "`"}));

TEST(Shortcut, SymbolsEndWithTheKeyName)
{
    EXPECT_EQ((Shortcut{123, control | command}).symbols(), (std::vector<std::string>{"⌃", "⌘", "←"}));
    EXPECT_EQ((Shortcut{36, 0}).symbols(), std::vector<std::string>{"↩"});
}

TEST(Shortcut, KeyNameTableHas68DistinctLabels)
{
    std::set<std::string> labels;
    int labelled = 0;
    for (std::uint32_t code = 0; code < 256; ++code) {
        const auto name = Shortcut::keyName(code);
        if (name != "#" + std::to_string(code)) {
            ++labelled;
            labels.insert(name);
        }
    }
    EXPECT_EQ(labelled, 68);
    EXPECT_EQ(labels.size(), 68U);
    EXPECT_EQ(Shortcut::keyName(105), "#105");
    EXPECT_EQ(Shortcut::keyName(4294967295U), "#4294967295");
}

TEST(Shortcut, EqualityAndHashCoverBothFields)
{
    EXPECT_EQ((Shortcut{20, 768}), (Shortcut{20, 768}));
    EXPECT_NE((Shortcut{20, 768}), (Shortcut{20, 256}));
    EXPECT_NE((Shortcut{20, 768}), (Shortcut{21, 768}));
    const std::hash<Shortcut> hash;
    EXPECT_NE(hash(Shortcut{20, 768}), hash(Shortcut{768, 20}));
}

} // namespace
} // namespace brindle
