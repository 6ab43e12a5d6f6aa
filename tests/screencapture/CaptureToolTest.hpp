#pragma once

#include "tests/support/ChildProcess.hpp"
#include "tests/support/XTestWindow.hpp"
#include "tests/support/XvfbServer.hpp"

#include <QImage>

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace quillet::testing {

// The colour every test server's desktop is painted in.
constexpr std::uint32_t desktopColour = 0x336699;

// Runs the built capture tool against a private X server and reads what it wrote.
class CaptureToolTest : public ::testing::Test {
protected:
    // Starts the server (WIDTHxHEIGHTxDEPTH) and paints the desktop in `desktopColour`.
    void startServer(const std::string& screen = "1280x800x24", const std::vector<std::string>& extra = {});
    void TearDown() override;

    [[nodiscard]] const std::string& display() const { return server_->display(); }
    [[nodiscard]] static std::string toolPath();
    [[nodiscard]] std::string outputPath(const std::string& name = "capture.png") const;

    ChildProcess::Result runTool(const std::vector<std::string>& arguments) const;
    // An X client program (xrandr, xrdb, xdotool...) on the test server; fails the test if it fails.
    void runX(const std::vector<std::string>& arguments, const std::string& standardInput = {}) const;
    void setXftDpi(int dpi) const;
    // Two screens side by side on one wide root window: LEFT at the origin, RIGHT after it.
    void splitIntoTwoScreens(int leftWidth, int rightWidth, int height) const;

    [[nodiscard]] static QImage load(const std::string& path);
    [[nodiscard]] static bool exists(const std::string& path);

    std::unique_ptr<XvfbServer> server_;
    std::string folder_;
};

// Pixel colour as 0xRRGGBB, with its alpha checked to be opaque.
std::uint32_t opaquePixel(const QImage& image, int x, int y);

} // namespace quillet::testing
