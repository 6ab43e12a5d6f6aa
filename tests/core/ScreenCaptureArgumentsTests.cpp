#include "core/ScreenCaptureArguments.hpp"

#include <gtest/gtest.h>

namespace quillet {
namespace {

using Arguments = std::vector<std::string>;
using ScreenCaptureArguments::Microphone;

TEST(ScreenCaptureArguments, StillsAreNeverSilenced)
{
    EXPECT_EQ(ScreenCaptureArguments::screen("0,0,1440,900", "/tmp/a.png"),
              (Arguments{"-R", "0,0,1440,900", "/tmp/a.png"}));
    EXPECT_EQ(ScreenCaptureArguments::interactive("/tmp/b.png"), (Arguments{"-i", "/tmp/b.png"}));
}

TEST(ScreenCaptureArguments, EmptyStringsArePassedOn)
{
    EXPECT_EQ(ScreenCaptureArguments::screen("", ""), (Arguments{"-R", "", ""}));
}

struct RecordingCase {
    const char* title;
    bool showClicks;
    Microphone microphone;
    Arguments expected;
};

class Recording : public ::testing::TestWithParam<RecordingCase> {};

TEST_P(Recording, BuildsTheToolsArguments)
{
    const RecordingCase& c = GetParam();
    EXPECT_EQ(
        ScreenCaptureArguments::recording("-1920,-180,1920,1080", c.showClicks, c.microphone, "/tmp/r.mov"),
        c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    ScreenCaptureArguments, Recording,
    ::testing::Values(RecordingCase{"clicksAndDevice",
                                    true,
                                    Microphone::device("X"),
                                    {"-v", "-x", "-R", "-1920,-180,1920,1080", "-k", "-G", "X",
                                     "/tmp/r.mov"}},
                      RecordingCase{"noClicksNoSound",
                                    false,
                                    Microphone::none(),
                                    {"-v", "-x", "-R", "-1920,-180,1920,1080", "/tmp/r.mov"}},
                      RecordingCase{"systemDefaultWithoutClicks",
                                    false,
                                    Microphone::systemDefault(),
                                    {"-v", "-x", "-R", "-1920,-180,1920,1080", "-g", "/tmp/r.mov"}},
                      RecordingCase{"clicksWithoutSound",
                                    true,
                                    Microphone::none(),
                                    {"-v", "-x", "-R", "-1920,-180,1920,1080", "-k", "/tmp/r.mov"}},
                      RecordingCase{"deviceIdentifierThatLooksLikeAFlag",
                                    false,
                                    Microphone::device("-x"),
                                    {"-v", "-x", "-R", "-1920,-180,1920,1080", "-G", "-x", "/tmp/r.mov"}}),
    [](const auto& info) { return info.param.title; });

TEST(ScreenCaptureArguments, MicrophonesCompareByKindAndIdentifier)
{
    EXPECT_EQ(Microphone::device("A"), Microphone::device("A"));
    EXPECT_NE(Microphone::device("A"), Microphone::device("B"));
    EXPECT_NE(Microphone::device(""), Microphone::none());
    EXPECT_NE(Microphone::none(), Microphone::systemDefault());
}

} // namespace
} // namespace quillet
