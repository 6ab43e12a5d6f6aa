// Recording from a desktop's screen cast: the part of the stream an area is, and the recorder with a
// stand-in cast and a stand-in tool (a shell script) that reports what it inherited.
#include "Quillet/recording/CastCrop.hpp"
#include "Quillet/recording/CastFeed.hpp"
#include "Quillet/recording/Microphones.hpp"
#include "Quillet/recording/ToolRecorder.hpp"

#include "tests/Quillet/recording/MovieFixture.hpp"
#include "tests/support/WaitFor.hpp"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace quillet {
namespace {

using namespace std::chrono_literals;

TEST(CastCrop, TheAreaInTheStreamsPixels)
{
    struct Case {
        const char* name;
        QRect area;
        QRect monitor;
        QSize frame;
        QRect crop;
    };
    const Case cases[] = {
        {"whole monitor", {0, 0, 1280, 720}, {0, 0, 1280, 720}, {1280, 720}, {0, 0, 1280, 720}},
        {"second monitor", {1380, 100, 200, 150}, {1280, 0, 800, 600}, {800, 600}, {100, 100, 200, 150}},
        {"monitor above and left",
         {-700, -500, 100, 100},
         {-800, -600, 800, 600},
         {800, 600},
         {100, 100, 100, 100}},
        {"twice as many pixels", {10, 20, 101, 51}, {0, 0, 1280, 720}, {2560, 1440}, {20, 40, 202, 102}},
        {"odd sizes rounded down", {0, 0, 101, 51}, {0, 0, 1280, 720}, {1280, 720}, {0, 0, 100, 50}},
        {"fractional scale keeps touched pixels", {1, 1, 3, 3}, {0, 0, 100, 100}, {150, 150}, {1, 1, 4, 4}},
        {"cut to the monitor", {-10, 700, 50, 50}, {0, 0, 1280, 720}, {1280, 720}, {0, 700, 40, 20}},
        {"off the monitor", {1300, 0, 50, 50}, {0, 0, 1280, 720}, {1280, 720}, {}},
        {"a single pixel", {5, 5, 1, 1}, {0, 0, 1280, 720}, {1280, 720}, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CastCrop::inStream(c.area, c.monitor, c.frame), c.crop) << c.name;
    }
}

// A cast whose chosen stream is one end of a pipe, so that what the tool inherits can be recognised.
class FakeCast final : public CastFeed {
public:
    std::optional<Stream> take() override { return std::exchange(stream, std::nullopt); }
    void close() override
    {
        if (closes++ == 0) {
            toolHadEnded = QFile::exists(endedMarker);
        }
    }
    void setOnClosed(std::function<void()> closed) override { endedByDesktop = std::move(closed); }

    std::optional<Stream> stream;
    QString endedMarker;
    int closes = 0;
    bool toolHadEnded = false;
    std::function<void()> endedByDesktop;
};

// What descriptor `fd` of this process is, as /proc names it ("pipe:[…]"); empty when it is closed.
QString descriptorTarget(int fd)
{
    char target[256] = {};
    const ssize_t length = ::readlink(QStringLiteral("/proc/self/fd/%1").arg(fd).toUtf8().constData(), target,
                                      sizeof(target) - 1);
    return length > 0 ? QString::fromUtf8(target, length) : QString();
}

TEST(CastRecording, TheToolRecordsTheChosenStreamAndTheCastEndsAfterIt)
{
    enum class End { stopButton, desktopEndsCast, nothingChosen, noPicture };
    struct Case {
        const char* name;
        End end;
    };
    const Case cases[] = {{"stopped", End::stopButton},
                          {"desktop ended the cast", End::desktopEndsCast},
                          {"no stream", End::nothingChosen},
                          {"the tool reads no picture", End::noPicture}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir folder;
        const QString movie = folder.filePath("fixture.mov");
        if (!testing::makeMovie(movie)) {
            GTEST_SKIP() << "ffmpeg is needed to make a movie";
        }
        // The tool notes its arguments and its descriptor 3, and finishes its movie on an interrupt, or
        // fails before its first picture as on a cast of GPU buffers only.
        const QString behaviour =
            c.end == End::noPicture
                ? QStringLiteral("touch '%1/ended'\nexit 1\n").arg(folder.path())
                : QStringLiteral("trap 'kill $pid; cp \"%2\" \"$last\"; touch \"%1/ended\"; exit 0' INT\n"
                                 "sleep 60 & pid=$!\necho recording\nwait $pid\n")
                      .arg(folder.path(), movie);
        QFile script(folder.filePath("tool"));
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        script.write(QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$@\" > '%1/arguments'\n"
                                    "readlink /proc/$$/fd/3 > '%1/fd3'\nfor last; do :; done\n")
                         .arg(folder.path())
                         .toUtf8() +
                     behaviour.toUtf8());
        script.close();
        script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

        int ends[2] = {-1, -1};
        ASSERT_EQ(::pipe2(ends, O_CLOEXEC), 0);
        const QString pipe = descriptorTarget(ends[0]);
        auto cast = std::make_shared<FakeCast>();
        cast->endedMarker = folder.filePath("ended");
        if (c.end != End::nothingChosen) {
            cast->stream = CastFeed::Stream{ends[0], 57, QRect(100, 60, 640, 360)};
        }
        FixedMicrophones microphones{{{"usb_mic", "USB microphone"}}, "Built-in"};
        ToolRecorder recorder(script.fileName(), microphones, RecordingsFolder(folder.filePath("recordings")),
                              {300ms, 300ms, 300ms});
        recorder.setCast(cast);
        const QString destination = folder.filePath("Recording.mp4");
        std::optional<std::optional<QString>> saved;
        const auto stop = [&] {
            recorder.stop(destination, [&](std::optional<QString> path) { saved = path; });
        };
        recorder.setOnEnded(stop);
        int unreadable = 0;
        recorder.setOnUnreadable([&] { unreadable += saved.has_value() ? 100 : 1; });

        const bool started = recorder.start(Rect{0, 0, 10, 10}, {true, QStringLiteral("usb_mic"), true});
        if (c.end == End::nothingChosen) {
            EXPECT_FALSE(started);
            EXPECT_EQ(cast->closes, 1);
            EXPECT_TRUE(QDir(folder.filePath("recordings")).entryList(QDir::Files).isEmpty());
            ::close(ends[0]);
            ::close(ends[1]);
            continue;
        }
        ASSERT_TRUE(started);
        if (c.end == End::noPicture) {
            ASSERT_TRUE(testing::waitFor([&] { return saved.has_value(); }, 20s));
            EXPECT_EQ(unreadable, 1) << "told once, before the stop";
            EXPECT_EQ(*saved, std::nullopt);
            EXPECT_EQ(QDir(folder.path()).entryList({"*.mp4"}), QStringList());
            EXPECT_TRUE(QDir(folder.filePath("recordings")).entryList(QDir::Files).isEmpty())
                << "no empty movie";
            EXPECT_EQ(cast->closes, 1);
            ::close(ends[1]);
            continue;
        }
        EXPECT_NE(descriptorTarget(ends[0]), pipe) << "the program's copy of the cast's connection is closed";
        ASSERT_TRUE(testing::waitFor([&] { return QFile::exists(folder.filePath("fd3")); }, 10s));
        EXPECT_EQ(cast->closes, 0) << "the cast stays open while the tool records";
        if (c.end == End::desktopEndsCast) {
            ASSERT_TRUE(cast->endedByDesktop);
            cast->endedByDesktop();
        } else {
            stop();
        }
        ASSERT_TRUE(testing::waitFor([&] { return saved.has_value(); }, 20s));
        EXPECT_EQ(*saved, destination);
        EXPECT_EQ(testing::probedCodecs(destination), QStringList{"h264"});
        EXPECT_EQ(cast->closes, 1);
        EXPECT_EQ(unreadable, 0);
        EXPECT_TRUE(cast->toolHadEnded) << "the cast closed under a tool still recording";

        QFile inherited(folder.filePath("fd3"));
        ASSERT_TRUE(inherited.open(QIODevice::ReadOnly));
        EXPECT_EQ(QString::fromUtf8(inherited.readAll()).trimmed(), pipe);
        QFile arguments(folder.filePath("arguments"));
        ASSERT_TRUE(arguments.open(QIODevice::ReadOnly));
        const QStringList told = QString::fromUtf8(arguments.readAll()).split('\n', Qt::SkipEmptyParts);
        EXPECT_EQ(told.mid(0, 10), (QStringList{"-v", "-x", "--pipewire-fd", "3", "--pipewire-node", "57",
                                                "--crop", "100,60,640,360", "-G", "usb_mic"}));
        EXPECT_FALSE(told.contains("-k")) << "no clicks reach the program from a cast";
        ::close(ends[1]);
    }
}

} // namespace
} // namespace quillet
