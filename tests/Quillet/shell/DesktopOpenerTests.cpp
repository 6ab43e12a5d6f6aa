#include "Quillet/shell/DesktopOpener.hpp"

#include "tests/support/WaitFor.hpp"

#include <QList>
#include <QProcess>

#include <algorithm>

#include <gtest/gtest.h>

namespace quillet {
namespace {

using namespace std::chrono_literals;

// The opener as the desktop may have it: working, present but with nothing behind it (xdg-open's
// "no method available"), or missing.
TEST(DesktopOpener, TellsWhenTheAddressDidNotOpen)
{
    struct Case {
        const char* name;
        QString program;
        bool started;
        bool reported;
    };
    const QUrl page(QStringLiteral("https://quillet.app/updates/?app=quillet&version=1.2"));
    for (const Case& c : {Case{"working", "true", true, false}, Case{"no helper", "false", true, true},
                          Case{"missing", "/nonexistent/xdg-open", false, false}}) {
        QList<QUrl> reported;
        DesktopOpener opener(c.program, [&reported](const QUrl& url) { reported.append(url); });
        EXPECT_EQ(opener.open(page), c.started) << c.name;
        EXPECT_TRUE(testing::waitFor(
            [&] {
                const auto running = opener.findChildren<QProcess*>();
                return std::ranges::all_of(running, [](const QProcess* process) {
                    return process->state() == QProcess::NotRunning;
                });
            },
            10s))
            << c.name;
        EXPECT_EQ(reported, c.reported ? QList<QUrl>{page} : QList<QUrl>()) << c.name;
    }
}

} // namespace
} // namespace quillet
