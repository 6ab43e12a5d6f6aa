#include "tools/screencapture/cli/ArgumentParser.hpp"

#include <gtest/gtest.h>

namespace quillet::screencapture {
namespace {

struct AcceptedCase {
    const char* name;
    std::vector<std::string> arguments;
    Command expected;
};

void PrintTo(const AcceptedCase& c, std::ostream* out)
{
    *out << c.name;
}

Command regionCommand(Region region, std::string path, bool isSilent = false)
{
    Command command;
    command.mode = CaptureMode::region;
    command.region = region;
    command.isSilent = isSilent;
    command.outputPath = std::move(path);
    return command;
}

Command interactiveCommand(std::string path, bool isSilent = false)
{
    Command command;
    command.mode = CaptureMode::interactive;
    command.isSilent = isSilent;
    command.outputPath = std::move(path);
    return command;
}

Command withFormat(Command command, StillFormat format)
{
    command.stillFormat = format;
    return command;
}

Command recordingCommand(std::string path, bool showsClicks, bool usesDefault, std::optional<std::string> id)
{
    Command command;
    command.mode = CaptureMode::recording;
    command.region = Region{-10, 20, 301, 201};
    command.isSilent = true;
    command.showsClicks = showsClicks;
    command.usesDefaultMicrophone = usesDefault;
    command.microphoneID = std::move(id);
    command.outputPath = std::move(path);
    return command;
}

Command castCommand(std::optional<Region> crop, bool showsClicks)
{
    Command command;
    command.mode = CaptureMode::recording;
    command.cast = CastSource{3, 57, crop};
    command.showsClicks = showsClicks;
    command.usesDefaultMicrophone = showsClicks;
    command.outputPath = "m.mov";
    return command;
}

class AcceptedArguments : public ::testing::TestWithParam<AcceptedCase> {};

TEST_P(AcceptedArguments, ParseIntoTheCommand)
{
    const ParseResult result = ArgumentParser::parse(GetParam().arguments);
    ASSERT_TRUE(std::holds_alternative<Command>(result)) << std::get<UsageError>(result).message;
    EXPECT_EQ(std::get<Command>(result), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    ArgumentParser, AcceptedArguments,
    ::testing::Values(
        AcceptedCase{
            "region", {"-R", "0,0,1440,900", "/tmp/a.png"}, regionCommand({0, 0, 1440, 900}, "/tmp/a.png")},
        AcceptedCase{"negativeOrigin",
                     {"-R", "-1920,-180,1920,1080", "a.png"},
                     regionCommand({-1920, -180, 1920, 1080}, "a.png")},
        AcceptedCase{
            "silentFirst", {"-x", "-R", "1,2,3,4", "a.png"}, regionCommand({1, 2, 3, 4}, "a.png", true)},
        AcceptedCase{"pathBeforeOptions",
                     {"a.png", "-R", "1,2,3,4", "-x"},
                     regionCommand({1, 2, 3, 4}, "a.png", true)},
        AcceptedCase{"interactive", {"-i", "/tmp/b.png"}, interactiveCommand("/tmp/b.png")},
        AcceptedCase{"interactiveSilent", {"-i", "-x", "b.png"}, interactiveCommand("b.png", true)},
        AcceptedCase{"rawRegion",
                     {"-t", "raw", "-R", "1,2,3,4", "a.raw"},
                     withFormat(regionCommand({1, 2, 3, 4}, "a.raw"), StillFormat::raw)},
        AcceptedCase{"pngPick", {"-i", "-t", "png", "b.png"}, interactiveCommand("b.png")},
        AcceptedCase{"pathThatLooksLikeAnOption", {"-i", "--", "-odd.png"}, interactiveCommand("-odd.png")},
        AcceptedCase{"recordingWithClicksFromADevice",
                     {"-v", "-x", "-R", "-10,20,301,201", "-k", "-G", "mic.0", "m.mov"},
                     recordingCommand("m.mov", true, false, "mic.0")},
        AcceptedCase{"recordingFromTheDefaultInput",
                     {"-v", "-x", "-R", "-10,20,301,201", "-g", "m.mov"},
                     recordingCommand("m.mov", false, true, std::nullopt)},
        AcceptedCase{"silentRecording",
                     {"-v", "-x", "-R", "-10,20,301,201", "m.mov"},
                     recordingCommand("m.mov", false, false, std::nullopt)},
        AcceptedCase{"castAreaRoundedDownToEvenSizes",
                     {"-v", "--pipewire-fd", "3", "--pipewire-node", "57", "--crop", "10,20,301,201", "m.mov"},
                     castCommand(Region{10, 20, 300, 200}, false)},
        AcceptedCase{"wholeCastInAnyOrder",
                     {"--pipewire-node", "57", "-k", "-v", "-g", "--pipewire-fd", "3", "m.mov"},
                     castCommand(std::nullopt, true)}),
    [](const auto& info) { return std::string(info.param.name); });

struct RejectedCase {
    const char* name;
    std::vector<std::string> arguments;
    const char* messagePart;
};

void PrintTo(const RejectedCase& c, std::ostream* out)
{
    *out << c.name;
}

class RejectedArguments : public ::testing::TestWithParam<RejectedCase> {};

TEST_P(RejectedArguments, NameTheProblemOnOneLine)
{
    const ParseResult result = ArgumentParser::parse(GetParam().arguments);
    ASSERT_TRUE(std::holds_alternative<UsageError>(result));
    const std::string& message = std::get<UsageError>(result).message;
    EXPECT_NE(message.find(GetParam().messagePart), std::string::npos) << message;
    EXPECT_EQ(message.find('\n'), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    ArgumentParser, RejectedArguments,
    ::testing::Values(
        RejectedCase{"nothing", {}, "no capture mode"},
        RejectedCase{"onlyAPath", {"a.png"}, "no capture mode"},
        RejectedCase{"missingPath", {"-R", "0,0,10,10"}, "missing output path"},
        RejectedCase{"missingRegion", {"-R"}, "-R needs a region"},
        RejectedCase{"threeFields", {"-R", "1,2,3", "a.png"}, "malformed region '1,2,3'"},
        RejectedCase{"fiveFields", {"-R", "1,2,3,4,5", "a.png"}, "malformed region"},
        RejectedCase{"zeroWidth", {"-R", "0,0,0,10", "a.png"}, "malformed region"},
        RejectedCase{"negativeHeight", {"-R", "0,0,10,-1", "a.png"}, "malformed region"},
        RejectedCase{"spaces", {"-R", "1, 2,3,4", "a.png"}, "malformed region"},
        RejectedCase{"plusSign", {"-R", "+1,2,3,4", "a.png"}, "malformed region"},
        RejectedCase{"fraction", {"-R", "1.5,2,3,4", "a.png"}, "malformed region"},
        RejectedCase{"hugeNumber", {"-R", "0,0,99999999999999999999,4", "a.png"}, "malformed region"},
        RejectedCase{"regionTwice", {"-R", "1,2,3,4", "-R", "1,2,3,4", "a.png"}, "more than once"},
        RejectedCase{"bothModes", {"-i", "-R", "1,2,3,4", "a.png"}, "-i and -R"},
        RejectedCase{"unknownFlag", {"-q", "a.png"}, "unknown option '-q'"},
        RejectedCase{"unknownFormat", {"-t", "jpeg", "-i", "a.jpg"}, "-t: unknown format 'jpeg'"},
        RejectedCase{"formatTwice", {"-t", "raw", "-t", "raw", "-i", "a"}, "-t given more than once"},
        RejectedCase{
            "formatOfARecording", {"-v", "-t", "raw", "-R", "1,2,3,4", "a.mov"}, "only valid for stills"},
        RejectedCase{"twoPaths", {"-i", "a.png", "b.png"}, "unexpected argument 'b.png'"},
        RejectedCase{"emptyPath", {"-i", ""}, "empty"},
        RejectedCase{"standardOutput", {"-i", "-"}, "standard output"},
        RejectedCase{"recordingWithoutPath", {"-v", "-x", "-R", "1,2,3,4", "-k"}, "missing output path"},
        RejectedCase{"recordingWithoutRegion", {"-v", "a.mov"}, "-v needs -R"},
        RejectedCase{"recordingFromAnInteractivePick", {"-v", "-i", "a.mov"}, "-i and -v"},
        RejectedCase{"clicksWithoutRecording", {"-k", "-R", "1,2,3,4", "a.png"}, "-k is only valid with -v"},
        RejectedCase{
            "microphoneWithoutRecording", {"-G", "mic", "-R", "1,2,3,4", "a.png"}, "-G is only valid"},
        RejectedCase{"microphoneWithoutId", {"-v", "-R", "1,2,3,4", "-G"}, "-G needs a microphone id"},
        RejectedCase{"bothMicrophones", {"-v", "-R", "1,2,3,4", "-g", "-G", "mic", "a.mov"}, "-g and -G"},
        RejectedCase{"castWithoutNode", {"-v", "--pipewire-fd", "3", "a.mov"}, "--pipewire-fd needs --pipewire-node"},
        RejectedCase{"nodeWithoutCast", {"-v", "--pipewire-node", "5", "-R", "1,2,3,4", "a.mov"}, "needs --pipewire-fd"},
        RejectedCase{"castAndRegion",
                     {"-v", "--pipewire-fd", "3", "--pipewire-node", "5", "-R", "1,2,3,4", "a.mov"},
                     "-R and --pipewire-fd"},
        RejectedCase{"castForAStill", {"--pipewire-fd", "3", "--pipewire-node", "5", "a.png"}, "only valid with -v"},
        RejectedCase{"negativeDescriptor", {"-v", "--pipewire-fd", "-1", "--pipewire-node", "5", "a.mov"}, "a number"},
        RejectedCase{"descriptorTwice",
                     {"-v", "--pipewire-fd", "3", "--pipewire-fd", "3", "--pipewire-node", "5", "a.mov"},
                     "more than once"},
        RejectedCase{"cropOfOneColumn",
                     {"-v", "--pipewire-fd", "3", "--pipewire-node", "5", "--crop", "0,0,1,10", "a.mov"},
                     "--crop needs"},
        RejectedCase{"cropLeftOfTheStream",
                     {"-v", "--pipewire-fd", "3", "--pipewire-node", "5", "--crop", "-2,0,10,10", "a.mov"},
                     "--crop needs"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ArgumentParser, HelpWinsOverEverythingBeforeTheEndOfOptions)
{
    EXPECT_TRUE(std::holds_alternative<HelpRequest>(ArgumentParser::parse({"--help"})));
    EXPECT_TRUE(std::holds_alternative<HelpRequest>(ArgumentParser::parse({"-q", "-h"})));
    EXPECT_FALSE(std::holds_alternative<HelpRequest>(ArgumentParser::parse({"-i", "--", "--help"})));
}

TEST(ArgumentParser, UsageNamesEveryStillOption)
{
    const std::string_view usage = ArgumentParser::usage();
    for (const char* option :
         {"-R x,y,w,h", "-i", "-x", "--help", "--pipewire-fd N", "--pipewire-node ID", "--crop x,y,w,h", "Exit status"}) {
        EXPECT_NE(usage.find(option), std::string_view::npos) << option;
    }
}

} // namespace
} // namespace quillet::screencapture
