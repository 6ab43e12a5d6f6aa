#include "tests/support/XvfbServer.hpp"

#include <QGuiApplication>
#include <QScreen>

#include <csignal>
#include <gtest/gtest.h>

namespace quillet {
namespace {

TEST(XvfbServer, ServersSideBySideGetTheirOwnDisplaysAndStopByPid)
{
    pid_t first = -1;
    {
        testing::XvfbServer a("640x480x24");
        testing::XvfbServer b("320x200x24");
        ASSERT_TRUE(a.isRunning());
        ASSERT_TRUE(b.isRunning());
        EXPECT_NE(a.display(), b.display());
        first = a.pid();
        EXPECT_EQ(kill(first, 0), 0);
    }
    EXPECT_NE(kill(first, 0), 0);
}

TEST(XvfbMain, TheApplicationRunsOnTheTestServer)
{
    ASSERT_NE(QGuiApplication::primaryScreen(), nullptr);
    EXPECT_EQ(QGuiApplication::platformName(), "xcb");
    EXPECT_EQ(QGuiApplication::primaryScreen()->size(), QSize(1280, 800));
}

} // namespace
} // namespace quillet
