#include "core/FileNaming.hpp"
#include "core/FileNamingStyle.hpp"
#include "core/UnicodeText.hpp"
#include "kit-core/InMemoryPreferenceStore.hpp"
#include "kit-core/Preference.hpp"

#include <chrono>
#include <gtest/gtest.h>
#include <limits>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace quillet {
namespace {

using namespace std::chrono;
using namespace std::string_literals;

system_clock::time_point utc(int year, unsigned month, unsigned day, int hour, int minute, int second)
{
    return sys_days{std::chrono::year{year} / month / day} + hours{hour} + minutes{minute} + seconds{second};
}

class FixedOffsetZone : public TimeZone {
public:
    explicit FixedOffsetZone(seconds offset) : offset_(offset) {}

    LocalDateTime localDateTime(system_clock::time_point instant) const override
    {
        return LocalDateTime::fromLocalSeconds(floor<seconds>(instant) + offset_);
    }

private:
    seconds offset_;
};

// Central European rules for 2025: UTC+1, and UTC+2 from 30 March 01:00 UTC until 26 October 01:00 UTC.
class CentralEuropeZone : public TimeZone {
public:
    LocalDateTime localDateTime(system_clock::time_point instant) const override
    {
        const bool isSummer = instant >= utc(2025, 3, 30, 1, 0, 0) && instant < utc(2025, 10, 26, 1, 0, 0);
        return LocalDateTime::fromLocalSeconds(floor<seconds>(instant) + hours{isSummer ? 2 : 1});
    }
};

FileNaming::NameInUse inFolder(std::set<std::string> names)
{
    return [names = std::move(names)](const std::string& name) {
        return names.contains(name) ? FileNaming::NameUse::taken : FileNaming::NameUse::free;
    };
}

const FixedOffsetZone universal{seconds{0}};
const CentralEuropeZone centralEurope;

struct DateNameCase {
    const char* title;
    system_clock::time_point date;
    const TimeZone* zone;
    std::string expected;
};

class DateName : public ::testing::TestWithParam<DateNameCase> {};

TEST_P(DateName, FormatsTheLocalTime)
{
    const DateNameCase& c = GetParam();
    EXPECT_EQ(FileNaming::name("Screenshot", "at", c.date, "webp", *c.zone, inFolder({})), c.expected);
}

const FixedOffsetZone newYork{-hours{5}};
const FixedOffsetZone kathmandu{hours{5} + minutes{45}};

INSTANTIATE_TEST_SUITE_P(
    FileNaming, DateName,
    ::testing::Values(
        DateNameCase{"utc", utc(2025, 1, 31, 14, 5, 9), &universal, "Screenshot 2025-01-31 at 14.05.09.webp"},
        DateNameCase{"fractionDropped", utc(2025, 1, 31, 14, 5, 9) + milliseconds{999}, &universal,
                     "Screenshot 2025-01-31 at 14.05.09.webp"},
        DateNameCase{"behindUtcPreviousYear", utc(2025, 1, 1, 3, 0, 0), &newYork,
                     "Screenshot 2024-12-31 at 22.00.00.webp"},
        DateNameCase{"quarterHourOffset", utc(2025, 1, 31, 23, 59, 59), &kathmandu,
                     "Screenshot 2025-02-01 at 05.44.59.webp"},
        DateNameCase{"winterTime", utc(2025, 1, 31, 13, 5, 9), &centralEurope,
                     "Screenshot 2025-01-31 at 14.05.09.webp"},
        DateNameCase{"summerTime", utc(2025, 7, 1, 12, 5, 9), &centralEurope,
                     "Screenshot 2025-07-01 at 14.05.09.webp"},
        DateNameCase{"lastSecondBeforeSpringForward", utc(2025, 3, 30, 0, 59, 59), &centralEurope,
                     "Screenshot 2025-03-30 at 01.59.59.webp"},
        DateNameCase{"springForward", utc(2025, 3, 30, 1, 0, 0), &centralEurope,
                     "Screenshot 2025-03-30 at 03.00.00.webp"},
        DateNameCase{"leapDay", utc(2024, 2, 29, 23, 30, 0), &universal,
                     "Screenshot 2024-02-29 at 23.30.00.webp"},
        DateNameCase{"beforeTheEpochRoundsToThePast", utc(1970, 1, 1, 0, 0, 0) - milliseconds{1500},
                     &universal, "Screenshot 1969-12-31 at 23.59.58.webp"}),
    [](const auto& info) { return info.param.title; });

TEST(FileNaming, SameSecondNamesCountUpFromTwo)
{
    const auto date = utc(2025, 1, 31, 14, 5, 9);
    std::set<std::string> folder;
    std::vector<std::string> names;
    for (int i = 0; i < 4; ++i) {
        names.push_back(
            FileNaming::name("Screenshot", "at", date, "webp", universal, inFolder(folder)).value());
        folder.insert(names.back());
    }
    EXPECT_EQ(names, (std::vector<std::string>{"Screenshot 2025-01-31 at 14.05.09.webp",
                                               "Screenshot 2025-01-31 at 14.05.09 2.webp",
                                               "Screenshot 2025-01-31 at 14.05.09 3.webp",
                                               "Screenshot 2025-01-31 at 14.05.09 4.webp"}));
}

TEST(FileNaming, DateNameChecksOnlyTheExactName)
{
    const auto date = utc(2025, 1, 31, 14, 5, 9);
    const auto folder =
        inFolder({"Screenshot 2025-01-31 at 14.05.09.webp", "Screenshot 2025-01-31 at 14.05.09"});
    EXPECT_EQ(FileNaming::name("Screen Recording", "at", date, "mp4", universal, folder),
              "Screen Recording 2025-01-31 at 14.05.09.mp4");
}

TEST(FileNaming, RepeatedHourWhenClocksGoBackDoesNotOverwrite)
{
    // 00:30 and 01:30 UTC on 26 October are both 02:30 on the wall clock.
    const auto summer = FileNaming::name("Screenshot", "at", utc(2025, 10, 26, 0, 30, 0), "webp",
                                         centralEurope, inFolder({}));
    const auto winter = FileNaming::name("Screenshot", "at", utc(2025, 10, 26, 1, 30, 0), "webp",
                                         centralEurope, inFolder({summer.value()}));
    EXPECT_EQ(summer, "Screenshot 2025-10-26 at 02.30.00.webp");
    EXPECT_EQ(winter, "Screenshot 2025-10-26 at 02.30.00 2.webp");
}

TEST(FileNaming, ConnectorIsTakenAsItStands)
{
    EXPECT_EQ(
        FileNaming::name("Bildschirmfoto", "um", utc(2025, 1, 31, 14, 5, 9), "webp", universal, inFolder({})),
        "Bildschirmfoto 2025-01-31 um 14.05.09.webp");
}

struct NumberedCase {
    const char* title;
    std::int64_t from;
    std::string prefix;
    std::set<std::string> taken;
    FileNaming::NumberedName expected;
};

constexpr auto largest = std::numeric_limits<std::int64_t>::max();

class NumberedName : public ::testing::TestWithParam<NumberedCase> {};

// What the capture folder leaves for a name before ".webp".
constexpr std::size_t roomForName = 250;

TEST_P(NumberedName, FindsTheFirstFreeNumber)
{
    const NumberedCase& c = GetParam();
    EXPECT_EQ(FileNaming::numbered(c.from, c.prefix, roomForName, inFolder(c.taken)), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    FileNaming, NumberedName,
    ::testing::Values(
        NumberedCase{"emptyPrefix", 1, "", {}, {"00001", 1}},
        NumberedCase{"prefixGetsASpace", 7, "Shot", {}, {"Shot 00007", 7}},
        NumberedCase{"hyphenNeedsNoSpace", 7, "Shot-", {}, {"Shot-00007", 7}},
        NumberedCase{"underscoreNeedsNoSpace", 7, "Shot_", {}, {"Shot_00007", 7}},
        NumberedCase{"dotNeedsNoSpace", 7, "Shot.", {}, {"Shot.00007", 7}},
        NumberedCase{"trailingSpaceIsNotDoubled", 7, "Trip ", {}, {"Trip 00007", 7}},
        NumberedCase{"otherDashGetsASpace", 7, "Shot\u2013", {}, {"Shot\u2013 00007", 7}},
        NumberedCase{"zeroStartsAtOne", 0, "", {}, {"00001", 1}},
        NumberedCase{"negativeStartsAtOne", -5, "", {}, {"00001", 1}},
        NumberedCase{"smallestStartsAtOne", std::numeric_limits<std::int64_t>::min(), "", {}, {"00001", 1}},
        NumberedCase{"skipsTakenNumbers", 7, "Shot", {"Shot 00007", "Shot 00008"}, {"Shot 00009", 9}},
        NumberedCase{
            "takenNamesOfOtherPrefixesDoNotCount", 7, "Shot", {"00007", "Shot-00007"}, {"Shot 00007", 7}},
        NumberedCase{"longNumbersAreNotShortened", 100000, "Shot", {}, {"Shot 100000", 100000}},
        NumberedCase{"fiveNinesThenSix", 99999, "", {"99999"}, {"100000", 100000}},
        NumberedCase{"prefixIsCleaned", 3, "  ..a/b:c\n", {}, {"abc 00003", 3}},
        NumberedCase{"prefixCleanedAwayLeavesTheNumber", 3, "./", {}, {"00003", 3}},
        NumberedCase{"largestNumberTakenStartsAgain",
                     largest,
                     "Shot",
                     {"Shot 9223372036854775807", "Shot 00001"},
                     {"Shot 00002", 2}}),
    [](const auto& info) { return info.param.title; });

TEST(FileNaming, StillsAndRecordingsShareOneSequence)
{
    // The library's predicate: a number is taken when either kind of file carries it.
    const std::set<std::string> folder{"Shot 00007.mp4", "Shot 00009.webp"};
    std::vector<std::string> asked;
    const auto taken = [&](const std::string& name) {
        asked.push_back(name);
        return folder.contains(name + ".webp") || folder.contains(name + ".mp4") ? FileNaming::NameUse::taken
                                                                                 : FileNaming::NameUse::free;
    };
    EXPECT_EQ(FileNaming::numbered(7, "Shot", roomForName, taken),
              (FileNaming::NumberedName{"Shot 00008", 8}));
    EXPECT_EQ(asked, (std::vector<std::string>{"Shot 00007", "Shot 00008"}));
}

// A folder that says "taken" to everything, or whose checks fail, ends the search instead of hanging.
TEST(FileNaming, SearchesGiveUpOnAFailedCheckOrAfterTheLimit)
{
    const auto date = utc(2025, 1, 31, 14, 5, 9);
    for (const auto answer : {FileNaming::NameUse::taken, FileNaming::NameUse::unknown}) {
        int asked = 0;
        const auto always = [&](const std::string&) {
            ++asked;
            return answer;
        };
        const int expectedAsks = answer == FileNaming::NameUse::taken ? FileNaming::maximumCandidates : 1;
        EXPECT_EQ(FileNaming::numbered(1, "Shot", roomForName, always), std::nullopt);
        EXPECT_EQ(std::exchange(asked, 0), expectedAsks);
        EXPECT_EQ(FileNaming::name("Screenshot", "at", date, "webp", universal, always), std::nullopt);
        EXPECT_EQ(asked, expectedAsks);
    }
}

// However long the prefix, the name with the largest number fits, cut between characters.
TEST(FileNaming, ALongPrefixIsCutToFitBetweenCharacters)
{
    const std::string eAcute = "\u00E9"; // two bytes
    std::string lastName;
    for (const std::int64_t number : {std::int64_t{1}, largest}) {
        const auto result =
            FileNaming::numbered(number, std::string(200, 'a') + std::string(50, 'x') + eAcute + eAcute,
                                 roomForName, inFolder({}));
        ASSERT_TRUE(result);
        EXPECT_LE(result->name.size(), roomForName);
        EXPECT_EQ(UnicodeText::encode(UnicodeText::decode(result->name)), result->name)
            << "cut inside a character";
        lastName = result->name;
    }
    EXPECT_EQ(lastName, std::string(200, 'a') + std::string(30, 'x') + " 9223372036854775807");
    const auto odd = FileNaming::numbered(1, std::string(229, 'a') + eAcute, roomForName, inFolder({}));
    EXPECT_EQ(odd->name, std::string(229, 'a') + " 00001") << "half an \u00E9 would not fit";
}

struct CleanPrefixCase {
    const char* title;
    std::string prefix;
    std::string expected;
};

class CleanPrefix : public ::testing::TestWithParam<CleanPrefixCase> {};

TEST_P(CleanPrefix, MakesThePrefixSafe)
{
    EXPECT_EQ(FileNaming::cleanPrefix(GetParam().prefix), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    FileNaming, CleanPrefix,
    ::testing::Values(CleanPrefixCase{"leadingJunkAndSeparators", "  ..a/b:c\n", "abc"},
                      CleanPrefixCase{"onlyJunk", "./", ""}, CleanPrefixCase{"empty", "", ""},
                      CleanPrefixCase{"trailingSpaceKept", "Trip ", "Trip "},
                      CleanPrefixCase{"trailingDotsKept", "Shot..", "Shot.."},
                      CleanPrefixCase{"innerSpaceAndDotsKept", "My shot.v2", "My shot.v2"},
                      CleanPrefixCase{"droppedBeforeTrimming", ":/.Shot", "Shot"},
                      CleanPrefixCase{"hiddenFileMarkerRemoved", ". .hidden", "hidden"},
                      CleanPrefixCase{"everyNewline", "a\nb\vc\fd\re\u0085f\u2028g\u2029h", "abcdefgh"},
                      CleanPrefixCase{"tabIsWhiteSpaceNotNewline", "\tA\tB", "A\tB"},
                      CleanPrefixCase{"unicodeSpacesLead", "\u00A0\u3000\u2009Shot", "Shot"},
                      CleanPrefixCase{"nulWouldCutTheName", "a\0b"s, "ab"},
                      CleanPrefixCase{"nonAsciiKept", "\u00C9t\u00E9 \U0001F4F8",
                                      "\u00C9t\u00E9 \U0001F4F8"}),
    [](const auto& info) { return info.param.title; });

TEST(FileNamingStyle, RawValuesInMenuOrder)
{
    EXPECT_EQ(allFileNamingStyles, (std::array{FileNamingStyle::date, FileNamingStyle::number}));
    EXPECT_EQ(brindle::rawValue(FileNamingStyle::date), "date");
    EXPECT_EQ(brindle::rawValue(FileNamingStyle::number), "number");
    EXPECT_EQ(defaultFileNamingStyle, FileNamingStyle::date);
}

TEST(FileNamingStyle, StoredAsItsRawValue)
{
    const brindle::Preference<FileNamingStyle> style{"fileNaming", defaultFileNamingStyle};
    brindle::InMemoryPreferenceStore store;
    store.write(style, FileNamingStyle::number);
    EXPECT_EQ(store.object("fileNaming"), brindle::PropertyList("number"));
    EXPECT_EQ(store.read(style), FileNamingStyle::number);

    store.set(brindle::PropertyList("Number"), "fileNaming");
    EXPECT_EQ(store.read(style), FileNamingStyle::date);
    store.set(brindle::PropertyList(std::int64_t{1}), "fileNaming");
    EXPECT_EQ(store.read(style), FileNamingStyle::date);
}

} // namespace
} // namespace quillet
