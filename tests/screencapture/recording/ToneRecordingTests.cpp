#include "tests/screencapture/recording/RecordingTest.hpp"
#include "tests/support/PulseAudioServer.hpp"
#include "tests/support/WaitFor.hpp"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <thread>

namespace quillet::testing {
namespace {

using namespace std::chrono_literals;

constexpr int sampleRate = 48'000;
constexpr double window = 0.01; // seconds of sound judged at a time
// The tone's windows have a level of about 0.35; silence, and the edges AAC smears, stay far below.
constexpr double loudLevel = 0.1;

// Where the decoded sound is loud, as runs of whole windows, in seconds of the movie.
struct Span {
    double start = 0;
    double end = 0;
};

std::vector<Span> loudSpans(const std::vector<float>& samples, double offset)
{
    const auto windowSamples = std::size_t(window * sampleRate);
    std::vector<Span> spans;
    bool wasLoud = false;
    for (std::size_t first = 0; first + windowSamples <= samples.size(); first += windowSamples) {
        double energy = 0;
        for (std::size_t i = first; i < first + windowSamples; ++i) {
            energy += double(samples[i]) * samples[i];
        }
        const bool isLoud = std::sqrt(energy / double(windowSamples)) > loudLevel;
        const double at = offset + double(first) / sampleRate;
        if (isLoud && !wasLoud) {
            spans.push_back({at, at + window});
        } else if (isLoud) {
            spans.back().end = at + window;
        }
        wasLoud = isLoud;
    }
    return spans;
}

std::string describe(const std::vector<Span>& spans)
{
    std::string text;
    for (const Span& span : spans) {
        text += std::to_string(span.start) + "–" + std::to_string(span.end) + " ";
    }
    return text.empty() ? "no sound" : text;
}

// Null sinks on a private sound server, a steady 440 Hz tone played into one of them by `pacat` as a
// desktop's program would, and the tool recording that sink's monitor.
class ToneRecording : public RecordingTest {
protected:
    void SetUp() override
    {
        startServer("320x240x24");
        sound_ =
            std::make_unique<PulseAudioServer>(std::vector<std::string>{"module-null-sink sink_name=quiet"});
        ASSERT_TRUE(sound_->waitUntilReady(20s)) << "no sound server";
        environment_ = ChildProcess::baseEnvironment({});
        environment_["PULSE_SERVER"] = sound_->address();
        std::ofstream tone(tonePath(), std::ios::binary);
        for (int i = 0; i < toneSeconds * sampleRate; ++i) {
            const auto sample = float(0.5 * std::sin(2 * std::numbers::pi * 440 * i / sampleRate));
            tone.write(reinterpret_cast<const char*>(&sample), sizeof sample);
        }
    }

    // A null sink nobody listens to sleeps through blocks of up to two seconds and plays what it is
    // given only when it wakes, whoever records it; a recorder of its own keeps it awake.
    void keepTheSinkAwake()
    {
        const std::string heard = outputPath("heard.raw");
        listener_ = std::make_unique<ChildProcess>(
            std::vector<std::string>{"parec", "--latency-msec=10", "-d", "quiet.monitor", heard},
            environment_);
        ASSERT_TRUE(waitFor(
            [&] { return std::filesystem::exists(heard) && std::filesystem::file_size(heard) > 0; }, 10s))
            << "the null sink never woke";
    }

    void pactl(const std::vector<std::string>& arguments) const
    {
        std::vector<std::string> command{"pactl"};
        command.insert(command.end(), arguments.begin(), arguments.end());
        const auto result = ChildProcess::run(command, environment_);
        ASSERT_EQ(result.exitCode, 0) << result.standardError;
    }

    [[nodiscard]] std::unique_ptr<ChildProcess> playTone(const std::vector<std::string>& options = {}) const
    {
        std::vector<std::string> command{
            "pacat", "-p", "-d", "quiet", "--format=float32le", "--rate=48000", "--channels=1", "--raw"};
        command.insert(command.end(), options.begin(), options.end());
        command.push_back(tonePath());
        return std::make_unique<ChildProcess>(command, environment_);
    }

    [[nodiscard]] std::map<std::string, std::string> soundServer() const
    {
        return {{"PULSE_SERVER", sound_->address()}};
    }

    [[nodiscard]] std::string tonePath() const { return outputPath("tone.raw"); }

    static constexpr int toneSeconds = 14;
    std::unique_ptr<PulseAudioServer> sound_;
    std::unique_ptr<ChildProcess> listener_;
    std::map<std::string, std::string> environment_;
};

TEST_F(ToneRecording, AnIdleInputGivesOneRunOfToneThatEndsWhenTheInputIsUnloaded)
{
    // A remap of the sleeping sink's monitor: it sends nothing until the tone wakes the sink.
    pactl({"load-module", "module-remap-source", "master=quiet.monitor", "source_name=idle"});
    auto tool = startRecording("0,0,320,240", {"-G", "idle"}, soundServer());
    ASSERT_TRUE(waitForFirstFrame());
    std::this_thread::sleep_for(1500ms);
    auto tone = playTone();
    std::this_thread::sleep_for(1200ms);
    pactl({"unload-module", "module-remap-source"});
    std::this_thread::sleep_for(1s);
    const auto result = interrupt(*tool);
    EXPECT_EQ(result.exitCode, 0) << result.standardError;
    EXPECT_NE(result.standardError.find("'idle' went away"), std::string::npos) << result.standardError;

    // One run of tone, from when the sink played it (it starts 1.5 s in, the sink wakes up to half a
    // second later) to the unload 2.7 s in: no hole, nothing before the tone was played, nothing of what
    // was heard before the unload lost.
    const Movie movie = probeMovie(moviePath());
    const auto spans = loudSpans(decodeSound(moviePath()), movie.audioStart);
    ASSERT_EQ(spans.size(), 1u) << describe(spans);
    EXPECT_GT(spans[0].start, 1.45) << describe(spans);
    EXPECT_LT(spans[0].start, 2.2) << describe(spans);
    EXPECT_NEAR(spans[0].end, 2.7, 0.15) << describe(spans);
}

TEST_F(ToneRecording, TenSecondsOfToneStartWithThePictureAndHaveNoSilenceInserted)
{
    keepTheSinkAwake();
    // Half a second queued at the player: a busy machine that stalls pacat must not put holes in
    // the tone itself, which the recording would then faithfully keep.
    auto tone = playTone({"--latency-msec=500"});
    std::this_thread::sleep_for(1500ms);
    auto tool = startRecording("0,0,320,240", {"-G", "quiet.monitor"}, soundServer());
    ASSERT_TRUE(waitForFirstFrame());
    std::this_thread::sleep_for(10s);
    const auto result = interrupt(*tool);
    EXPECT_EQ(result.exitCode, 0) << result.standardError;
    EXPECT_EQ(problems(result.standardError), "");

    const Movie movie = probeMovie(moviePath());
    ASSERT_TRUE(movie.isReadable) << movie.problem;
    ASSERT_FALSE(movie.videoFrameTimes.empty());
    EXPECT_LT(std::abs(movie.audioStart - movie.videoFrameTimes.front()), 0.2);
    EXPECT_NEAR(movie.audioStart + movie.audioDuration, movie.videoDuration(), 0.2);
    // The tone is there from the picture's start to its end, in one piece.
    const auto spans = loudSpans(decodeSound(moviePath()), movie.audioStart);
    ASSERT_EQ(spans.size(), 1u) << describe(spans);
    EXPECT_LT(spans[0].start, 0.2) << describe(spans);
    EXPECT_GT(spans[0].end, movie.videoDuration() - 0.1) << describe(spans);
    EXPECT_GT(movie.videoDuration(), 9.5);
}

} // namespace
} // namespace quillet::testing
