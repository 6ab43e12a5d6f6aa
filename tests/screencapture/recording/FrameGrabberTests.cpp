#include "tests/screencapture/CaptureToolTest.hpp"
#include "tools/screencapture/recording/FrameGrabber.hpp"
#include "tools/screencapture/x11/XDisplay.hpp"

#include <cstdlib>
#include <cstring>
#include <optional>

namespace quillet::testing {
namespace {

using screencapture::Bitmap;
using screencapture::FrameGrabber;
using screencapture::XDisplay;

constexpr int keptGrabs = 3;
constexpr std::uint32_t colours[] = {0xd02020, 0x20c040, 0x2040d0, 0xe0c020, 0x808080, 0x10e0e0};

std::uint32_t colourAt(const Bitmap& pixels, long x, long y)
{
    std::uint32_t pixel = 0;
    std::memcpy(&pixel, pixels.row(y) + std::size_t(x) * Bitmap::bytesPerPixel, sizeof pixel);
    return pixel & 0xffffff;
}

// Through shared memory and without it (the plain replies).
class FrameGrabberKeptGrabs : public CaptureToolTest, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override
    {
        startServer("320x240x24", GetParam() ? std::vector<std::string>{}
                                             : std::vector<std::string>{"-extension", "MIT-SHM"});
        const char* before = std::getenv("DISPLAY");
        displayBefore_ = before ? std::optional<std::string>(before) : std::nullopt;
        ASSERT_EQ(setenv("DISPLAY", display().c_str(), 1), 0);
    }

    // Later tests in this process must not find the stopped server.
    void TearDown() override
    {
        if (displayBefore_) {
            setenv("DISPLAY", displayBefore_->c_str(), 1);
        } else {
            unsetenv("DISPLAY");
        }
        CaptureToolTest::TearDown();
    }

private:
    std::optional<std::string> displayBefore_;
};

// The encoder side converts a picture while the next ones are grabbed: each grab shows the screen at
// its own time, and stays so until `keptGrabs` later grabs, never overwritten by a newer one.
TEST_P(FrameGrabberKeptGrabs, EachGrabShowsItsTimeUntilItsTurnComesAgain)
{
    auto opened = XDisplay::open();
    ASSERT_TRUE(std::holds_alternative<std::unique_ptr<XDisplay>>(opened)) << std::get<std::string>(opened);
    const XDisplay& xDisplay = *std::get<std::unique_ptr<XDisplay>>(opened);
    XTestWindow window(display(), {0, 0, 320, 240}, desktopColour);
    ASSERT_TRUE(window.isOpen());
    FrameGrabber grabber(xDisplay, {10, 20, 64, 48}, keptGrabs);
    std::vector<Bitmap> grabs;
    for (std::size_t i = 0; i < std::size(colours); ++i) {
        window.addBlock({0, 0, 320, 240}, colours[i]);
        window.sync();
        grabs.push_back(grabber.grab());
        ASSERT_FALSE(grabs.back().isEmpty());
        ASSERT_EQ(grabs.back().width, 64);
        ASSERT_EQ(grabs.back().height, 48);
        for (std::size_t kept = i + 1 - std::min<std::size_t>(i + 1, keptGrabs); kept <= i; ++kept) {
            EXPECT_EQ(colourAt(grabs[kept], 0, 0), colours[kept]) << "grab " << kept << " after grab " << i;
            EXPECT_EQ(colourAt(grabs[kept], 63, 47), colours[kept]) << "grab " << kept << " after grab " << i;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Recording, FrameGrabberKeptGrabs, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "sharedMemory" : "plainReplies"; });

} // namespace
} // namespace quillet::testing
