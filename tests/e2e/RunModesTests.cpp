// The program's modes as a script or a login session starts them: each one-shot mode ends by itself,
// the menu-bar mode says clearly when there is no display, and no mode but the menu bar touches the
// user's settings.
#include "tests/support/ChildProcess.hpp"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace quillet {
namespace {

using testing::ChildProcess;

struct ModeCase {
    const char* name;
    std::vector<std::string> arguments; // after the program; "OUT" is replaced by a fresh folder
    const char* display;                // nullptr: the test's own display
    int exitCode;
    const char* message; // a part of standard error
    std::vector<const char*> outputs;
};

void PrintTo(const ModeCase& c, std::ostream* os)
{
    *os << c.name;
}

class RunModes : public ::testing::TestWithParam<ModeCase> {};

TEST_P(RunModes, EndWithTheirStatusAndLeaveTheSettingsAlone)
{
    const auto& c = GetParam();
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const QString settings = home.filePath(".config/quillet/preferences.plist");
    ASSERT_TRUE(QDir().mkpath(QFileInfo(settings).absolutePath()));
    const QByteArray unreadable = "not a property list";
    {
        QFile file(settings);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(unreadable);
    }
    const QString output = home.filePath("out");
    ASSERT_TRUE(QDir().mkpath(output));

    const char* binaries = std::getenv("QUILLET_BIN_DIR");
    std::vector<std::string> arguments{std::string(binaries ? binaries : "bin") + "/quillet"};
    for (const auto& argument : c.arguments) {
        arguments.push_back(argument == "OUT" ? output.toStdString() : argument);
    }
    auto environment =
        ChildProcess::baseEnvironment(c.display ? c.display : qgetenv("DISPLAY").toStdString());
    environment["HOME"] = home.path().toStdString();
    environment["XDG_CONFIG_HOME"] = home.filePath(".config").toStdString();

    const auto result = ChildProcess::run(arguments, environment, {}, std::chrono::seconds(30));
    EXPECT_EQ(result.exitCode, c.exitCode) << result.standardError;
    EXPECT_NE(result.standardError.find(c.message), std::string::npos) << result.standardError;
    EXPECT_EQ(result.standardError.find("does not support"), std::string::npos)
        << "an expected message of the offscreen platform: " << result.standardError;
    for (const char* name : c.outputs) {
        EXPECT_TRUE(QFileInfo(QDir(output).filePath(name)).size() > 0) << name;
    }
    QFile file(settings);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << "the settings were set aside";
    EXPECT_EQ(file.readAll(), unreadable);
    EXPECT_EQ(QDir(QFileInfo(settings).absolutePath()).entryList(QDir::Files).size(), 1);
}

INSTANTIATE_TEST_SUITE_P(Cases, RunModes,
                         ::testing::Values(
                             // Each ends by itself. (The memory probe, which runs for a while, is tested on its own.)
                             ModeCase{"menu snapshot", {"--snapshot", "OUT"}, nullptr, 0, "", {}},
                             ModeCase{"diagnostics", {"--diagnose", "OUT/report"}, nullptr, 0, "", {}},
                             ModeCase{"menu snapshot into a missing folder",
                                      {"--snapshot", "OUT/missing"},
                                      nullptr,
                                      1,
                                      "OUT/missing is not a folder",
                                      {}},
                                                  ModeCase{"editor snapshot without a display",
                                      {"--snapshot-editor", "OUT"},
                                      "",
                                      0,
                                      "",
                                      {"editor-export.png", "editor-export-webp.png"}},
                             ModeCase{"menu bar without a display", {}, "", 1, "no display", {}},
                             ModeCase{"menu bar with a display that is not there",
                                      {},
                                      ":4711",
                                      1,
                                      "cannot open the display \":4711\"",
                                      {}}));

} // namespace
} // namespace quillet
