#include "core/DesktopKeyBindings.hpp"
#include "core/SystemScreenshotShortcuts.hpp"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace quillet {
namespace {

using brindle::Shortcut;

constexpr auto shiftCommand = Shortcut::modifierMask({.command = true, .shift = true});

TEST(DesktopKeyBindings, PrintedValuesGiveTheirAccelerators)
{
    struct Case {
        const char* printed;
        std::vector<std::string> accelerators;
    };
    const Case cases[] = {
        {"['<Shift><Super>3', 'Print']", {"<Shift><Super>3", "Print"}},
        {"'<Alt>F4'", {"<Alt>F4"}},
        {"@as []", {}},
        {"[]", {}},
        {"[\"<Super>'\", '<Super>\\\\']", {"<Super>'", "<Super>\\"}},
        {"true", {}},
        {"uint32 500", {}},
        {"['unterminated", {}},
    };
    for (const auto& testCase : cases) {
        EXPECT_EQ(DesktopKeyBindings::accelerators(testCase.printed), testCase.accelerators)
            << testCase.printed;
    }
}

TEST(DesktopKeyBindings, AcceleratorsBecomeShortcutsOnThePhysicalKey)
{
    struct Case {
        const char* accelerator;
        std::optional<Shortcut> shortcut;
    };
    const Case cases[] = {
        {"<Shift><Super>3", Shortcut{20, shiftCommand}},
        {"<Super><Shift>4", Shortcut{21, shiftCommand}},
        {"<shift><mod4>5", Shortcut{23, shiftCommand}},
        {"<Super>numbersign", Shortcut{20, shiftCommand}},
        {"<Super>percent", Shortcut{23, shiftCommand}},
        {"<Primary><Alt>t", Shortcut{17, Shortcut::controlMask | Shortcut::optionMask}},
        {"<Ctrl>F12", Shortcut{111, Shortcut::controlMask}},
        {"<Control>space", Shortcut{49, Shortcut::controlMask}},
        {"Print", std::nullopt},
        {"<Hyper>3", std::nullopt},
        {"disabled", std::nullopt},
        {"<Super", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& testCase : cases) {
        EXPECT_EQ(DesktopKeyBindings::shortcut(testCase.accelerator), testCase.shortcut)
            << testCase.accelerator;
    }
}

TEST(DesktopKeyBindings, AListingGivesEveryBoundCombination)
{
    const std::string listing =
        "org.gnome.shell.keybindings screenshot ['<Shift>Print']\n"
        "org.gnome.shell.keybindings show-screenshot-ui ['Print', '<Shift><Super>4']\n"
        "org.gnome.shell.keybindings switch-to-application-1 ['<Super>1']\n"
        "org.gnome.shell.keybindings focus-active-notification @as []\n"
        "org.gnome.settings-daemon.plugins.media-keys volume-step 6\n"
        "org.gnome.settings-daemon.plugins.media-keys area-screenshot '<Super>percent'";
    EXPECT_EQ(DesktopKeyBindings::boundShortcuts(listing),
              (std::vector<Shortcut>{{21, shiftCommand}, {18, Shortcut::commandMask}, {23, shiftCommand}}));
    EXPECT_TRUE(DesktopKeyBindings::boundShortcuts("No such schema “org.gnome.shell.keybindings”\n").empty());
}

TEST(DesktopKeyBindings, ScreenshotEntriesAreOnExactlyWhenTheDesktopBindsTheirDefault)
{
    EXPECT_FALSE(SystemScreenshotShortcuts::anyEnabled(DesktopKeyBindings::symbolicHotKeys({})));
    EXPECT_FALSE(SystemScreenshotShortcuts::anyEnabled(DesktopKeyBindings::symbolicHotKeys(
        {{20, Shortcut::commandMask}, {21, shiftCommand | Shortcut::controlMask}})));

    const auto table = DesktopKeyBindings::symbolicHotKeys({{23, shiftCommand}});
    EXPECT_TRUE(SystemScreenshotShortcuts::anyEnabled(table));
    EXPECT_EQ(table.at("184"), (brindle::PropertyList::Dictionary{{"enabled", true}}));
    EXPECT_EQ(table.at("28"), (brindle::PropertyList::Dictionary{{"enabled", false}}));
    EXPECT_EQ(table.at("30"), (brindle::PropertyList::Dictionary{{"enabled", false}}));
}

} // namespace
} // namespace quillet
