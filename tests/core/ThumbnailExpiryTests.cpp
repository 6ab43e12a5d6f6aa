#include "core/ThumbnailExpiry.hpp"

#include <gtest/gtest.h>
#include <string>

namespace quillet {
namespace {

using namespace std::chrono_literals;
using Expiry = ThumbnailExpiry<std::string>;
using IDs = Expiry::IDs;

const Expiry::Time t = Expiry::Time{} + 1000s;

void hover(Expiry& expiry, int ticks, Expiry::Time at)
{
    for (int i = 0; i < ticks; ++i) {
        EXPECT_TRUE(expiry.tick(at, 1, true).empty());
    }
}

TEST(ThumbnailExpiry, ExpiresOnlyStrictlyAfterTheLifetime)
{
    Expiry expiry(120);
    expiry.add("a", t);
    EXPECT_TRUE(expiry.tick(t + 120s, 1, false).empty());
    EXPECT_EQ(expiry.tick(t + 120500ms, 1, false), IDs{"a"});
    EXPECT_TRUE(expiry.isEmpty());
    EXPECT_TRUE(expiry.tick(t + 200s, 1, false).empty());
}

TEST(ThumbnailExpiry, HoverTicksPauseTheClock)
{
    Expiry expiry(120);
    expiry.add("a", t);
    hover(expiry, 10, t + 5s);
    EXPECT_TRUE(expiry.tick(t + 125s, 1, false).empty());
    EXPECT_TRUE(expiry.tick(t + 130s, 1, false).empty());
    EXPECT_EQ(expiry.tick(t + 131s, 1, false), IDs{"a"});
}

TEST(ThumbnailExpiry, NothingExpiresWhileHovered)
{
    Expiry expiry(120);
    expiry.add("a", t);
    EXPECT_TRUE(expiry.tick(t + 1000s, 1, true).empty());
    EXPECT_FALSE(expiry.isEmpty());
}

TEST(ThumbnailExpiry, HoverPausesItemsAddedDuringTheHover)
{
    Expiry expiry(120);
    expiry.add("early", t);
    hover(expiry, 3, t + 1s);
    expiry.add("late", t + 4s);
    hover(expiry, 3, t + 5s);
    // early: paused 6, expires once more than 126 s have passed; late: paused 3, after 127 s from t.
    EXPECT_TRUE(expiry.tick(t + 126s, 1, false).empty());
    EXPECT_EQ(expiry.tick(t + 127s, 1, false), IDs{"early"});
    EXPECT_TRUE(expiry.tick(t + 127s, 1, false).empty());
    EXPECT_EQ(expiry.tick(t + 128s, 1, false), IDs{"late"});
}

TEST(ThumbnailExpiry, ExpiredItemsForgetTheirPausedTime)
{
    Expiry expiry(120);
    expiry.add("a", t);
    hover(expiry, 10, t + 5s);
    EXPECT_EQ(expiry.tick(t + 131s, 1, false), IDs{"a"});

    const auto again = t + 200s;
    expiry.add("a", again);
    EXPECT_EQ(expiry.tick(again + 121s, 1, false), IDs{"a"});
}

TEST(ThumbnailExpiry, ReAddingRestartsTheClockButKeepsPausedTime)
{
    Expiry expiry(120);
    expiry.add("a", t);
    hover(expiry, 10, t + 5s);
    expiry.add("a", t + 50s);
    EXPECT_TRUE(expiry.tick(t + 180s, 1, false).empty());
    EXPECT_EQ(expiry.tick(t + 181s, 1, false), IDs{"a"});
}

TEST(ThumbnailExpiry, RemoveForgetsAnItemAndIgnoresUnknownOnes)
{
    Expiry expiry(120);
    expiry.add("a", t);
    expiry.add("b", t);
    expiry.remove("never added");
    expiry.remove("a");
    EXPECT_EQ(expiry.tick(t + 121s, 1, false), IDs{"b"});
    EXPECT_TRUE(expiry.isEmpty());
}

TEST(ThumbnailExpiry, ExpiresSeveralAtOnce)
{
    Expiry expiry(120);
    expiry.add("a", t);
    expiry.add("b", t + 1s);
    expiry.add("c", t + 2s);
    EXPECT_EQ(expiry.tick(t + 121500ms, 1, false), (IDs{"a", "b"}));
    EXPECT_FALSE(expiry.isEmpty());
}

} // namespace
} // namespace quillet
