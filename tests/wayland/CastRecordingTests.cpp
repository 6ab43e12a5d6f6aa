// Runs inside the headless GNOME desktop of rig.sh (see tests/CMakeLists.txt): the capture tool
// records a screen cast handed to it as the application hands it the portal's, a connection to
// PipeWire as descriptor 3 and the stream's node.
#include "tests/screencapture/recording/MovieProbe.hpp"
#include "tests/support/ChildProcess.hpp"
#include "tests/support/WaitFor.hpp"
#include "tests/wayland/KnownColour.hpp"
#include "tests/wayland/MutterScreenCast.hpp"
#include "tests/wayland/SilentVideoSource.hpp"

#include <QGuiApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <csignal>
#include <gtest/gtest.h>
#include <regex>
#include <sys/stat.h>
#include <unistd.h>

namespace quillet {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using testing::ChildProcess;
using testing::MutterScreenCast;

constexpr double framesPerSecond = 30;
constexpr double durationTolerance = 0.5; // seconds
// The movie's fragments, and what a killed recording loses, follow the clock even on a still screen.
constexpr double longestKeyFrameGap = 1.1; // seconds
// A node nobody serves.
constexpr std::uint32_t missingNode = 4000;

std::string toolPath()
{
    return qEnvironmentVariable("QUILLET_BIN_DIR").toStdString() + "/quillet-screencapture";
}

bool exists(const std::string& path)
{
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0;
}

// The tool on the cast, with the connection as its descriptor 3 (closed here once handed over).
std::unique_ptr<ChildProcess> startTool(std::uint32_t node, const std::string& movie,
                                        const std::vector<std::string>& extra = {})
{
    const int connection = MutterScreenCast::connectToPipeWire();
    std::vector<std::string> arguments{toolPath(), "-v", "-x", "--pipewire-fd", "3", "--pipewire-node",
                                       std::to_string(node)};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    arguments.push_back(movie);
    auto tool = std::make_unique<ChildProcess>(arguments, ChildProcess::baseEnvironment({}), std::string(),
                                               connection);
    if (connection >= 0) {
        ::close(connection);
    }
    return tool;
}

std::string frameRate(const std::string& movie)
{
    const std::string output = movie + ".rate";
    ChildProcess::run({"ffprobe", "-v", "error", "-select_streams", "v", "-show_entries", "stream=r_frame_rate",
                       "-of", "default=nw=1:nk=1", "-o", output, movie},
                      ChildProcess::baseEnvironment({}));
    std::string rate;
    if (FILE* file = std::fopen(output.c_str(), "r")) {
        char line[64] = {};
        rate = std::fgets(line, sizeof(line), file) ? std::string(line) : std::string();
        std::fclose(file);
    }
    return rate.substr(0, rate.find('\n'));
}

// The frames the tool said it lost to a busy machine ("N of M frames lost (…)"), 0 when it said none.
int reportedLostFrames(const std::string& standardError)
{
    std::smatch lost;
    return std::regex_search(standardError, lost, std::regex("([0-9]+) of [0-9]+ frames lost"))
               ? std::stoi(lost[1])
               : 0;
}

// H.264 in 4:2:0 at a constant 30 frames a second, a key frame every second, lasting `seconds`: every
// slot of the schedule has its frame, but for those the tool reported lost (other tests may share the
// machine; a lost frame leaves its slot empty and is said so).
::testing::AssertionResult isSteadyMovie(const testing::Movie& movie, const std::string& path, double seconds,
                                         const std::string& standardError)
{
    const testing::MovieTrack* video = movie.track("video");
    if (!movie.isReadable || video == nullptr) {
        return ::testing::AssertionFailure() << "unreadable: " << movie.problem;
    }
    if (video->codec != "h264" || video->pixelFormat != "yuv420p" || frameRate(path) != "30/1") {
        return ::testing::AssertionFailure() << video->codec << " " << video->pixelFormat << " " << frameRate(path);
    }
    const double duration = movie.videoDuration();
    const double frames = double(movie.videoFrameTimes.size()) + reportedLostFrames(standardError);
    if (std::abs(duration - seconds) > durationTolerance || std::abs(frames - duration * framesPerSecond) > 2) {
        return ::testing::AssertionFailure() << frames << " frames (lost ones included) in " << duration << " s";
    }
    for (std::size_t i = 1; i < movie.keyFrameTimes.size(); ++i) {
        if (movie.keyFrameTimes[i] - movie.keyFrameTimes[i - 1] > longestKeyFrameGap) {
            return ::testing::AssertionFailure() << "no key frame from " << movie.keyFrameTimes[i - 1] << " s";
        }
    }
    return ::testing::AssertionSuccess();
}

enum class Source {
    monitor, // mutter's cast of the animated monitor
    silent,  // agrees on a format, sends no picture
    missing,
};

enum class Ending {
    stopSignal, // as the app's Stop button
    castEnds,   // the user stops sharing from the desktop
    none,
};

struct CastCase {
    const char* name;
    Source source;
    Ending ending;
    std::chrono::milliseconds endAfter;
    int exitCode;
    std::optional<double> movieSeconds; // no file without
};

void PrintTo(const CastCase& c, std::ostream* out)
{
    *out << c.name;
}

class CastRecording : public ::testing::TestWithParam<CastCase> {};

TEST_P(CastRecording, EndsAsAskedWithACompleteMovieOrNone)
{
    const CastCase& c = GetParam();
    QTemporaryDir folder;
    const std::string movie = folder.filePath(QStringLiteral("cast.mov")).toStdString();
    std::optional<MutterScreenCast> cast;
    std::optional<testing::SilentVideoSource> silent;
    std::optional<std::uint32_t> node = missingNode;
    switch (c.source) {
    case Source::monitor:
        node = cast.emplace().node();
        break;
    case Source::silent:
        node = silent.emplace().node();
        break;
    case Source::missing:
        break;
    }
    ASSERT_TRUE(node) << "no stream to record";
    const auto tool = startTool(*node, movie);
    // The movie's length counts from its first frame, when the file is made: how long the compositor
    // takes to send its first picture is not the tool's to keep.
    if (c.movieSeconds) {
        ASSERT_TRUE(testing::waitFor([&] { return exists(movie); }, 10s)) << tool->standardErrorSoFar();
    }
    testing::runEventLoop(c.endAfter);
    const Clock::time_point endedAt = Clock::now();
    switch (c.ending) {
    case Ending::stopSignal:
        ASSERT_TRUE(tool->signal(SIGINT)) << tool->wait(0ms).standardError;
        break;
    case Ending::castEnds:
        cast->stop();
        break;
    case Ending::none:
        break;
    }
    const auto result = tool->wait(20s);
    const auto took = Clock::now() - endedAt;
    EXPECT_EQ(result.exitCode, c.exitCode) << result.standardError;
    if (c.ending == Ending::castEnds) {
        EXPECT_LT(took, 1s);
    }
    if (!c.movieSeconds) {
        EXPECT_FALSE(exists(movie));
        // Success says nothing; a failure says why on one line.
        EXPECT_EQ(std::count(result.standardError.begin(), result.standardError.end(), '\n'), c.exitCode == 0 ? 0 : 1)
            << result.standardError;
        if (c.source == Source::silent && c.exitCode != 0) {
            // Started again and again while no picture came, not once only.
            std::smatch restarts;
            ASSERT_TRUE(std::regex_search(result.standardError, restarts, std::regex("restarted ([0-9]+) times")))
                << result.standardError;
            EXPECT_GE(std::stoi(restarts[1]), 5) << result.standardError;
        }
        return;
    }
    EXPECT_TRUE(isSteadyMovie(testing::probeMovie(movie), movie, *c.movieSeconds, result.standardError));
}

INSTANTIATE_TEST_SUITE_P(
    Cast, CastRecording,
    ::testing::Values(CastCase{"stoppedAfterThreeSeconds", Source::monitor, Ending::stopSignal, 3000ms, 0, 3.0},
                      CastCase{"castEndedByTheDesktop", Source::monitor, Ending::castEnds, 2000ms, 0, 2.0},
                      CastCase{"stoppedBeforeAnyPicture", Source::silent, Ending::stopSignal, 2000ms, 0, std::nullopt},
                      CastCase{"castThatSendsNothing", Source::silent, Ending::none, 0ms, 1, std::nullopt},
                      CastCase{"castThatIsNotThere", Source::missing, Ending::none, 0ms, 1, std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

// A screen that does not change sends no pictures after the first: the movie holds it at the full
// rate all the same. Needs the rig without its animated client (RIG_CONTENT=none).
TEST(CastOnStillScreen, AreaOverAWindowOfKnownColour)
{
    testing::ColourWindow window;
    window.showFullScreen();
    ASSERT_TRUE(testing::waitFor([&] { return window.isShown(); }, 20s));
    QTemporaryDir folder;
    const std::string movie = folder.filePath(QStringLiteral("area.mov")).toStdString();
    MutterScreenCast cast(MutterScreenCast::Pointer::hidden);
    const auto node = cast.node();
    ASSERT_TRUE(node);
    // Odd sizes lose their last column and row.
    const auto tool = startTool(*node, movie, {"--crop", "101,61,641,361"});
    testing::runEventLoop(3s);
    ASSERT_TRUE(tool->signal(SIGINT));
    const auto result = tool->wait(20s);
    ASSERT_EQ(result.exitCode, 0) << result.standardError;
    const testing::Movie probed = testing::probeMovie(movie);
    EXPECT_TRUE(isSteadyMovie(probed, movie, 3.0, result.standardError));
    const testing::MovieTrack* video = probed.track("video");
    ASSERT_NE(video, nullptr);
    EXPECT_EQ(QSize(video->width, video->height), QSize(640, 360));
    const auto frames = testing::decodeFrames(movie, 640, 360);
    ASSERT_FALSE(frames.empty());
    EXPECT_TRUE(testing::showsWindowColour(frames[frames.size() / 2]));
    EXPECT_TRUE(testing::showsWindowColour(frames.back()));
}

} // namespace
} // namespace quillet

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
