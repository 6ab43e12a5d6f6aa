#include "kit-core/InMemoryPreferenceStore.hpp"
#include "kit-core/Shortcut.hpp"

#include <gtest/gtest.h>

namespace brindle {

enum class Naming { date, number };

template <> struct RawValueCases<Naming> {
    static constexpr std::array cases{std::pair{Naming::date, std::string_view("date")},
                                      std::pair{Naming::number, std::string_view("number")}};
};

namespace {

using Dictionary = PropertyList::Dictionary;
using Shortcuts = std::map<std::string, Shortcut>;

// Reads `preference` from a store holding `stored` under its key.
template <class T> T readStored(const Preference<T>& preference, PropertyList stored)
{
    InMemoryPreferenceStore store(Dictionary{{preference.key, std::move(stored)}});
    return store.read(preference);
}

TEST(PreferenceRead, PrimitivesReadOnlyTheirOwnKindAndOtherwiseFallBack)
{
    const Preference<bool> enabled("enabled", true);
    const Preference<std::int64_t> nextNumber("nextNumber", 1);
    const Preference<double> since("since", 0.5);
    const Preference<std::string> prefix("filePrefix", "x");
    const Preference<Bytes> blob("blob", Bytes{1});

    EXPECT_FALSE(readStored(enabled, false));
    EXPECT_TRUE(readStored(enabled, "false")) << "a string where a boolean belongs";
    EXPECT_TRUE(readStored(enabled, 0)) << "an integer where a boolean belongs";

    EXPECT_EQ(readStored(nextNumber, -7), -7);
    EXPECT_EQ(readStored(nextNumber, 7.0), 1) << "a double is not an integer";
    EXPECT_EQ(readStored(nextNumber, "7"), 1) << "a number-like string is not an integer";
    EXPECT_EQ(readStored(nextNumber, true), 1);

    EXPECT_EQ(readStored(since, 1.7e9), 1.7e9);
    EXPECT_EQ(readStored(since, 3), 0.5) << "an integer is not a double";

    EXPECT_EQ(readStored(prefix, ""), "");
    EXPECT_EQ(readStored(prefix, Bytes{'a'}), "x");

    EXPECT_EQ(readStored(blob, Bytes{}), Bytes{});
    EXPECT_EQ(readStored(blob, Dictionary{}), Bytes{1});
}

TEST(PreferenceRead, AbsentKeyYieldsTheDefault)
{
    InMemoryPreferenceStore store;
    EXPECT_EQ(store.read(Preference<std::int64_t>("nextNumber", 1)), 1);
    EXPECT_EQ(store.read(Preference<std::optional<std::string>>("microphoneID", std::nullopt)), std::nullopt);
    EXPECT_TRUE(store.values().empty()) << "reading never writes";
}

TEST(PreferenceRead, OptionalOfTheWrongKindFallsBackToTheDefaultNotToAnEmptyValue)
{
    const Preference<std::optional<std::string>> microphone("microphoneID", std::nullopt);
    EXPECT_EQ(readStored(microphone, "usb-mic"), std::optional<std::string>("usb-mic"));
    EXPECT_EQ(readStored(microphone, ""), std::optional<std::string>(""));
    EXPECT_EQ(readStored(microphone, 12), std::nullopt);

    const Preference<std::optional<double>> since("since", 4.0);
    EXPECT_EQ(readStored(since, "now"), std::optional<double>(4.0));
}

TEST(PreferenceRead, BadStoredValueStaysUntilTheNextWrite)
{
    const Preference<bool> enabled("enabled", true);
    InMemoryPreferenceStore store(Dictionary{{"enabled", "yes"}});
    EXPECT_TRUE(store.read(enabled));
    EXPECT_EQ(store.object("enabled"), PropertyList("yes"));

    store.write(enabled, false);
    EXPECT_EQ(store.object("enabled"), PropertyList(false));
}

TEST(PreferenceRead, EnumerationsNeedTheExactRawValue)
{
    const Preference<Naming> naming("fileNaming", Naming::date);
    EXPECT_EQ(readStored(naming, "number"), Naming::number);
    EXPECT_EQ(readStored(naming, "Number"), Naming::date);
    EXPECT_EQ(readStored(naming, " number"), Naming::date);
    EXPECT_EQ(readStored(naming, 1), Naming::date);

    InMemoryPreferenceStore store;
    store.write(naming, Naming::number);
    EXPECT_EQ(store.object("fileNaming"), PropertyList("number"));
}

TEST(PreferenceRead, DictionaryKeepsOnlyItsReadableEntries)
{
    const Preference<Shortcuts> shortcuts("shortcuts", {});
    const Dictionary screen{{"keyCode", 20}, {"modifiers", 768}};

    const auto read = readStored(shortcuts, Dictionary{{"screen", screen}, {"area", "⇧⌘4"}});
    EXPECT_EQ(read, (Shortcuts{{"screen", Shortcut{20, 768}}}));

    EXPECT_EQ(readStored(shortcuts, "screen"), Shortcuts{}) << "not a dictionary at all";
}

struct StoredShortcutCase {
    const char* name;
    PropertyList stored;
    std::optional<Shortcut> expected;

    friend void PrintTo(const StoredShortcutCase& c, std::ostream* out) { *out << c.name; }
};

class StoredShortcut : public testing::TestWithParam<StoredShortcutCase> {};

TEST_P(StoredShortcut, IsReadOnlyWithTwoIntegersInTheUnsigned32BitRange)
{
    const auto& c = GetParam();
    EXPECT_EQ(fromPropertyList<Shortcut>(c.stored), c.expected) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StoredShortcut,
    testing::Values(
        StoredShortcutCase{"plain", Dictionary{{"keyCode", 20}, {"modifiers", 768}}, Shortcut{20, 768}},
        StoredShortcutCase{"extra entry ignored",
                           Dictionary{{"keyCode", 0}, {"modifiers", 256}, {"label", "A"}}, Shortcut{0, 256}},
        StoredShortcutCase{"largest values",
                           Dictionary{{"keyCode", 4294967295LL}, {"modifiers", 4294967295LL}},
                           Shortcut{4294967295U, 4294967295U}},
        StoredShortcutCase{"negative modifiers", Dictionary{{"keyCode", 20}, {"modifiers", -1}},
                           std::nullopt},
        StoredShortcutCase{"modifiers too large", Dictionary{{"keyCode", 20}, {"modifiers", 4294967296LL}},
                           std::nullopt},
        StoredShortcutCase{"key code too large", Dictionary{{"keyCode", 4294967296LL}, {"modifiers", 0}},
                           std::nullopt},
        StoredShortcutCase{"missing modifiers", Dictionary{{"keyCode", 20}}, std::nullopt},
        StoredShortcutCase{"double key code", Dictionary{{"keyCode", 20.0}, {"modifiers", 768}},
                           std::nullopt},
        StoredShortcutCase{"string modifiers", Dictionary{{"keyCode", 20}, {"modifiers", "768"}},
                           std::nullopt},
        StoredShortcutCase{"not a dictionary", 20, std::nullopt}));

TEST(PreferenceWrite, ShortcutIsStoredAsExactlyTwoIntegers)
{
    EXPECT_EQ(propertyListValue(Shortcut{21, 768}),
              PropertyList(Dictionary{{"keyCode", 21}, {"modifiers", 768}}));
}

TEST(PreferenceWrite, AbsentOptionalRemovesTheKey)
{
    const Preference<std::optional<std::string>> microphone("microphoneID", std::nullopt);
    InMemoryPreferenceStore store;
    store.write(microphone, std::optional<std::string>("usb-mic"));
    EXPECT_EQ(store.read(microphone), std::optional<std::string>("usb-mic"));

    store.write(microphone, std::optional<std::string>());
    EXPECT_FALSE(store.object("microphoneID").has_value());
    EXPECT_EQ(store.read(microphone), std::nullopt);
}

TEST(PreferenceWrite, ReplacesAValueOfAnotherKindAndRoundTripsEveryKind)
{
    InMemoryPreferenceStore store(Dictionary{{"nextNumber", "seven"}});
    const Preference<std::int64_t> nextNumber("nextNumber", 1);
    store.write(nextNumber, std::int64_t{7});
    EXPECT_EQ(store.read(nextNumber), 7);

    const Preference<Shortcuts> shortcuts("shortcuts", {});
    const Shortcuts all{
        {"area", Shortcut{0, 0x900}}, {"recording", Shortcut::none}, {"screen", Shortcut{20, 768}}};
    store.write(shortcuts, all);
    EXPECT_EQ(store.read(shortcuts), all);

    const Preference<Bytes> blob("blob", {});
    store.write(blob, Bytes{0, 255, 10});
    EXPECT_EQ(store.read(blob), (Bytes{0, 255, 10}));
}

} // namespace
} // namespace brindle
