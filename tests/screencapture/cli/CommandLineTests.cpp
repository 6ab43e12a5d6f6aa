#include "tests/screencapture/CaptureToolTest.hpp"

#include <algorithm>

namespace quillet::testing {
namespace {

int lineCount(const std::string& text)
{
    return int(std::count(text.begin(), text.end(), '\n'));
}

struct BadArguments {
    const char* name;
    std::vector<std::string> arguments; // "OUT" stands for the output path
};

void PrintTo(const BadArguments& c, std::ostream* out)
{
    *out << c.name;
}

class CommandLine : public CaptureToolTest, public ::testing::WithParamInterface<BadArguments> {
protected:
    void SetUp() override { startServer("320x200x24"); }

    [[nodiscard]] std::vector<std::string> withOutput(std::vector<std::string> arguments) const
    {
        std::replace(arguments.begin(), arguments.end(), std::string("OUT"), outputPath());
        return arguments;
    }
};

TEST_P(CommandLine, BadArgumentsExitTwoWithOneLineAndNoFile)
{
    const auto result = runTool(withOutput(GetParam().arguments));
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(lineCount(result.standardError), 1) << result.standardError;
    EXPECT_FALSE(exists(outputPath()));
}

INSTANTIATE_TEST_SUITE_P(CaptureTool, CommandLine,
                         ::testing::Values(BadArguments{"nothing", {}},
                                           BadArguments{"unknownFlag", {"-z", "OUT"}},
                                           BadArguments{"malformedRegion", {"-R", "1,2,3", "OUT"}},
                                           BadArguments{"emptyRegion", {"-R", "0,0,0,0", "OUT"}},
                                           BadArguments{"missingPath", {"-R", "0,0,10,10"}},
                                           BadArguments{"bothModes", {"-R", "0,0,10,10", "-i", "OUT"}},
                                           BadArguments{"recordingWithoutRegion", {"-v", "-x", "-k", "OUT"}},
                                           BadArguments{"twoPaths", {"-R", "0,0,10,10", "OUT", "OUT"}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(CommandLine, HelpExitsZeroQuietly)
{
    const auto result = runTool({"--help"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_TRUE(result.standardError.empty());
}

// A still starts without the toolkit and the recording libraries, which only the interactive pick and
// recording load.
TEST_F(CommandLine, AStillLoadsNeitherTheToolkitNorTheRecordingLibraries)
{
    auto environment = ChildProcess::baseEnvironment(display());
    environment["LD_DEBUG"] = "files";
    const auto still = ChildProcess::run({toolPath(), "-x", "-R", "0,0,10,10", outputPath()}, environment);
    EXPECT_EQ(still.exitCode, 0) << still.standardError;
    EXPECT_TRUE(exists(outputPath()));
    EXPECT_NE(still.standardError.find("file=libxcb.so"), std::string::npos) << "the loader reported";
    for (const char* library : {"libQt6Core", "libQt6Widgets", "libavcodec", "libpulse", "libyuv"}) {
        EXPECT_EQ(still.standardError.find(library), std::string::npos) << library;
    }
}

struct NoDisplay {
    const char* name;
    const char* display; // empty: DISPLAY not set
    const char* session; // XDG_SESSION_TYPE, empty: not set
    bool usesTestServer; // DISPLAY is the test server
};

void PrintTo(const NoDisplay& c, std::ostream* out)
{
    *out << c.name;
}

class CaptureWithoutX11 : public CaptureToolTest, public ::testing::WithParamInterface<NoDisplay> {
protected:
    void SetUp() override { startServer("320x200x24"); }
};

TEST_P(CaptureWithoutX11, ExitsThreeWithOneLineAndNoFile)
{
    const auto& c = GetParam();
    auto environment = ChildProcess::baseEnvironment(c.usesTestServer ? display() : std::string(c.display));
    if (*c.session != '\0') {
        environment["XDG_SESSION_TYPE"] = c.session;
    }
    for (const std::vector<std::string>& mode :
         {std::vector<std::string>{"-R", "0,0,10,10"}, {"-i"}, {"-v", "-x", "-R", "0,0,10,10"}}) {
        std::vector<std::string> command{toolPath()};
        command.insert(command.end(), mode.begin(), mode.end());
        command.push_back(outputPath());
        const auto result = ChildProcess::run(command, environment);
        EXPECT_EQ(result.exitCode, 3) << mode.front();
        EXPECT_EQ(lineCount(result.standardError), 1) << result.standardError;
        EXPECT_FALSE(exists(outputPath()));
    }
}

INSTANTIATE_TEST_SUITE_P(CaptureTool, CaptureWithoutX11,
                         ::testing::Values(NoDisplay{"displayNotSet", "", "", false},
                                           NoDisplay{"noSuchServer", ":4999", "", false},
                                           NoDisplay{"waylandSession", "", "wayland", true}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace quillet::testing
