// A recording's movie between the tool and its final name: locked while the tool writes it, left for
// the next start when it cannot be named, given another name when its own is taken, and kept when it
// cannot be read to its end.
#include "Quillet/recording/Microphones.hpp"
#include "Quillet/recording/ToolRecorder.hpp"

#include "tests/Quillet/recording/MovieFixture.hpp"
#include "tests/support/LogCapture.hpp"
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

constexpr StopLimits shortLimits{300ms, 300ms, 300ms};
const QString captureCategory = QStringLiteral("app.quillet.Quillet.capture");

// As the program's death would: its own descriptors on `path` go (replaced by the null device, so
// that the recorder's later close closes that instead). False when it had none.
bool dropOwnDescriptors(const QString& path)
{
    const int null = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    bool dropped = false;
    for (const QFileInfo& fd : QDir("/proc/self/fd").entryInfoList(QDir::System | QDir::Files)) {
        if (fd.symLinkTarget() == path) {
            dropped = ::dup3(null, fd.fileName().toInt(), O_CLOEXEC) >= 0 || dropped;
        }
    }
    ::close(null);
    return dropped;
}

class RecordingRecoveryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        QDir().mkpath(folder.filePath("captures"));
        QDir().mkpath(folder.filePath("recordings"));
    }

    // The stand-in tool copies `source` into its movie when interrupted.
    std::unique_ptr<ToolRecorder> recorder(const QString& source)
    {
        QFile script(folder.filePath("tool"));
        script.open(QIODevice::WriteOnly | QIODevice::Truncate);
        script.write(QStringLiteral("#!/bin/sh\nfor last; do :; done\n"
                                    "trap 'kill $pid; cp \"%1\" \"$last\"; exit 0' INT\n"
                                    "sleep 60 & pid=$!\necho recording\nwait $pid\n")
                         .arg(source)
                         .toUtf8());
        script.close();
        script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        return std::make_unique<ToolRecorder>(script.fileName(), microphones,
                                              RecordingsFolder(folder.filePath("recordings")), shortLimits);
    }

    template <typename Call> std::optional<QString> outcome(Call call)
    {
        bool done = false;
        std::optional<QString> result = QStringLiteral("not called");
        call([&](std::optional<QString> saved) {
            done = true;
            result = std::move(saved);
        });
        EXPECT_TRUE(testing::waitFor([&] { return done; }, 30s));
        return result;
    }

    [[nodiscard]] QStringList files(const char* subfolder) const
    {
        return QDir(folder.filePath(subfolder)).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

    QTemporaryDir folder;
    FixedMicrophones microphones{{}, "Built-in"};
};

TEST_F(RecordingRecoveryTest, TheToolHoldsItsMovieAndAMovieWithoutANameIsLeftForTheNextStart)
{
    const QString source = folder.filePath("source.mov");
    if (!testing::makeMovie(source)) {
        GTEST_SKIP() << "ffmpeg is needed to make a movie";
    }
    testing::LogCapture log;
    auto tool = recorder(source);
    ASSERT_TRUE(tool->start(Rect{0, 0, 100, 80}, {}));
    const QDateTime started = *tool->sessionStartedAt();
    ASSERT_EQ(files("recordings").size(), 1);
    const QString movie = folder.filePath("recordings/" + files("recordings").front());

    ASSERT_TRUE(dropOwnDescriptors(movie));
    EXPECT_TRUE(tool->leftovers().empty()) << "a start while the tool writes must not take its movie";

    EXPECT_EQ(outcome([&](auto done) { tool->stop(QString(), done); }), std::nullopt);
    EXPECT_EQ(tool->leftovers(), std::vector<QString>{movie}) << "the tool has ended and let go";
    EXPECT_TRUE(
        log.contains(captureCategory, "the recording was left as " + movie + " for the next start to save"));
    EXPECT_EQ(tool->startedAt(movie), started) << "named by when it was recorded";
    EXPECT_GT(QFileInfo(movie).size(), 0);
}

// A movie saved after its recording (or recovered) whose copy meets a damaged end, or whose name
// someone took meanwhile.
TEST_F(RecordingRecoveryTest, ASavedMovieTakesAnotherNameAndIsKeptWhenItCannotBeReadToItsEnd)
{
    struct Case {
        const char* name;
        bool damaged;        // garbage after the last packet: a read error, not the end
        bool taken;          // a file of someone's has the name
        const char* another; // the name offered instead, or nothing
        const char* saved;   // where the MP4 is, or nothing
        const char* kept;    // where the movie is, or nothing
        const char* logged;  // or nothing
    };
    const Case cases[] = {
        {"read error", true, false, "Other.mp4", nullptr, "captures/Recording.mov",
         "MP4 export failed: couldn't read the movie: "},
        {"name taken", false, true, "Recording 2.mp4", "captures/Recording 2.mp4", nullptr, nullptr},
        {"no other name", false, true, nullptr, nullptr, "recordings/movie.mov", "MP4 export failed: "},
    };
    const QString source = folder.filePath("source.nut");
    if (!testing::makeMovie(source)) {
        GTEST_SKIP() << "ffmpeg is needed to make a movie";
    }
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QDir(folder.filePath("captures")).removeRecursively();
        QDir().mkpath(folder.filePath("captures"));
        const QString movie = folder.filePath("recordings/movie.mov");
        QFile::remove(movie);
        ASSERT_TRUE(QFile::copy(source, movie));
        if (c.damaged) {
            QFile file(movie);
            ASSERT_TRUE(file.open(QIODevice::Append));
            file.write(QByteArray(20'000, '\0'));
        }
        const QString destination = folder.filePath("captures/Recording.mp4");
        if (c.taken) {
            QFile theirs(destination);
            ASSERT_TRUE(theirs.open(QIODevice::WriteOnly));
            theirs.write("theirs");
        }
        testing::LogCapture log;
        auto tool = recorder(source);
        std::vector<QString> asked;
        tool->setRename([&](const QString& taken) -> std::optional<QString> {
            asked.push_back(taken);
            return c.another ? std::optional(folder.filePath("captures/" + QString(c.another)))
                             : std::nullopt;
        });

        const auto saved = outcome([&](auto done) { tool->save(movie, destination, done); });

        EXPECT_EQ(saved, c.saved ? std::optional(folder.filePath(c.saved)) : std::nullopt);
        EXPECT_EQ(asked, c.taken ? std::vector<QString>{destination} : std::vector<QString>{});
        if (c.saved != nullptr) {
            EXPECT_EQ(testing::probedCodecs(*saved), QStringList{"h264"});
        }
        EXPECT_EQ(QFile::exists(movie), c.kept != nullptr && QString(c.kept).startsWith("recordings"));
        if (c.kept != nullptr) {
            EXPECT_TRUE(QFile::exists(folder.filePath(c.kept)));
        }
        if (c.logged != nullptr) {
            const auto texts = log.texts(captureCategory);
            EXPECT_TRUE(!texts.empty() && texts.front().startsWith(c.logged)) << "not logged";
        }
        if (c.taken) {
            QFile theirs(destination);
            ASSERT_TRUE(theirs.open(QIODevice::ReadOnly));
            EXPECT_EQ(theirs.readAll(), "theirs");
        }
        EXPECT_TRUE(files("captures").filter(".quillet-").isEmpty()) << "no scratch file is left";
    }
}

} // namespace
} // namespace quillet
