#include "Brindle/HotKeyCenter.hpp"
#include "Brindle/XcbHotKeys.hpp"

#include <gtest/gtest.h>
#include <map>

namespace brindle {
namespace {

TEST(XcbHotKeys, ShortcutModifiersBecomeSuperShiftAltAndControl)
{
    struct Case {
        Shortcut::ModifierKeys keys;
        std::uint16_t x;
    };
    const Case cases[] = {
        {{.command = true}, 0x40},
        {{.shift = true}, 0x01},
        {{.option = true}, 0x08},
        {{.control = true}, 0x04},
        {{.command = true, .shift = true, .option = true, .control = true}, 0x4d},
        {{}, 0},
    };
    for (const auto& testCase : cases) {
        EXPECT_EQ(XcbHotKeys::xModifiers(Shortcut::modifierMask(testCase.keys)), testCase.x);
    }
}

TEST(XcbHotKeys, WithoutAnXServerEveryValidShortcutFailsQuietly)
{
    HotKeyDispatcher dispatcher(std::make_unique<XcbHotKeys>());
    HotKeyCenter<int> center(dispatcher);
    const auto command = Shortcut::modifierMask({.command = true});
    center.registerShortcuts(
        std::map<int, Shortcut>{{1, {20, command}}, {2, Shortcut::none}, {3, {21, command}}});
    EXPECT_EQ(center.failed(), (std::unordered_set<int>{1, 3}));
    EXPECT_FALSE(center.isRegistered());
    EXPECT_FALSE(dispatcher.isHandlerInstalled());
    center.unregister();
    EXPECT_TRUE(center.failed().empty());
}

} // namespace
} // namespace brindle
