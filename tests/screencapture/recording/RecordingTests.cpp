#include "tests/screencapture/recording/RecordingTest.hpp"
#include "tests/support/WaitFor.hpp"
#include "tools/screencapture/recording/VideoEncoder.hpp"

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <pthread.h>
#include <thread>

namespace quillet::testing {
namespace {

using namespace std::chrono_literals;

constexpr std::uint32_t firstColour = 0xd02020;
constexpr std::uint32_t secondColour = 0x20c040;

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The times of the last frame before the first one whose centre shows `colour`, and of that one;
// -1 for a frame that is not there.
std::pair<double, double> timesAround(const Movie& movie, const std::vector<QImage>& frames,
                                      std::uint32_t colour)
{
    for (std::size_t i = 0; i < frames.size() && i < movie.videoFrameTimes.size(); ++i) {
        const QRgb pixel = frames[i].pixel(frames[i].width() / 2, frames[i].height() / 2);
        const auto near = [](int a, int b) { return std::abs(a - b) < 24; };
        if (near(qRed(pixel), int(colour >> 16)) && near(qGreen(pixel), int((colour >> 8) & 0xff)) &&
            near(qBlue(pixel), int(colour & 0xff))) {
            return {i > 0 ? movie.videoFrameTimes[i - 1] : -1.0, movie.videoFrameTimes[i]};
        }
    }
    return {-1, -1};
}

// The change at `changedAt` falls between the last frame without it and the first with it, to the
// precision of the test's clock (it starts when the test sees the file, which the tool creates with
// the first frame). A busy machine may lose frames around it, but never moves them in time.
void expectChangeShownAt(const Movie& movie, const std::vector<QImage>& frames, std::uint32_t colour,
                         double changedAt)
{
    constexpr double precision = 0.1;
    const auto [before, after] = timesAround(movie, frames, colour);
    EXPECT_GE(before, 0) << "no frame before the change";
    EXPECT_LE(before, changedAt + precision);
    EXPECT_GE(after, changedAt - precision);
    EXPECT_LE(after, changedAt + 0.5) << "the change came late or not at all";
}

class Recording : public RecordingTest {
protected:
    void SetUp() override { startServer("640x480x24"); }
};

// At two pixels per point, a 150×100 point region is a 300×200 pixel movie. The screen changes at
// known times after the first frame, and the movie shows each change at that time: the frames are
// stamped by the grab clock, the rate is the nominal one, and an interrupt completes the file.
TEST_F(Recording, MovieShowsTheRegionInPixelsAtTheTimesItChanged)
{
    setXftDpi(192);
    XTestWindow window(display(), {0, 0, 640, 480}, desktopColour);
    ASSERT_TRUE(window.isOpen());
    window.sync();
    auto tool = startRecording("20,20,150,100");
    ASSERT_TRUE(waitForFirstFrame());
    const auto firstFrame = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(1s);
    window.addBlock({0, 0, 640, 480}, firstColour);
    const double firstChange = secondsSince(firstFrame);
    std::this_thread::sleep_for(1s);
    window.addBlock({0, 0, 640, 480}, secondColour);
    const double secondChange = secondsSince(firstFrame);
    std::this_thread::sleep_for(1s);
    const double wallTime = secondsSince(firstFrame);
    const auto result = interrupt(*tool);
    EXPECT_EQ(result.exitCode, 0) << result.standardError;
    EXPECT_EQ(problems(result.standardError), "");

    const Movie movie = probeMovie(moviePath());
    ASSERT_TRUE(movie.isReadable) << movie.problem;
    const MovieTrack* video = movie.track("video");
    ASSERT_NE(video, nullptr);
    EXPECT_EQ(video->codec, "h264");
    EXPECT_EQ(video->pixelFormat, "yuv420p");
    EXPECT_EQ(video->width, 300);
    EXPECT_EQ(video->height, 200);
    EXPECT_NEAR(movie.videoDuration(), wallTime, wallTime * 0.05);
    EXPECT_TRUE(std::is_sorted(movie.videoFrameTimes.begin(), movie.videoFrameTimes.end()));
    // A fragment a second, so a killed recording loses at most that; frames a busy machine lost may
    // delay a key frame, never by half a second.
    ASSERT_GE(movie.keyFrameTimes.size(), 3u);
    for (std::size_t i = 1; i < movie.keyFrameTimes.size(); ++i) {
        EXPECT_LT(movie.keyFrameTimes[i] - movie.keyFrameTimes[i - 1], 1.5) << movie.keyFrameTimes[i];
    }

    const auto frames = decodeFrames(moviePath(), 300, 200);
    ASSERT_EQ(frames.size(), movie.videoFrameTimes.size());
    expectChangeShownAt(movie, frames, firstColour, firstChange);
    expectChangeShownAt(movie, frames, secondColour, secondChange);
}

int amberPixelsAround(const QImage& frame, int centreX, int centreY)
{
    int count = 0;
    for (int y = centreY - 30; y <= centreY + 30; ++y) {
        for (int x = centreX - 30; x <= centreX + 30; ++x) {
            const QRgb pixel = frame.pixel(x, y);
            count += qRed(pixel) > 160 && qGreen(pixel) > 100 && qGreen(pixel) < 220 && qBlue(pixel) < 110;
        }
    }
    return count;
}

// The pointer is drawn into every frame; with -k a click shows as a ring around it in the frames
// after it, and only there. The
// region is odd in both directions: the movie is one pixel larger each way, and the extra column and
// row repeat the edge's colours.
TEST_F(Recording, ClicksShowAsRingsAndOddSizesRepeatTheirEdges)
{
    XTestWindow window(display(), {0, 0, 640, 480}, desktopColour);
    ASSERT_TRUE(window.isOpen());
    window.addBlock({290, 0, 11, 201}, firstColour);
    window.addBlock({0, 190, 290, 11}, secondColour);
    window.sync();
    runX({"xdotool", "mousemove", "100", "80"});
    auto tool = startRecording("0,0,301,201", {"-k"});
    ASSERT_TRUE(waitForFirstFrame());
    std::this_thread::sleep_for(300ms);
    runX({"xdotool", "click", "1"});
    std::this_thread::sleep_for(1s);
    const auto result = interrupt(*tool);
    EXPECT_EQ(result.exitCode, 0) << result.standardError;

    const Movie movie = probeMovie(moviePath());
    ASSERT_TRUE(movie.isReadable) << movie.problem;
    ASSERT_EQ(movie.track("video")->width, 302);
    ASSERT_EQ(movie.track("video")->height, 202);
    const auto frames = decodeFrames(moviePath(), 302, 202);
    ASSERT_GT(frames.size(), 20u);
    EXPECT_EQ(amberPixelsAround(frames.front(), 100, 80), 0) << "a ring before the click";
    int mostAmber = 0;
    for (const QImage& frame : frames) {
        mostAmber = std::max(mostAmber, amberPixelsAround(frame, 100, 80));
    }
    EXPECT_GT(mostAmber, 100) << "no ring around the click";
    EXPECT_EQ(amberPixelsAround(frames.back(), 100, 80), 0) << "the ring did not fade";
    const QImage& last = frames.back();
    int pointerPixels = 0;
    for (int y = 72; y < 88; ++y) {
        for (int x = 92; x < 108; ++x) {
            const int grey = qGray(last.pixel(x, y));
            pointerPixels += grey < 30 || grey > 225;
        }
    }
    EXPECT_GT(pointerPixels, 10) << "no pointer in the frame";
    EXPECT_EQ(qRed(last.pixel(301, 100)), qRed(last.pixel(300, 100)));
    EXPECT_GT(qRed(last.pixel(301, 100)), 160);
    EXPECT_EQ(qGreen(last.pixel(100, 201)), qGreen(last.pixel(100, 200)));
    EXPECT_GT(qGreen(last.pixel(100, 201)), 150);
}

// A killed recording keeps every completed fragment (one a second). A busy machine may still be
// encoding the second second when the three seconds are up: the kill waits for its fragment.
TEST_F(Recording, KilledRecordingLeavesAPlayableMovie)
{
    auto tool = startRecording("0,0,320,240");
    ASSERT_TRUE(waitForFirstFrame());
    std::this_thread::sleep_for(3s);
    EXPECT_TRUE(waitFor([&] { return countBoxes(moviePath(), "moof") >= 2; }, 20s));
    tool->signal(SIGKILL);
    tool->wait();
    const Movie movie = probeMovie(moviePath());
    ASSERT_TRUE(movie.isReadable) << movie.problem;
    // Two seconds of fragments, give or take one frame: frames carry the times they were grabbed at,
    // and on a busy machine the last grab of a second may come up to a frame before its end.
    EXPECT_GE(movie.videoDuration(), 2.0 - 1.0 / screencapture::VideoEncoder::framesPerSecond);
}

// However early the interrupt comes, the tool ends by itself with success and either no file or a
// readable movie: never killed by the signal, never a broken file. It is started with the stop
// signals blocked, as the application starts it, so that one sent while the program is still being
// loaded waits for the tool's handler.
TEST_F(Recording, EarlyInterruptEndsCleanly)
{
    for (const auto delay : {0ms, 1ms, 5ms, 30ms, 150ms}) {
        SCOPED_TRACE(delay.count());
        std::filesystem::remove(moviePath());
        sigset_t stopSignals;
        sigemptyset(&stopSignals);
        sigaddset(&stopSignals, SIGINT);
        sigaddset(&stopSignals, SIGTERM);
        sigset_t previous;
        pthread_sigmask(SIG_BLOCK, &stopSignals, &previous);
        auto tool = startRecording("0,0,320,240");
        pthread_sigmask(SIG_SETMASK, &previous, nullptr);
        std::this_thread::sleep_for(delay);
        const auto result = interrupt(*tool);
        EXPECT_EQ(result.exitCode, 0) << result.standardError;
        if (exists(moviePath())) {
            const Movie movie = probeMovie(moviePath());
            EXPECT_TRUE(movie.isReadable) << movie.problem;
            EXPECT_NE(movie.track("video"), nullptr);
        }
    }
}

} // namespace
} // namespace quillet::testing
