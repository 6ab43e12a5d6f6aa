#include "Brindle/HotKeyCenter.hpp"
#include "Brindle/KeyboardPositions.hpp"
#include "Brindle/XcbHotKeys.hpp"
#include "Brindle/XcbLockMasks.hpp"

#include "tests/support/OtherXClient.hpp"
#include "tests/support/WaitFor.hpp"

#include <QGuiApplication>
#include <QLineEdit>
#include <QProcess>
#include <QtGui/qguiapplication_platform.h>

#include <gtest/gtest.h>
#include <map>
#include <vector>

namespace brindle {
namespace {

using namespace std::chrono_literals;
using quillet::testing::runEventLoop;
using quillet::testing::waitFor;

enum class Action { screen, area, recording };

constexpr auto shiftCommand = Shortcut::modifierMask({.command = true, .shift = true});
constexpr std::uint16_t superShift = 0x41; // Mod4 | Shift
constexpr std::uint32_t virtualThree = 20;
constexpr std::uint32_t virtualFour = 21;
constexpr std::uint32_t virtualFive = 23;

const std::map<Action, Shortcut> defaults{{Action::screen, {virtualThree, shiftCommand}},
                                          {Action::area, {virtualFour, shiftCommand}},
                                          {Action::recording, {virtualFive, shiftCommand}}};

void xdotool(const QStringList& arguments)
{
    QProcess process;
    process.start("xdotool", arguments);
    ASSERT_TRUE(process.waitForFinished(10'000));
    ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
}

void xmodmap(const QString& expression)
{
    QProcess process;
    process.start("xmodmap", {"-e", expression});
    ASSERT_TRUE(process.waitForFinished(10'000));
    ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
}

std::uint8_t xKeyCode(std::uint32_t virtualKeyCode)
{
    return static_cast<std::uint8_t>(KeyboardPositions::current().nativeKeyCode(virtualKeyCode).value_or(0));
}

std::vector<std::uint16_t> everyLockVariant(std::uint16_t modifiers)
{
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    std::vector<std::uint16_t> states;
    for (const std::uint16_t lock : XcbLockMasks::read(x11->connection()).variants()) {
        states.push_back(modifiers | lock);
    }
    return states;
}

class HotKeysOnX11 : public ::testing::Test {
protected:
    void SetUp() override
    {
        center.setOnPress([this](const Action& action) { pressed.push_back(action); });
    }

    // Waits until `count` presses arrived, then a little longer to see that no more follow.
    void expectPresses(const std::vector<Action>& expected)
    {
        EXPECT_TRUE(waitFor([&] { return pressed.size() >= expected.size(); }, 5s));
        runEventLoop(300ms);
        EXPECT_EQ(pressed, expected);
    }

    HotKeyDispatcher dispatcher{std::make_unique<XcbHotKeys>()};
    HotKeyCenter<Action> center{dispatcher};
    std::vector<Action> pressed;
};

TEST_F(HotKeysOnX11, ACombinationAnotherClientHoldsFailsWhileTheOthersFire)
{
    quillet::testing::OtherXClient other;
    ASSERT_TRUE(other.isConnected());
    const std::uint8_t four = xKeyCode(virtualFour);
    ASSERT_TRUE(other.grab(four, superShift)) << "only the plain state; the lock variants stay free";

    center.registerShortcuts(defaults);
    EXPECT_EQ(center.failed(), (std::unordered_set<Action>{Action::area}));
    EXPECT_TRUE(center.isRegistered());
    std::vector<std::uint16_t> lockedStates = everyLockVariant(superShift);
    lockedStates.erase(lockedStates.begin());
    EXPECT_EQ(other.grabbable(four, lockedStates), static_cast<int>(lockedStates.size()))
        << "the lock variants we did get were given back with the refusal";

    xdotool({"key", "super+shift+5", "super+shift+3", "super+shift+4"});
    expectPresses({Action::recording, Action::screen});
}

TEST_F(HotKeysOnX11, FiresWithNumLockOn)
{
    center.registerShortcuts(defaults);
    ASSERT_TRUE(center.failed().empty());
    xdotool({"key", "Num_Lock"});
    xdotool({"key", "super+shift+3"});
    xdotool({"key", "Num_Lock"});
    expectPresses({Action::screen});
}

TEST_F(HotKeysOnX11, AHeldCombinationFiresOnce)
{
    center.registerShortcuts(defaults);
    xdotool({"keydown", "super+shift+5"});
    runEventLoop(1500ms); // auto-repeat starts after 660 ms and repeats 25 times a second
    xdotool({"keyup", "5", "shift", "super"});
    expectPresses({Action::recording});

    xdotool({"key", "super+shift+5"});
    expectPresses({Action::recording, Action::recording});
}

TEST_F(HotKeysOnX11, AfterUnregisterAnotherClientCanGrabEveryVariant)
{
    quillet::testing::OtherXClient other;
    const std::uint8_t three = xKeyCode(virtualThree);
    const auto states = everyLockVariant(superShift);
    center.registerShortcuts(defaults);
    center.registerShortcuts(defaults);
    ASSERT_TRUE(center.failed().empty()) << "registering again replaces, it does not collide with itself";
    EXPECT_EQ(other.grabbable(three, states), 0);

    center.unregister();
    // The release travels on the program's own connection, so the other client may see it a moment later.
    const int everyVariant = static_cast<int>(states.size());
    EXPECT_TRUE(waitFor([&] { return other.grabbable(three, states) == everyVariant; }, 5s));
}

TEST_F(HotKeysOnX11, GrabsAreRedoneWhenTheKeyboardMappingChanges)
{
    center.registerShortcuts(defaults);
    // Num Lock moves from Mod2 to Mod3: only a regrab with the new lock bits keeps the key working.
    xmodmap("remove mod2 = Num_Lock");
    xmodmap("add mod3 = Num_Lock");
    runEventLoop(300ms);
    xdotool({"key", "Num_Lock"});
    xdotool({"key", "super+shift+4"});
    xdotool({"key", "Num_Lock"});
    xmodmap("remove mod3 = Num_Lock");
    xmodmap("add mod2 = Num_Lock");
    expectPresses({Action::area});
}

TEST_F(HotKeysOnX11, AKeyLostInAKeyboardChangeIsFailedUntilItComesBack)
{
    constexpr std::uint16_t mod3 = 0x20;
    quillet::testing::OtherXClient other;
    ASSERT_TRUE(other.grab(xKeyCode(virtualFour), superShift | mod3)) << "free while Num Lock is Mod2";
    int changes = 0;
    center.setOnFailedChange([&] { ++changes; });
    center.registerShortcuts(defaults);
    ASSERT_TRUE(center.failed().empty());

    // With Num Lock on Mod3 the regrab needs the variant the other client holds.
    xmodmap("remove mod2 = Num_Lock");
    xmodmap("add mod3 = Num_Lock");
    EXPECT_TRUE(waitFor([&] { return changes == 1; }, 5s));
    EXPECT_EQ(center.failed(), (std::unordered_set<Action>{Action::area}));

    xmodmap("remove mod3 = Num_Lock");
    xmodmap("add mod2 = Num_Lock");
    EXPECT_TRUE(waitFor([&] { return changes == 2; }, 5s));
    EXPECT_TRUE(center.failed().empty());
    xdotool({"key", "super+shift+4"});
    expectPresses({Action::area});
}

TEST_F(HotKeysOnX11, KeysThatAreNotOursReachTheFocusedWindow)
{
    center.registerShortcuts(defaults);
    QLineEdit field;
    field.show();
    field.activateWindow();
    field.setFocus();
    ASSERT_TRUE(waitFor([&] { return field.isActiveWindow(); }));
    xdotool({"type", "--delay", "20", "ab3"});
    xdotool({"key", "shift+4"});
    EXPECT_TRUE(waitFor([&] { return field.text() == "ab3$"; }, 5s)) << field.text().toStdString();
    EXPECT_TRUE(pressed.empty());
}

TEST_F(HotKeysOnX11, OneProcessCannotHoldACombinationTwice)
{
    HotKeyCenter<int> second(dispatcher);
    center.registerShortcuts(defaults);
    second.registerShortcuts(std::map<int, Shortcut>{{7, defaults.at(Action::screen)}});
    EXPECT_EQ(second.failed(), (std::unordered_set<int>{7}));
    xdotool({"key", "super+shift+3"});
    expectPresses({Action::screen});
}

} // namespace
} // namespace brindle
