// A screen recording as users make one: the program in its menu-bar mode on the test's X server with
// a fresh home, the real capture tool, Shift+Super+5, a drag on the overlay, Shift+Super+5 again.
#include "Brindle/KeyboardPositions.hpp"
#include "Quillet/recording/Microphones.hpp"
#include "Quillet/recording/ToolRecorder.hpp"

#include "tests/support/ChildProcess.hpp"
#include "tests/support/OtherXClient.hpp"
#include "tests/support/WaitFor.hpp"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace quillet {
namespace {

using namespace std::chrono_literals;
using testing::ChildProcess;
using testing::waitFor;

constexpr std::uint16_t superShift = 0x41; // Mod4 | Shift
constexpr std::uint32_t key5 = 0x17;

QString run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30'000) || process.exitCode() != 0) {
        return QString();
    }
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

void xdotool(const QStringList& arguments)
{
    QProcess process;
    process.start("xdotool", arguments);
    ASSERT_TRUE(process.waitForFinished(10'000));
    ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
}

QStringList files(const QString& folder, const QString& pattern)
{
    return QDir(folder).entryList({pattern}, QDir::Files, QDir::Name);
}

TEST(RecordingEndToEnd, ADraggedAreaIsRecordedIntoAStreamableMP4NumberedAfterTheStillWithACard)
{
    const char* binaries = std::getenv("QUILLET_BIN_DIR");
    const QString binFolder = binaries ? binaries : "bin";
    if (!QFile::exists(binFolder + "/quillet-screencapture") || run("ffprobe", {"-version"}).isEmpty()) {
        GTEST_SKIP() << "needs the capture tool and ffprobe";
    }
    QTemporaryDir home;
    ASSERT_TRUE(QDir().mkpath(home.filePath(".config/quillet")));
    QFile preferences(home.filePath(".config/quillet/preferences.plist"));
    ASSERT_TRUE(preferences.open(QIODevice::WriteOnly));
    preferences.write(R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict>
<key>fileNaming</key><string>number</string>
<key>filePrefix</key><string>Cap</string>
<key>nextNumber</key><integer>7</integer>
</dict></plist>
)");
    preferences.close();
    auto environment =
        ChildProcess::homeEnvironment(qgetenv("DISPLAY").toStdString(), home.path().toStdString());
    ChildProcess quillet({(binFolder + "/quillet").toStdString()}, environment);
    testing::OtherXClient other;
    const auto keyCode = std::uint8_t(brindle::KeyboardPositions::current().nativeKeyCode(key5).value_or(0));
    ASSERT_TRUE(waitFor([&] { return other.grabbable(keyCode, {superShift}) == 0; }, 15s))
        << "the program never registered its shortcuts";
    const QString captures = home.filePath("Screenshots");
    const QString recordings = home.filePath(".cache/quillet/recordings");

    xdotool({"key", "super+shift+3"});
    ASSERT_TRUE(waitFor([&] { return files(captures, "*.webp") == QStringList{"Cap 00007.webp"}; }, 15s));

    xdotool({"key", "super+shift+5"});
    ASSERT_TRUE(waitFor([&] { return other.isInputGrabbedElsewhere(); }, 15s)) << "no overlay came up";
    xdotool({"mousemove", "100", "100", "mousedown", "1", "sleep", "0.1", "mousemove", "300", "250", "sleep",
             "0.1", "mousemove", "420", "340", "sleep", "0.1", "mouseup", "1"});
    ASSERT_TRUE(waitFor([&] { return files(recordings, "*.mov").size() == 1; }, 15s))
        << "no recording started";
    EXPECT_EQ(QFileInfo(recordings).permissions() & (QFile::ReadGroup | QFile::ReadOther | QFile::ExeOther),
              0);
    testing::runEventLoop(2s);
    xdotool({"key", "super+shift+5"});

    ASSERT_TRUE(waitFor([&] { return files(captures, "*.mp4") == QStringList{"Cap 00008.mp4"}; }, 30s))
        << files(captures, "*").join(", ").toStdString();
    const QString movie = QDir(captures).filePath("Cap 00008.mp4");
    EXPECT_EQ(run("ffprobe", {"-v", "error", "-select_streams", "v:0", "-show_entries",
                              "stream=codec_name,width,height", "-of", "csv=p=0", movie}),
              "h264,320,240");
    const double seconds =
        run("ffprobe", {"-v", "error", "-show_entries", "format=duration", "-of", "csv=p=0", movie})
            .toDouble();
    EXPECT_GT(seconds, 1.0);
    QFile file(movie);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_LT(bytes.indexOf("moov"), bytes.indexOf("mdat")) << "the index comes first";
    EXPECT_TRUE(files(recordings, "*").isEmpty()) << "the recording in progress is gone";

    // The card: the program's only window once the overlays have gone.
    EXPECT_TRUE(waitFor(
        [&] {
            return !run("xdotool", {"search", "--onlyvisible", "--pid", QString::number(quillet.pid())})
                        .isEmpty();
        },
        15s))
        << "no card came up";
    EXPECT_TRUE(quillet.isRunning());
}

// Runs `tool` as a child, noting each stop signal in `signalLog` before passing it on: the tool stops
// on an interrupt and on a termination alike, and only the interrupt is the program's way to stop it.
QString signalRecorder(const QTemporaryDir& folder, const QString& tool, const QString& signalLog)
{
    QFile script(folder.filePath("signal-recorder"));
    script.open(QIODevice::WriteOnly);
    script.write(QStringLiteral("#!/bin/sh\n"
                                "trap 'echo INT >> \"%2\"; kill -INT $tool' INT\n"
                                "trap 'echo TERM >> \"%2\"; kill -TERM $tool' TERM\n"
                                "\"%1\" \"$@\" & tool=$!\n"
                                "while :; do\n"
                                "  wait $tool; status=$?\n"
                                "  kill -0 $tool 2>/dev/null || exit $status\n"
                                "done\n")
                     .arg(tool, signalLog)
                     .toUtf8());
    script.close();
    script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return script.fileName();
}

// A stop that comes while the tool is still starting (loading, opening the screen and the encoder)
// waits for the tool to say it records, so it still ends in a playable movie, never in a killed tool.
TEST(RecordingEndToEnd, AStopRightAfterTheStartStillGivesAPlayableMP4)
{
    const char* binaries = std::getenv("QUILLET_BIN_DIR");
    const QString tool = QString(binaries ? binaries : "bin") + "/quillet-screencapture";
    if (!QFile::exists(tool) || run("ffprobe", {"-version"}).isEmpty()) {
        GTEST_SKIP() << "needs the capture tool and ffprobe";
    }
    QTemporaryDir folder;
    const FixedMicrophones microphones;
    const QString signalLog = folder.filePath("signals");
    ToolRecorder recorder(signalRecorder(folder, tool, signalLog), microphones,
                          RecordingsFolder(folder.filePath("recordings")));
    for (const auto delay : {0ms, 30ms, 100ms}) {
        SCOPED_TRACE(delay.count());
        ASSERT_TRUE(recorder.start(Rect{0, 0, 160, 120}, {}));
        if (delay > 0ms) {
            testing::runEventLoop(delay);
        }
        const QString movie = folder.filePath(QStringLiteral("early %1.mp4").arg(delay.count()));
        std::optional<std::optional<QString>> saved;
        recorder.stop(movie, [&saved](std::optional<QString> path) { saved = std::move(path); });
        ASSERT_TRUE(waitFor([&saved] { return saved.has_value(); }, 30s));
        EXPECT_EQ(*saved, movie);
        EXPECT_EQ(run("ffprobe", {"-v", "error", "-select_streams", "v:0", "-show_entries",
                                  "stream=codec_name,width,height", "-of", "csv=p=0", movie}),
                  "h264,160,120");
    }
    EXPECT_TRUE(files(folder.filePath("recordings"), "*").isEmpty());
    QFile received(signalLog);
    ASSERT_TRUE(received.open(QIODevice::ReadOnly));
    EXPECT_EQ(received.readAll().toStdString(), "INT\nINT\nINT\n") << "each stop is one interrupt";
}

} // namespace
} // namespace quillet
