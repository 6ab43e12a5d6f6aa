// The recorder with a stand-in capture tool (a shell script) that writes a real movie, misbehaves or
// dies, and the saved files checked with ffprobe.
#include "Quillet/recording/Microphones.hpp"
#include "Quillet/recording/ToolRecorder.hpp"

#include "tests/Quillet/recording/MovieFixture.hpp"
#include "tests/support/LogCapture.hpp"
#include "tests/support/WaitFor.hpp"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <gtest/gtest.h>

namespace quillet {
namespace {

using namespace std::chrono_literals;

// What the stand-in tool does with its output path (its last argument). Like the real tool it says
// "recording" once an interrupt ends its movie instead of killing it.
const char* const finishOnInterrupt = "trap 'kill $pid; cp \"$movie\" \"$last\"; exit 0' INT\n"
                                      "sleep 60 & pid=$!\necho recording\nwait $pid\n";
const char* const finishOnlyWhenTerminated =
    "trap '' INT\n"
    "trap 'kill $pid; cp \"$movie\" \"$last\"; exit 0' TERM\n"
    "sleep 60 & pid=$!\necho recording\nwhile :; do wait $pid; done\n";
const char* const garbageOnInterrupt = "trap 'kill $pid; echo garbage > \"$last\"; exit 0' INT\n"
                                       "sleep 60 & pid=$!\necho recording\nwait $pid\n";
// As the tool while its libraries load: an interrupt now would kill it.
const char* const slowToStart = "sleep 1\ntrap 'kill $pid; cp \"$movie\" \"$last\"; exit 0' INT\n"
                                "sleep 60 & pid=$!\necho recording\nwait $pid\n";
const char* const dieAtOnce = "exit 3\n";

constexpr StopLimits shortLimits{300ms, 300ms, 300ms};
const QString captureCategory = QStringLiteral("app.quillet.Quillet.capture");

class ToolRecorderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        movie = folder.filePath("fixture.mov");
        if (!testing::makeMovie(movie)) {
            GTEST_SKIP() << "ffmpeg is needed to make a movie";
        }
        QDir().mkpath(folder.filePath("captures"));
    }

    std::unique_ptr<ToolRecorder> recorderRunning(const char* behaviour)
    {
        QFile script(folder.filePath("tool"));
        script.open(QIODevice::WriteOnly | QIODevice::Truncate);
        script.write(
            QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$@\" > '%1'\nmovie='%2'\nfor last; do :; done\n")
                .arg(folder.filePath("arguments"), movie)
                .toUtf8() +
            behaviour);
        script.close();
        script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        return std::make_unique<ToolRecorder>(script.fileName(), microphones,
                                              RecordingsFolder(folder.filePath("recordings")), shortLimits);
    }

    // Stops and waits for the outcome.
    std::optional<QString> stopped(ToolRecorder& recorder, const QString& path)
    {
        bool done = false;
        std::optional<QString> result;
        recorder.stop(path, [&](std::optional<QString> saved) {
            done = true;
            result = std::move(saved);
        });
        EXPECT_TRUE(testing::waitFor([&] { return done; }, 20s));
        return result;
    }

    [[nodiscard]] QStringList recordingsLeft() const
    {
        return QDir(folder.filePath("recordings")).entryList({"*.mov"}, QDir::Files);
    }

    QTemporaryDir folder;
    QString movie;
    FixedMicrophones microphones{{{"usb_mic", "USB microphone"}}, "Built-in"};
};

TEST_F(ToolRecorderTest, StoppingSavesTheMovieAsAStreamableMP4WhateverTheToolDoes)
{
    struct Case {
        const char* name;
        const char* behaviour;
        bool isSaved;
        const char* logged; // a message that must appear, or nothing
        const char* keptAs; // where the movie is kept when it cannot be exported
    };
    const Case cases[] = {
        {"interrupted", finishOnInterrupt, true, nullptr, nullptr},
        {"needs terminating", finishOnlyWhenTerminated, true,
         "the capture tool did not finish its movie after an interrupt; terminating it", nullptr},
        {"unreadable movie", garbageOnInterrupt, false, nullptr, "captures/Recording.mov"},
        {"stopped before it records", slowToStart, true, nullptr, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        testing::LogCapture log;
        const QString destination = folder.filePath("captures/Recording.mp4");
        QFile::remove(destination);
        QFile::remove(folder.filePath("captures/Recording.mov"));
        auto recorder = recorderRunning(c.behaviour);
        QStringList toldKept;
        recorder->setOnKept([&](const QString& movie) { toldKept << movie; });
        ASSERT_TRUE(recorder->start(Rect{0, 0, 100, 80}, {}));
        EXPECT_TRUE(recorder->sessionStartedAt().has_value());
        // Stopped at once: the recorder waits for the tool to say it records.
        const auto saved = stopped(*recorder, destination);
        EXPECT_FALSE(recorder->sessionStartedAt().has_value());
        EXPECT_EQ(saved.has_value(), c.isSaved);
        if (c.isSaved) {
            EXPECT_EQ(saved, destination);
            EXPECT_EQ(testing::probedCodecs(destination), QStringList{"h264"});
            EXPECT_TRUE(testing::indexComesFirst(destination));
        } else {
            EXPECT_FALSE(QFile::exists(destination));
            const auto texts = log.texts(captureCategory);
            ASSERT_FALSE(texts.empty()) << "the failed export was not logged";
            EXPECT_TRUE(std::any_of(texts.begin(), texts.end(),
                                    [](const QString& text) { return text.startsWith("MP4 export failed: "); }));
        }
        if (c.logged != nullptr) {
            EXPECT_TRUE(log.contains(captureCategory, c.logged));
        }
        if (c.keptAs != nullptr) {
            EXPECT_TRUE(QFile::exists(folder.filePath(c.keptAs)));
        }
        // The user hears where a kept movie is, once; of a saved one nothing beyond its card.
        EXPECT_EQ(toldKept, c.keptAs != nullptr ? QStringList{folder.filePath(c.keptAs)} : QStringList{});
        EXPECT_TRUE(recordingsLeft().isEmpty()) << "nothing is left in the recordings folder";
        EXPECT_TRUE(
            QDir(folder.filePath("captures")).entryList({".*part"}, QDir::Hidden | QDir::Files).isEmpty());
    }
}

TEST_F(ToolRecorderTest, AMovieThatCannotBeWrittenAnywhereStaysInTheRecordingsFolderForTheNextStart)
{
    testing::LogCapture log;
    QFile blocker(folder.filePath("not-a-folder"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    auto recorder = recorderRunning(finishOnInterrupt);
    ASSERT_TRUE(recorder->start(Rect{0, 0, 100, 80}, {}));
    ASSERT_EQ(recordingsLeft().size(), 1);
    EXPECT_TRUE(recorder->leftovers().empty()) << "the movie being recorded is no leftover";

    EXPECT_EQ(stopped(*recorder, folder.filePath("not-a-folder/Recording.mp4")), std::nullopt);

    ASSERT_EQ(recordingsLeft().size(), 1);
    const QString kept = folder.filePath("recordings/" + recordingsLeft().front());
    EXPECT_EQ(recorder->leftovers(), std::vector<QString>{kept}) << "unlocked once the attempt is over";
    EXPECT_TRUE(log.contains(captureCategory, "the recording was kept as " + kept));

    // The next start saves it where it can.
    bool done = false;
    std::optional<QString> saved;
    recorder->save(kept, folder.filePath("captures/Recovered.mp4"), [&](std::optional<QString> path) {
        done = true;
        saved = std::move(path);
    });
    ASSERT_TRUE(testing::waitFor([&] { return done; }));
    EXPECT_EQ(saved, folder.filePath("captures/Recovered.mp4"));
    EXPECT_TRUE(recordingsLeft().isEmpty());
}

TEST_F(ToolRecorderTest, AToolThatDiesIsReportedOnceAndAnotherStartWaitsForTheStop)
{
    testing::LogCapture log;
    auto recorder = recorderRunning(dieAtOnce);
    int ended = 0;
    int failed = 0;
    recorder->setOnEnded([&] { ++ended; });
    recorder->setOnFailed([&] { failed += ended == 0 ? 1 : 100; });
    ASSERT_TRUE(recorder->start(Rect{0, 0, 100, 80}, {}));
    EXPECT_FALSE(recorder->start(Rect{0, 0, 50, 50}, {})) << "one recording at a time";
    ASSERT_TRUE(testing::waitFor([&] { return ended > 0; }));
    EXPECT_TRUE(log.contains(captureCategory,
                             "the recording ended by itself: the capture tool exited with status 3"));
    EXPECT_TRUE(recorder->sessionStartedAt().has_value()) << "kept until stopped";
    EXPECT_EQ(failed, 1) << "told once, before the end";

    bool secondDone = false;
    EXPECT_EQ(stopped(*recorder, folder.filePath("captures/A.mp4")), std::nullopt)
        << "the tool wrote nothing";
    recorder->stop(folder.filePath("captures/B.mp4"),
                   [&](std::optional<QString> saved) { secondDone = !saved.has_value(); });
    EXPECT_TRUE(secondDone) << "a second stop answers at once";
    EXPECT_EQ(ended, 1);
    EXPECT_TRUE(recordingsLeft().isEmpty());
    EXPECT_TRUE(QDir(folder.filePath("captures")).isEmpty());
}

TEST_F(ToolRecorderTest, TheToolIsToldTheAreaClicksAndMicrophone)
{
    struct Case {
        bool microphone;
        const char* id; // or nothing
        bool showClicks;
        QStringList sound;
    };
    const Case cases[] = {
        {true, "usb_mic", true, {"-G", "usb_mic"}},
        {true, "unplugged", true, {"-g"}},
        {true, nullptr, true, {"-g"}},
        {false, "usb_mic", true, {}},
        {false, nullptr, false, {}},
    };
    auto recorder = recorderRunning(dieAtOnce);
    for (const auto& c : cases) {
        const Recorder::Options options{c.microphone, c.id ? std::optional<QString>(c.id) : std::nullopt,
                                        c.showClicks};
        const QStringList arguments = recorder->arguments(Rect{10, 20, 300, 200}, options, "/out.mov");
        ASSERT_GE(arguments.size(), 5);
        EXPECT_EQ(arguments.mid(0, 3), (QStringList{"-v", "-x", "-R"}));
        EXPECT_EQ(arguments.contains("-k"), c.showClicks);
        EXPECT_EQ(arguments.mid(c.showClicks ? 5 : 4, c.sound.size()), c.sound);
        EXPECT_EQ(arguments.back(), "/out.mov");
        EXPECT_EQ(arguments.size(), 5 + (c.showClicks ? 1 : 0) + c.sound.size());
    }
}

} // namespace
} // namespace quillet
