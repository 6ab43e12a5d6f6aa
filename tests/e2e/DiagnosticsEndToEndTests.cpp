#include "tests/support/ChildProcess.hpp"

#include <QFile>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QScreen>
#include <QStringList>
#include <QTemporaryDir>

#include <cstdlib>
#include <gtest/gtest.h>

namespace quillet {
namespace {

using testing::ChildProcess;

const QStringList partLabels = {
    QStringLiteral("bundle: "),
    QStringLiteral("bundle id: app.quillet.Quillet"),
    QStringLiteral("screen capture access: "),
    QStringLiteral("team: -"),
    QStringLiteral("shareable content"),
    QStringLiteral("screencapture: "),
};

// Runs `quillet --diagnose` with or without the test's X display; the report's lines, and the exit
// status in `exitCode`.
QStringList diagnose(const std::string& display, int& exitCode)
{
    QTemporaryDir folder;
    const char* binaries = std::getenv("QUILLET_BIN_DIR");
    const std::string program = std::string(binaries ? binaries : "bin") + "/quillet";
    const QString report = folder.filePath(QStringLiteral("report.txt"));
    const auto result =
        ChildProcess::run({program, "--diagnose", report.toStdString()},
                          ChildProcess::baseEnvironment(display), {}, std::chrono::seconds(40));
    exitCode = result.exitCode;
    QFile file(report);
    if (!file.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "no report; the program said: " << result.standardError;
        return {};
    }
    const QString text = QString::fromUtf8(file.readAll());
    EXPECT_FALSE(text.endsWith(QLatin1Char('\n')));
    return text.split(QLatin1Char('\n'));
}

void expectPartLinesInOrder(const QStringList& lines)
{
    ASSERT_GE(lines.size(), partLabels.size() + 5);
    for (qsizetype i = 0; i < partLabels.size(); ++i) {
        EXPECT_TRUE(lines[i].startsWith(partLabels[i])) << lines[i].toStdString();
    }
    EXPECT_TRUE(lines[0].endsWith(QStringLiteral("/quillet")));
}

TEST(Diagnose, WithoutADisplayEveryLineIsStillWritten)
{
    int exitCode = -1;
    const QStringList lines = diagnose({}, exitCode);
    EXPECT_EQ(exitCode, 0);
    expectPartLinesInOrder(lines);
    ASSERT_GE(lines.size(), 6);
    EXPECT_EQ(lines[2], QStringLiteral("screen capture access: false"));
    EXPECT_EQ(lines[4], QStringLiteral("shareable content error: no X display"));
    EXPECT_EQ(lines[5], QStringLiteral("screencapture: no image"));
    EXPECT_TRUE(lines.contains(QStringLiteral("display: - (offscreen)"))) << lines.join('\n').toStdString();
}

TEST(Diagnose, OnTheTestDisplayCapturesItsWholeScreen)
{
    int exitCode = -1;
    const QStringList lines = diagnose(qgetenv("DISPLAY").toStdString(), exitCode);
    EXPECT_EQ(exitCode, 0);
    expectPartLinesInOrder(lines);
    ASSERT_GE(lines.size(), 6);
    const QSize screen = QGuiApplication::primaryScreen()->size();
    EXPECT_EQ(lines[2], QStringLiteral("screen capture access: true"));
    EXPECT_TRUE(lines.contains(QStringLiteral("routes: capture: X11 grab; shortcuts: X11 hot keys")));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^shareable content: 1 displays, \\d+ windows$"))
                    .match(lines[4])
                    .hasMatch())
        << lines[4].toStdString();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^screencapture: %1x%2, \\d+ KB, blank: false$")
                                       .arg(screen.width())
                                       .arg(screen.height()))
                    .match(lines[5])
                    .hasMatch())
        << lines[5].toStdString();
    EXPECT_TRUE(
        lines.filter(QRegularExpression(QStringLiteral("^libraries: Qt 6\\.\\d+\\.\\d+, libwebp \\d")))
            .size() == 1);
}

} // namespace
} // namespace quillet
