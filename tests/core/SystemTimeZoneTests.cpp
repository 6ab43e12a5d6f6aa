#include "core/SystemTimeZone.hpp"

#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>
#include <string>

namespace quillet {
namespace {

using namespace std::chrono;

// Sets TZ for one test and puts the previous value back.
class ZoneFromEnvironment : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (const char* previous = std::getenv("TZ")) {
            previous_ = previous;
        }
        // A POSIX rule, so the test needs no zone database: UTC+1, summer UTC+2 from the last Sunday of
        // March 02:00 to the last Sunday of October 03:00.
        ::setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
    }

    void TearDown() override
    {
        if (previous_) {
            ::setenv("TZ", previous_->c_str(), 1);
        } else {
            ::unsetenv("TZ");
        }
    }

private:
    std::optional<std::string> previous_;
};

system_clock::time_point utc(int year, unsigned month, unsigned day, int hour, int minute, int second)
{
    return sys_days{std::chrono::year{year} / month / day} + hours{hour} + minutes{minute} + seconds{second};
}

TEST_F(ZoneFromEnvironment, FollowsDaylightSaving)
{
    const SystemTimeZone zone;
    EXPECT_EQ(zone.localDateTime(utc(2025, 1, 31, 13, 5, 9)), (LocalDateTime{2025, 1, 31, 14, 5, 9}));
    EXPECT_EQ(zone.localDateTime(utc(2025, 7, 1, 12, 5, 9) + milliseconds{900}),
              (LocalDateTime{2025, 7, 1, 14, 5, 9}));
    EXPECT_EQ(zone.localDateTime(utc(2025, 3, 30, 1, 0, 0)), (LocalDateTime{2025, 3, 30, 3, 0, 0}));
}

TEST_F(ZoneFromEnvironment, SeesAZoneChangedWhileRunning)
{
    const SystemTimeZone zone;
    const auto instant = utc(2025, 1, 31, 13, 5, 9);
    EXPECT_EQ(zone.localDateTime(instant).hour, 14);
    ::setenv("TZ", "UTC0", 1);
    EXPECT_EQ(zone.localDateTime(instant).hour, 13);
}

TEST(LocalDateTime, SplitsSecondsBeforeAndAfterTheEpoch)
{
    EXPECT_EQ(LocalDateTime::fromLocalSeconds(sys_seconds{seconds{0}}), (LocalDateTime{1970, 1, 1, 0, 0, 0}));
    EXPECT_EQ(LocalDateTime::fromLocalSeconds(sys_seconds{seconds{-1}}),
              (LocalDateTime{1969, 12, 31, 23, 59, 59}));
    EXPECT_EQ(LocalDateTime::fromLocalSeconds(sys_seconds{seconds{951782400}}),
              (LocalDateTime{2000, 2, 29, 0, 0, 0}));
}

} // namespace
} // namespace quillet
