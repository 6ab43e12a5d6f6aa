// Runs inside the headless Wayland desktop of rig.sh, in the same binary as the portal captures:
// `quillet --diagnose` reports what the portal route gives, before and after a restore token is kept.
#include "Brindle/UserDefaults.hpp"
#include "Quillet/capture/PortalCapturer.hpp"

#include "tests/support/ChildProcess.hpp"

#include <QFile>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace quillet {
namespace {

// The report of a run whose settings live under `configHome`.
QStringList diagnose(const QTemporaryDir& configHome)
{
    std::map<std::string, std::string> environment;
    const QProcessEnvironment inherited = QProcessEnvironment::systemEnvironment();
    for (const QString& name : inherited.keys()) {
        environment[name.toStdString()] = inherited.value(name).toStdString();
    }
    environment["XDG_CONFIG_HOME"] = configHome.path().toStdString();
    const char* binaries = std::getenv("QUILLET_BIN_DIR");
    const QString report = configHome.filePath(QStringLiteral("report.txt"));
    const auto result = testing::ChildProcess::run(
        {std::string(binaries ? binaries : "bin") + "/quillet", "--diagnose", report.toStdString()},
        environment, {}, std::chrono::seconds(75));
    EXPECT_EQ(result.exitCode, 0) << result.standardError;
    QFile file(report);
    if (!file.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "no report; the program said: " << result.standardError;
        return {};
    }
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
}

TEST(Diagnose, NamesThePortalRouteAndWhetherATokenIsKeptWithNothingOfX11)
{
    QTemporaryDir configHome;
    const QStringList first = diagnose(configHome);
    ASSERT_GE(first.size(), 6);
    EXPECT_EQ(first[2], QStringLiteral("screen capture access: false (desktop portal screen cast: the first "
                                       "capture will ask which screen to share)"));
    EXPECT_EQ(first[4], QStringLiteral("shareable content: desktop portal screen cast"));
    EXPECT_TRUE(first[5].startsWith(QStringLiteral("screencapture: not tried: "))) << first[5].toStdString();
    EXPECT_TRUE(first.contains(QStringLiteral("session kind: wayland without XWayland, GNOME desktop")));
    EXPECT_TRUE(first.contains(QStringLiteral("routes: capture: desktop portal; shortcuts: keys bound to "
                                              "quillet --action in the desktop's settings")));
    EXPECT_TRUE(first.contains(QStringLiteral("desktop portals: screen cast")));
    EXPECT_TRUE(first.contains(QStringLiteral("restore token: none")));
    EXPECT_EQ(first.filter(QStringLiteral("pipewire: reachable, ")).size(), 1)
        << first.join('\n').toStdString();
    for (const QString& x11 : {QStringLiteral("X11"), QStringLiteral("X display"),
                               QStringLiteral("window manager"), QStringLiteral("compositor")}) {
        EXPECT_TRUE(first.filter(x11).isEmpty()) << first.join('\n').toStdString();
    }

    const QString secret = QStringLiteral("token-the-report-never-shows");
    {
        brindle::UserDefaults preferences(configHome.filePath(QStringLiteral("quillet/preferences.plist")));
        preferences.set(secret.toStdString(), PortalCapturer::restoreTokenKey);
    }
    const QStringList second = diagnose(configHome);
    ASSERT_GE(second.size(), 6);
    EXPECT_EQ(
        second[2],
        QStringLiteral("screen capture access: true (desktop portal screen cast, restore token stored)"));
    EXPECT_TRUE(second.contains(QStringLiteral("restore token: stored")));
    EXPECT_TRUE(second.filter(secret).isEmpty());
}

} // namespace
} // namespace quillet
