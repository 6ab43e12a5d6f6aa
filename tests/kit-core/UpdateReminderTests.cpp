#include "kit-core/InMemoryPreferenceStore.hpp"
#include "kit-core/UpdateReminder.hpp"

#include <gtest/gtest.h>
#include <limits>

namespace brindle {
namespace {

using Dictionary = PropertyList::Dictionary;
constexpr double day = 86'400;
constexpr double t0 = 1'700'000'000;

class UpdateReminderTest : public testing::Test {
protected:
    std::shared_ptr<InMemoryPreferenceStore> store = std::make_shared<InMemoryPreferenceStore>();

    [[nodiscard]] std::optional<PropertyList> stored(std::string_view key) const
    {
        return store->object(key);
    }
};

TEST_F(UpdateReminderTest, FirstRunStartsTheClockAndIsDueExactlyThirtyDaysLater)
{
    const UpdateReminder reminder(store, "1.2", t0);
    EXPECT_EQ(stored("updateReminderVersion"), PropertyList("1.2"));
    EXPECT_EQ(stored("updateReminderSince"), PropertyList(t0));
    EXPECT_FALSE(reminder.isDue(t0));
    EXPECT_FALSE(reminder.isDue(t0 + 30 * day - 1));
    EXPECT_TRUE(reminder.isDue(t0 + 30 * day));
}

TEST_F(UpdateReminderTest, SameVersionKeepsItsClockAcrossRuns)
{
    (void)UpdateReminder(store, "1.2", t0);
    const UpdateReminder later(store, "1.2", t0 + 10 * day);
    EXPECT_EQ(later.since(), t0);
    EXPECT_TRUE(later.isDue(t0 + 30 * day));
}

TEST_F(UpdateReminderTest, ANewVersionRestartsTheClock)
{
    (void)UpdateReminder(store, "1.2", t0);
    const UpdateReminder next(store, "1.3", t0 + 40 * day);
    EXPECT_EQ(stored("updateReminderVersion"), PropertyList("1.3"));
    EXPECT_EQ(next.since(), t0 + 40 * day);
    EXPECT_FALSE(next.isDue(t0 + 41 * day));
}

TEST_F(UpdateReminderTest, StartInTheFutureRestartsAtNow)
{
    (void)UpdateReminder(store, "1.2", t0 + 100 * day);
    const UpdateReminder setBack(store, "1.2", t0);
    EXPECT_EQ(setBack.since(), t0);
    EXPECT_TRUE(setBack.isDue(t0 + 30 * day));
}

TEST_F(UpdateReminderTest, DismissingRestartsThePeriod)
{
    UpdateReminder reminder(store, "1.2", t0);
    ASSERT_TRUE(reminder.isDue(t0 + 31 * day));
    reminder.restart(t0 + 31 * day);
    EXPECT_FALSE(reminder.isDue(t0 + 31 * day));
    EXPECT_FALSE(reminder.isDue(t0 + 61 * day - 1));
    EXPECT_TRUE(reminder.isDue(t0 + 61 * day));
}

struct StoredCase {
    const char* name;
    Dictionary stored;

    friend void PrintTo(const StoredCase& c, std::ostream* out) { *out << c.name; }
};

class UpdateReminderStored : public testing::TestWithParam<StoredCase> {};

TEST_P(UpdateReminderStored, UnusableStoredClockStartsAFreshPeriod)
{
    auto store = std::make_shared<InMemoryPreferenceStore>(GetParam().stored);
    const UpdateReminder reminder(store, "1.2", t0);
    EXPECT_EQ(reminder.since(), t0) << GetParam().name;
    EXPECT_EQ(store->object("updateReminderVersion"), PropertyList("1.2"));
    EXPECT_FALSE(reminder.isDue(t0 + 30 * day - 1));
    EXPECT_TRUE(reminder.isDue(t0 + 30 * day));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UpdateReminderStored,
    testing::Values(StoredCase{"version without start", {{"updateReminderVersion", "1.2"}}},
                    StoredCase{"start stored as a string",
                               {{"updateReminderVersion", "1.2"}, {"updateReminderSince", "x"}}},
                    StoredCase{"start stored as an integer",
                               {{"updateReminderVersion", "1.2"}, {"updateReminderSince", 5}}},
                    StoredCase{"version stored as a number",
                               {{"updateReminderVersion", 1.2}, {"updateReminderSince", t0 - 40 * day}}},
                    StoredCase{"start is NaN",
                               {{"updateReminderVersion", "1.2"},
                                {"updateReminderSince", std::numeric_limits<double>::quiet_NaN()}}},
                    StoredCase{"start is minus infinity",
                               {{"updateReminderVersion", "1.2"},
                                {"updateReminderSince", -std::numeric_limits<double>::infinity()}}}));

TEST(UpdateReminder, NotDueWithoutAStart)
{
    auto store = std::make_shared<InMemoryPreferenceStore>();
    UpdateReminder reminder(store, "1.2", t0);
    store->set(std::nullopt, "updateReminderSince");
    EXPECT_EQ(reminder.since(), std::nullopt);
    EXPECT_FALSE(reminder.isDue(t0 + 365 * day));
}

} // namespace
} // namespace brindle
