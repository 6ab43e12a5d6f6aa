#include "tests/screencapture/recording/RecordingTest.hpp"
#include "tests/support/WaitFor.hpp"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <thread>

namespace quillet::testing {
namespace {

using namespace std::chrono_literals;

int lineCount(const std::string& text)
{
    return int(std::count(text.begin(), text.end(), '\n'));
}

// A private sound server with no sound card: a null sink "speakers" playing a 440 Hz tone, whose
// monitor follows the latency a recorder asks for, and a 440 Hz sine source "sine", which hands out
// its samples two seconds at a time.
class SoundRecording : public RecordingTest {
protected:
    void SetUp() override
    {
        startServer("320x240x24");
        const std::string runtime = outputPath("pulse");
        std::filesystem::create_directory(runtime);
        std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
        const std::string socket = runtime + "/native";
        sound_ = {{"PULSE_SERVER", "unix:" + socket}};
        auto environment = ChildProcess::baseEnvironment({});
        environment["XDG_RUNTIME_DIR"] = runtime;
        environment["HOME"] = runtime;
        server_ = std::make_unique<ChildProcess>(
            std::vector<std::string>{"pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1",
                                     "--load=module-native-protocol-unix socket=" + socket,
                                     "--load=module-null-sink sink_name=speakers",
                                     "--load=module-sine sink=speakers frequency=440",
                                     "--load=module-sine-source source_name=sine rate=48000 frequency=440"},
            environment);
        ASSERT_TRUE(waitFor([&] { return std::filesystem::exists(socket); }, 20s)) << "no sound server";
    }

    void pactl(const std::vector<std::string>& arguments) const
    {
        std::vector<std::string> command{"pactl"};
        command.insert(command.end(), arguments.begin(), arguments.end());
        auto environment = ChildProcess::baseEnvironment({});
        environment.insert(sound_.begin(), sound_.end());
        const auto result = ChildProcess::run(command, environment);
        ASSERT_EQ(result.exitCode, 0) << result.standardError;
    }

    ChildProcess::Result recordFor(
        std::chrono::milliseconds duration, const std::vector<std::string>& microphone,
        const std::function<void()>& meanwhile = [] {})
    {
        auto tool = startRecording("0,0,320,240", microphone, sound_);
        EXPECT_TRUE(waitForFirstFrame());
        meanwhile();
        std::this_thread::sleep_for(duration);
        return interrupt(*tool);
    }

    std::map<std::string, std::string> sound_;
    std::unique_ptr<ChildProcess> server_;
};

TEST_F(SoundRecording, RecordsTheInputUntilItGoesAwayAndRefusesAMissingOne)
{
    // The default input: the tone, on the picture's clock from start to end.
    pactl({"set-default-source", "speakers.monitor"});
    auto result = recordFor(3s, {"-g"});
    EXPECT_EQ(result.exitCode, 0) << result.standardError;
    EXPECT_EQ(problems(result.standardError), "");
    Movie movie = probeMovie(moviePath());
    ASSERT_TRUE(movie.isReadable) << movie.problem;
    ASSERT_NE(movie.track("audio"), nullptr);
    EXPECT_EQ(movie.track("audio")->codec, "aac");
    EXPECT_GT(meanVolume(moviePath()), -30.0); // silence would be about -91 dB
    EXPECT_NEAR(movie.audioDuration, movie.videoDuration(), 0.2);

    // The named input goes away halfway: the sound ends, the picture goes on to the interrupt.
    std::filesystem::remove(moviePath());
    result = recordFor(3s, {"-G", "sine"}, [&] {
        std::this_thread::sleep_for(1500ms);
        pactl({"unload-module", "module-sine-source"});
    });
    EXPECT_EQ(result.exitCode, 0) << result.standardError;
    EXPECT_EQ(lineCount(problems(result.standardError)), 1) << result.standardError;
    EXPECT_NE(result.standardError.find("'sine' went away"), std::string::npos) << result.standardError;
    movie = probeMovie(moviePath());
    ASSERT_TRUE(movie.isReadable) << movie.problem;
    EXPECT_GT(movie.videoDuration(), 4.0);

    // A named input that does not exist fails at once, before any file.
    std::filesystem::remove(moviePath());
    result = ChildProcess::run({toolPath(), "-v", "-x", "-R", "0,0,320,240", "-G", "sine", moviePath()}, [&] {
        auto environment = ChildProcess::baseEnvironment(display());
        environment.insert(sound_.begin(), sound_.end());
        return environment;
    }());
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(lineCount(result.standardError), 1) << result.standardError;
    EXPECT_FALSE(exists(moviePath()));
}

} // namespace
} // namespace quillet::testing
