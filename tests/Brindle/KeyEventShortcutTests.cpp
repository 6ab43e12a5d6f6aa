#include "Brindle/KeyEventShortcut.hpp"
#include "kit-core/KeyPosition.hpp"

#include <gtest/gtest.h>

namespace brindle {
namespace {

// X11 key codes of the evdev keymap.
constexpr std::uint32_t xkbAE03 = 12;
constexpr std::uint32_t xkbAC01 = 38;
constexpr std::uint32_t xkbESC = 9;
constexpr std::uint32_t xkbBKSP = 22;
constexpr std::uint32_t xkbSPCE = 65;
constexpr std::uint32_t xkbFK12 = 96;
constexpr std::uint32_t xkbLEFT = 113;
constexpr std::uint32_t xkbLFSH = 50;
constexpr std::uint32_t xkbLWIN = 133;
constexpr std::uint32_t xkbCAPS = 66;

const KeyboardPositions& positions()
{
    static const KeyboardPositions instance = KeyboardPositions::fromDefaultRules();
    return instance;
}

struct EventCase {
    const char* name;
    int key;
    Qt::KeyboardModifiers held;
    std::uint32_t scanCode;
    std::optional<Shortcut> expected;

    friend void PrintTo(const EventCase& c, std::ostream* out) { *out << c.name; }
};

class KeyEventShortcutCase : public testing::TestWithParam<EventCase> {};

TEST_P(KeyEventShortcutCase, UsesThePhysicalKeyAndTheHeldModifiers)
{
    const auto& c = GetParam();
    const QKeyEvent event(QEvent::KeyPress, c.key, c.held, c.scanCode, 0, 0);
    EXPECT_EQ(KeyEventShortcut::shortcut(event, positions()), c.expected) << c.name;
}

constexpr auto command = Shortcut::commandMask;
constexpr auto shift = Shortcut::shiftMask;
constexpr auto option = Shortcut::optionMask;
constexpr auto control = Shortcut::controlMask;

INSTANTIATE_TEST_SUITE_P(
    Cases, KeyEventShortcutCase,
    testing::Values(
        EventCase{"super shift 3", Qt::Key_NumberSign, Qt::MetaModifier | Qt::ShiftModifier, xkbAE03,
                  Shortcut{20, shift | command}},
        EventCase{"3 on a layout that types another character", Qt::Key_QuoteDbl, Qt::MetaModifier, xkbAE03,
                  Shortcut{20, command}},
        EventCase{"alt A", Qt::Key_A, Qt::AltModifier, xkbAC01, Shortcut{0, option}},
        EventCase{"all four with F12", Qt::Key_F12,
                  Qt::MetaModifier | Qt::ShiftModifier | Qt::AltModifier | Qt::ControlModifier, xkbFK12,
                  Shortcut{111, control | option | shift | command}},
        EventCase{"bare escape", Qt::Key_Escape, Qt::NoModifier, xkbESC, Shortcut{53, 0}},
        EventCase{"super backspace", Qt::Key_Backspace, Qt::MetaModifier, xkbBKSP, Shortcut{51, command}},
        EventCase{"control space", Qt::Key_Space, Qt::ControlModifier, xkbSPCE, Shortcut{49, control}},
        EventCase{"keypad and group flags are ignored", Qt::Key_Left,
                  Qt::MetaModifier | Qt::KeypadModifier | Qt::GroupSwitchModifier, xkbLEFT,
                  Shortcut{123, command}},
        EventCase{"shift alone", Qt::Key_Shift, Qt::ShiftModifier, xkbLFSH, std::nullopt},
        EventCase{"super alone", Qt::Key_Super_L, Qt::MetaModifier, xkbLWIN, std::nullopt},
        EventCase{"caps lock key", Qt::Key_CapsLock, Qt::NoModifier, xkbCAPS, std::nullopt},
        EventCase{"no scan code", Qt::Key_A, Qt::MetaModifier, 0, std::nullopt}));

TEST(KeyboardPositions, EveryTablePositionExistsInTheDefaultKeymapAndRoundTrips)
{
    ASSERT_FALSE(positions().isEmpty());
    for (const auto& [keyCode, xkbName] : KeyPosition::all()) {
        const auto native = positions().nativeKeyCode(keyCode);
        ASSERT_TRUE(native.has_value()) << xkbName;
        EXPECT_EQ(positions().virtualKeyCode(*native), keyCode) << xkbName;
    }
}

TEST(KeyboardPositions, KeyCodesDoNotDependOnTheLayout)
{
    const QByteArray previous = qgetenv("XKB_DEFAULT_LAYOUT");
    qputenv("XKB_DEFAULT_LAYOUT", "fr");
    const auto french = KeyboardPositions::fromDefaultRules();
    if (previous.isNull()) {
        qunsetenv("XKB_DEFAULT_LAYOUT");
    } else {
        qputenv("XKB_DEFAULT_LAYOUT", previous);
    }
    ASSERT_FALSE(french.isEmpty());
    for (const auto& entry : KeyPosition::all()) {
        EXPECT_EQ(french.nativeKeyCode(entry.keyCode), positions().nativeKeyCode(entry.keyCode))
            << entry.xkbName;
    }
}

TEST(KeyEventShortcut, ModifierMapping)
{
    EXPECT_EQ(KeyEventShortcut::modifiers(Qt::NoModifier), 0U);
    EXPECT_EQ(KeyEventShortcut::modifiers(Qt::MetaModifier), command);
    EXPECT_EQ(KeyEventShortcut::modifiers(Qt::AltModifier | Qt::ShiftModifier), option | shift);
    EXPECT_EQ(KeyEventShortcut::modifiers(Qt::ControlModifier | Qt::KeypadModifier), control);
}

} // namespace
} // namespace brindle
