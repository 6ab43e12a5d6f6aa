#include "Brindle/AppInfo.hpp"

#include "tests/support/LogCapture.hpp"

#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace brindle {
namespace {

TEST(AppInfo, VersionComesFromTheBuild)
{
    EXPECT_EQ(AppInfo::version(), QStringLiteral(QUILLET_VERSION));
    EXPECT_NE(AppInfo::version(), QStringLiteral("dev"));
}

TEST(AppInfo, LoggersWriteRenderedMessagesToTheirCategoryAtTheirLevel)
{
    quillet::testing::LogCapture capture;
    const Logger capture_log = AppInfo::logger("capture");
    capture_log.log("captured %ldx%ld blank=%{bool}d", 3840, 2160, true);
    capture_log.error("could not save screenshot: %{public}s", QStringLiteral("disk full"));
    AppInfo::logger("login-item").error("login item change failed: %{public}s", std::string("denied"));

    const auto messages = capture.messages();
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[0].category, "app.quillet.Quillet.capture");
    EXPECT_EQ(messages[0].text, "captured 3840x2160 blank=true");
    EXPECT_EQ(messages[0].type, QtInfoMsg);
    EXPECT_EQ(messages[1].text, "could not save screenshot: disk full");
    EXPECT_EQ(messages[1].type, QtWarningMsg);
    EXPECT_EQ(messages[2].category, "app.quillet.Quillet.login-item");
    EXPECT_EQ(messages[2].text, "login item change failed: denied");
}

TEST(AppInfo, OneCategoryObjectPerCategoryEvenAcrossThreads)
{
    std::vector<const QLoggingCategory*> seen(8, nullptr);
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < seen.size(); ++i) {
        threads.emplace_back([&seen, i] { seen[i] = &AppInfo::logger("threads").category(); });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    for (const auto* category : seen) {
        EXPECT_EQ(category, &AppInfo::logger("threads").category());
    }
    EXPECT_NE(&AppInfo::logger("threads").category(), &AppInfo::logger("other").category());
}

} // namespace
} // namespace brindle
