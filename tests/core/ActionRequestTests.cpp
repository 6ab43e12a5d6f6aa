#include "core/ActionRequest.hpp"

#include <gtest/gtest.h>

namespace quillet {
namespace {

struct RequestCase {
    const char* name;
    std::vector<std::string> arguments;
    std::optional<CaptureAction> action;
    bool isError;

    friend void PrintTo(const RequestCase& c, std::ostream* out) { *out << c.name; }
};

class ActionRequestParse : public testing::TestWithParam<RequestCase> {};

TEST_P(ActionRequestParse, TakesOneKnownActionAndExplainsEveryFault)
{
    const auto& c = GetParam();
    const ActionRequest request = ActionRequest::parse(c.arguments);
    EXPECT_EQ(request.action, c.action) << c.name;
    EXPECT_EQ(!request.error.empty(), c.isError) << c.name << ": " << request.error;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ActionRequestParse,
    testing::Values(
        RequestCase{"no arguments", {"quillet"}, std::nullopt, false},
        RequestCase{"other options pass", {"q", "--snapshot", "d", "-platform", "xcb"}, std::nullopt, false},
        RequestCase{"screen", {"q", "--action", "screen"}, CaptureAction::screen, false},
        RequestCase{"equals form", {"q", "--action=area"}, CaptureAction::area, false},
        RequestCase{
            "record is the recording", {"q", "-x", "--action", "record"}, CaptureAction::recording, false},
        RequestCase{
            "the enum's own name is not a command", {"q", "--action", "recording"}, std::nullopt, true},
        RequestCase{"names are exact", {"q", "--action", "Screen"}, std::nullopt, true},
        RequestCase{"missing value", {"q", "--action"}, std::nullopt, true},
        RequestCase{"empty value", {"q", "--action="}, std::nullopt, true},
        RequestCase{"the value is never an option skipped",
                    {"q", "--action", "--action", "screen"},
                    std::nullopt,
                    true},
        RequestCase{"twice", {"q", "--action", "screen", "--action=screen"}, std::nullopt, true}));

TEST(ActionRequestParse, TheErrorQuotesTheUnknownName)
{
    const ActionRequest request = ActionRequest::parse({"q", "--action", "shot"});
    EXPECT_NE(request.error.find("\"shot\""), std::string::npos) << request.error;
    EXPECT_NE(request.error.find("screen, area or record"), std::string::npos) << request.error;
}

} // namespace
} // namespace quillet
