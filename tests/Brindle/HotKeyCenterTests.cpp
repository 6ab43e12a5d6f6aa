#include "Brindle/HotKeyCenter.hpp"

#include "tests/support/LogCapture.hpp"

#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace brindle {
namespace {

constexpr auto shiftCommand = Shortcut::modifierMask({.command = true, .shift = true});
const Shortcut three{20, shiftCommand};
const Shortcut four{21, shiftCommand};
const Shortcut five{23, shiftCommand};

// The desktop's side: remembers what is held, refuses the combinations another program holds, and
// lets a test press a combination.
class FakeHotKeySystem final : public HotKeySystem {
public:
    struct State {
        HotKeySystem::Press press;
        std::set<std::pair<std::uint32_t, std::uint32_t>> takenElsewhere;
        std::map<std::uint32_t, Shortcut> held;
        int installs = 0;
        bool canInstall = true;
    };

    explicit FakeHotKeySystem(std::shared_ptr<State> state) : state_(std::move(state)) {}

    bool install(Press press) override
    {
        ++state_->installs;
        if (state_->canInstall) {
            state_->press = std::move(press);
        }
        return state_->canInstall;
    }
    bool grab(std::uint32_t number, Shortcut shortcut) override
    {
        if (!state_->canInstall || state_->takenElsewhere.contains({shortcut.keyCode, shortcut.modifiers})) {
            return false;
        }
        state_->held[number] = shortcut;
        return true;
    }
    void ungrab(std::uint32_t number) override { state_->held.erase(number); }

private:
    std::shared_ptr<State> state_;
};

enum class Action { screen, area, recording };

class HotKeyCenterTest : public ::testing::Test {
protected:
    // Presses a combination the way the desktop reports it: by the number it is held under.
    void press(Shortcut shortcut)
    {
        std::vector<std::uint32_t> numbers;
        for (const auto& [number, held] : system->held) {
            if (held == shortcut) {
                numbers.push_back(number);
            }
        }
        for (const std::uint32_t number : numbers) {
            system->press(number);
        }
    }

    quillet::testing::LogCapture log_;
    std::shared_ptr<FakeHotKeySystem::State> system = std::make_shared<FakeHotKeySystem::State>();
    HotKeyDispatcher dispatcher{std::make_unique<FakeHotKeySystem>(system)};
    std::map<Action, Shortcut> defaults{
        {Action::screen, three}, {Action::area, four}, {Action::recording, five}};
};

TEST_F(HotKeyCenterTest, NumbersStartAtOneAndAreNeverReused)
{
    HotKeyCenter<Action> center(dispatcher);
    center.registerShortcuts(defaults);
    std::set<std::uint32_t> first;
    for (const auto& entry : center.ids()) {
        first.insert(entry.second);
    }
    EXPECT_EQ(first, (std::set<std::uint32_t>{1, 2, 3}));

    center.registerShortcuts(defaults);
    std::set<std::uint32_t> second;
    for (const auto& entry : center.ids()) {
        second.insert(entry.second);
    }
    EXPECT_EQ(second, (std::set<std::uint32_t>{4, 5, 6}));
    EXPECT_EQ(system->held.size(), 3U) << "the first set is given back before the second is taken";
}

TEST_F(HotKeyCenterTest, ShortcutsWithoutCommandOptionOrControlAreSkippedNotFailed)
{
    HotKeyCenter<Action> center(dispatcher);
    center.registerShortcuts(std::map<Action, Shortcut>{{Action::screen, Shortcut::none},
                                                        {Action::area, {21, Shortcut::shiftMask}},
                                                        {Action::recording, five}});
    EXPECT_TRUE(center.failed().empty());
    ASSERT_EQ(center.ids().size(), 1U);
    EXPECT_TRUE(center.ids().contains(Action::recording));
    EXPECT_EQ(dispatcher.nextNumber(), 2U) << "skipped shortcuts spend no number";

    center.registerShortcuts(std::map<Action, Shortcut>{{Action::screen, Shortcut::none}});
    EXPECT_FALSE(center.isRegistered());
    EXPECT_TRUE(center.failed().empty());
    EXPECT_TRUE(system->held.empty());
}

TEST_F(HotKeyCenterTest, ARefusedShortcutFailsWhileTheOthersFire)
{
    system->takenElsewhere.insert({four.keyCode, four.modifiers});
    HotKeyCenter<Action> center(dispatcher);
    std::vector<Action> pressed;
    center.setOnPress([&pressed](const Action& action) { pressed.push_back(action); });
    center.registerShortcuts(defaults);

    EXPECT_EQ(center.failed(), (std::unordered_set<Action>{Action::area}));
    EXPECT_TRUE(center.isRegistered());
    EXPECT_FALSE(center.ids().contains(Action::area));
    EXPECT_EQ(dispatcher.nextNumber(), 4U) << "the refused registration spent its number";

    press(five);
    press(three);
    press(four);
    EXPECT_EQ(pressed, (std::vector<Action>{Action::recording, Action::screen}));
}

TEST_F(HotKeyCenterTest, ARefusalIsLoggedOnceWithItsCombinationUntilItIsGrantedAgain)
{
    const auto refusals = [&log = log_] {
        std::vector<QString> errors;
        for (const auto& message : log.messages()) {
            if (message.type == QtWarningMsg && message.text.contains("refused")) {
                errors.push_back(message.text);
            }
        }
        return errors;
    };
    system->takenElsewhere.insert({four.keyCode, four.modifiers});
    HotKeyCenter<Action> center(dispatcher);
    center.registerShortcuts(defaults);
    center.registerShortcuts(defaults);
    ASSERT_EQ(refusals().size(), 1U);
    EXPECT_TRUE(refusals()[0].contains(QString::fromStdString(four.displayString())))
        << refusals()[0].toStdString();

    system->takenElsewhere.clear();
    center.registerShortcuts(defaults);
    system->takenElsewhere.insert({four.keyCode, four.modifiers});
    center.registerShortcuts(defaults);
    EXPECT_EQ(refusals().size(), 2U) << "taken again after it was ours: said again";
}

TEST_F(HotKeyCenterTest, UnregisterGivesEverythingBackAndEmptiesFailed)
{
    system->takenElsewhere.insert({three.keyCode, three.modifiers});
    HotKeyCenter<Action> center(dispatcher);
    center.registerShortcuts(defaults);
    ASSERT_EQ(center.failed().size(), 1U);

    center.unregister();
    EXPECT_TRUE(center.failed().empty());
    EXPECT_TRUE(center.ids().empty());
    EXPECT_FALSE(center.isRegistered());
    EXPECT_TRUE(system->held.empty());
}

TEST_F(HotKeyCenterTest, ACombinationThisProcessHoldsIsRefusedToASecondCenter)
{
    HotKeyCenter<Action> first(dispatcher);
    HotKeyCenter<std::string> second(dispatcher);
    first.registerShortcuts(std::map<Action, Shortcut>{{Action::screen, three}});
    second.registerShortcuts(std::map<std::string, Shortcut>{{"mine", three}, {"free", four}});
    EXPECT_EQ(second.failed(), (std::unordered_set<std::string>{"mine"}));
    EXPECT_TRUE(second.ids().contains("free"));

    first.unregister();
    second.registerShortcuts(std::map<std::string, Shortcut>{{"mine", three}});
    EXPECT_TRUE(second.failed().empty()) << "free again once its holder let go";
}

TEST_F(HotKeyCenterTest, APressAfterTheCenterIsGoneDoesNothing)
{
    int presses = 0;
    std::uint32_t number = 0;
    {
        HotKeyCenter<Action> center(dispatcher);
        center.setOnPress([&presses](const Action&) { ++presses; });
        center.registerShortcuts(std::map<Action, Shortcut>{{Action::screen, three}});
        number = center.ids().at(Action::screen);
        system->press(number);
        ASSERT_EQ(presses, 1);
    }
    EXPECT_TRUE(system->held.empty()) << "a released centre gives its keys back";
    system->press(number);
    dispatcher.fire(number);
    EXPECT_EQ(presses, 1);
}

TEST_F(HotKeyCenterTest, AnActionMayUnregisterItsOwnCenterWhileItRuns)
{
    HotKeyCenter<Action> center(dispatcher);
    int presses = 0;
    center.setOnPress([&](const Action&) {
        ++presses;
        center.unregister();
        center.registerShortcuts(std::map<Action, Shortcut>{{Action::area, four}});
    });
    center.registerShortcuts(std::map<Action, Shortcut>{{Action::screen, three}});
    press(three);
    EXPECT_EQ(presses, 1);
    EXPECT_TRUE(center.ids().contains(Action::area));
}

TEST_F(HotKeyCenterTest, WithoutGlobalHotKeysEveryValidShortcutFailsAndInstallingIsRetried)
{
    system->canInstall = false;
    HotKeyCenter<Action> center(dispatcher);
    auto shortcuts = defaults;
    shortcuts[Action::area] = Shortcut::none;
    center.registerShortcuts(shortcuts);
    EXPECT_EQ(center.failed(), (std::unordered_set<Action>{Action::screen, Action::recording}));
    EXPECT_FALSE(center.isRegistered());
    EXPECT_FALSE(dispatcher.isHandlerInstalled());

    system->canInstall = true;
    center.registerShortcuts(defaults);
    EXPECT_TRUE(dispatcher.isHandlerInstalled());
    EXPECT_TRUE(center.failed().empty());
    const int installs = system->installs;
    center.registerShortcuts(defaults);
    EXPECT_EQ(system->installs, installs) << "installed once it worked, not again";
}

TEST_F(HotKeyCenterTest, NumbersWithoutAnEntryAreIgnored)
{
    HotKeyCenter<Action> center(dispatcher);
    int presses = 0;
    center.setOnPress([&presses](const Action&) { ++presses; });
    center.registerShortcuts(defaults);
    dispatcher.fire(0);
    dispatcher.fire(99);
    dispatcher.remove(99);
    EXPECT_EQ(presses, 0);
    EXPECT_EQ(system->held.size(), 3U);
}

} // namespace
} // namespace brindle
