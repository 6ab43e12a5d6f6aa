#include "core/Prefs.hpp"
#include "core/ShortcutEdit.hpp"
#include "core/ShortcutMap.hpp"
#include "kit-core/InMemoryPreferenceStore.hpp"
#include "kit-core/KeyCode.hpp"

#include <gtest/gtest.h>

namespace quillet {
namespace {

using brindle::Shortcut;

constexpr auto command = Shortcut::commandMask;
constexpr auto shift = Shortcut::shiftMask;
constexpr auto option = Shortcut::optionMask;
constexpr Shortcut shiftCommand3{20, shift | command};
constexpr Shortcut shiftCommand4{21, shift | command};
constexpr Shortcut shiftCommand5{23, shift | command};
constexpr Shortcut optionCommandA{0, option | command};

TEST(CaptureAction, RawValuesRoundTripInCaseOrder)
{
    ASSERT_EQ(allCaptureActions.size(), 3U);
    EXPECT_EQ(allCaptureActions[0], CaptureAction::screen);
    EXPECT_EQ(allCaptureActions[2], CaptureAction::recording);
    for (const auto action : allCaptureActions) {
        EXPECT_EQ(captureActionFromRawValue(rawValue(action)), action);
    }
    EXPECT_EQ(rawValue(CaptureAction::area), "area");
    EXPECT_EQ(captureActionFromRawValue("Screen"), std::nullopt);
    EXPECT_EQ(captureActionFromRawValue(""), std::nullopt);
    EXPECT_EQ(defaultShortcut(CaptureAction::screen).displayString(), "⇧⌘3");
    EXPECT_EQ(defaultShortcut(CaptureAction::area).displayString(), "⇧⌘4");
    EXPECT_EQ(defaultShortcut(CaptureAction::recording).displayString(), "⇧⌘5");
}

TEST(ShortcutMap, EmptyStoredMapYieldsTheDefaults)
{
    const auto map = ShortcutMap::fromStored({});
    EXPECT_EQ(map[CaptureAction::screen], shiftCommand3);
    EXPECT_EQ(map[CaptureAction::area], shiftCommand4);
    EXPECT_EQ(map[CaptureAction::recording], shiftCommand5);
    EXPECT_TRUE(map.usesSystemDefaults());
}

TEST(ShortcutMap, StoredEntriesOverrideTheirActionOnlyAndUnknownKeysAreIgnored)
{
    const auto map = ShortcutMap::fromStored({{"area", optionCommandA}, {"window", Shortcut{1, command}}});
    EXPECT_EQ(map.shortcuts.size(), 3U);
    EXPECT_EQ(map[CaptureAction::screen], shiftCommand3);
    EXPECT_EQ(map[CaptureAction::area], optionCommandA);
    EXPECT_EQ(map[CaptureAction::recording], shiftCommand5);
    EXPECT_TRUE(map.usesSystemDefaults());
    EXPECT_EQ(map.stored(),
              (ShortcutMap::Stored{
                  {"area", optionCommandA}, {"recording", shiftCommand5}, {"screen", shiftCommand3}}));
}

TEST(ShortcutMap, StoredFormRoundTripsIncludingAnActionWithoutShortcut)
{
    auto map = ShortcutMap::fromStored({});
    map.assign(shiftCommand5, CaptureAction::screen);
    EXPECT_EQ(ShortcutMap::fromStored(map.stored()), map);
    EXPECT_EQ(map.stored().at("recording"), Shortcut::none);
}

TEST(ShortcutMap, SubscriptOfAMissingActionIsNone)
{
    EXPECT_EQ(ShortcutMap{}[CaptureAction::area], Shortcut::none);
    EXPECT_FALSE(ShortcutMap{}.usesSystemDefaults());
}

TEST(ShortcutMap, AssigningATakenShortcutMovesIt)
{
    auto map = ShortcutMap::fromStored({});
    map.assign(shiftCommand4, CaptureAction::screen);
    EXPECT_EQ(map[CaptureAction::screen], shiftCommand4);
    EXPECT_EQ(map[CaptureAction::area], Shortcut::none);
    EXPECT_TRUE(map.usesSystemDefaults()) << "recording still has ⇧⌘5; ⇧⌘4 on screen does not count";

    map.assign(optionCommandA, CaptureAction::recording);
    EXPECT_FALSE(map.usesSystemDefaults());
}

TEST(ShortcutMap, AssigningAnActionItsOwnShortcutChangesNothing)
{
    const auto before = ShortcutMap::fromStored({{"area", optionCommandA}});
    auto map = before;
    map.assign(optionCommandA, CaptureAction::area);
    EXPECT_EQ(map, before);
}

TEST(ShortcutMap, AssignComparesBothFields)
{
    auto map = ShortcutMap::fromStored({});
    map.assign(Shortcut{21, command}, CaptureAction::screen);
    EXPECT_EQ(map[CaptureAction::area], shiftCommand4) << "same key, other modifiers";
    map.assign(Shortcut{22, shift | command}, CaptureAction::screen);
    EXPECT_EQ(map[CaptureAction::area], shiftCommand4) << "same modifiers, other key";
}

TEST(ShortcutMap, OneCorruptStoredEntryFallsBackToItsDefaultOnly)
{
    using Dictionary = brindle::PropertyList::Dictionary;
    brindle::InMemoryPreferenceStore store(
        Dictionary{{"shortcuts", Dictionary{{"screen", Dictionary{{"keyCode", 0}, {"modifiers", 2304}}},
                                            {"area", "⌥⌘4"}}}});
    const auto map = ShortcutMap::fromStored(store.read(Prefs::shortcuts));
    EXPECT_EQ(map[CaptureAction::screen], optionCommandA);
    EXPECT_EQ(map[CaptureAction::area], shiftCommand4);
    EXPECT_EQ(map[CaptureAction::recording], shiftCommand5);
}

struct TypedCase {
    const char* name;
    Shortcut typed;
    CaptureAction action;
    ShortcutEdit expected;

    friend void PrintTo(const TypedCase& c, std::ostream* out) { *out << c.name; }
};

class ShortcutEditTyped : public testing::TestWithParam<TypedCase> {};

TEST_P(ShortcutEditTyped, ClassifiesTheTypedKey)
{
    const auto& c = GetParam();
    EXPECT_EQ(ShortcutEdit::typed(c.typed, c.action), c.expected) << c.name;
}

using brindle::KeyCode::deleteKey;
using brindle::KeyCode::escape;

INSTANTIATE_TEST_SUITE_P(
    Cases, ShortcutEditTyped,
    testing::Values(TypedCase{"shift A", {0, shift}, CaptureAction::area, ShortcutEdit::reject()},
                    TypedCase{"option A", {0, option}, CaptureAction::area, ShortcutEdit::set({0, option})},
                    TypedCase{"bare F5", {96, 0}, CaptureAction::screen, ShortcutEdit::reject()},
                    TypedCase{"bare Delete restores",
                              {deleteKey, 0},
                              CaptureAction::recording,
                              ShortcutEdit::set(shiftCommand5)},
                    TypedCase{"bare Escape", {escape, 0}, CaptureAction::screen, ShortcutEdit::cancel()},
                    TypedCase{"command Delete",
                              {deleteKey, command},
                              CaptureAction::area,
                              ShortcutEdit::set({deleteKey, command})},
                    TypedCase{"shift Escape", {escape, shift}, CaptureAction::area, ShortcutEdit::reject()},
                    TypedCase{"control F12",
                              {111, Shortcut::controlMask},
                              CaptureAction::area,
                              ShortcutEdit::set({111, Shortcut::controlMask})},
                    TypedCase{"unlabelled key with command",
                              {105, command},
                              CaptureAction::area,
                              ShortcutEdit::set({105, command})}));

TEST(ShortcutEdit, EqualityLooksAtTheShortcutOfSetOnly)
{
    EXPECT_NE(ShortcutEdit::set(shiftCommand3), ShortcutEdit::set(shiftCommand4));
    EXPECT_NE(ShortcutEdit::cancel(), ShortcutEdit::reject());
    EXPECT_NE(ShortcutEdit::set(Shortcut::none), ShortcutEdit::reject());
}

TEST(Prefs, FreshStoreYieldsEveryDefault)
{
    const brindle::InMemoryPreferenceStore store;
    EXPECT_EQ(store.read(Prefs::shortcuts), ShortcutMap::Stored{});
    EXPECT_TRUE(store.read(Prefs::enabled));
    EXPECT_FALSE(store.read(Prefs::recordMicrophone));
    EXPECT_TRUE(store.read(Prefs::showClicks));
    EXPECT_EQ(store.read(Prefs::microphoneID), std::nullopt);
    EXPECT_EQ(store.read(Prefs::filePrefix), "");
    EXPECT_EQ(store.read(Prefs::nextNumber), 1);
    EXPECT_EQ(store.read(Prefs::folder), std::nullopt);
}

} // namespace
} // namespace quillet
