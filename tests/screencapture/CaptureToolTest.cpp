#include "tests/screencapture/CaptureToolTest.hpp"

#include <QImageReader>

#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>

namespace quillet::testing {

void CaptureToolTest::startServer(const std::string& screen, const std::vector<std::string>& extra)
{
    server_ = std::make_unique<XvfbServer>(screen, extra);
    ASSERT_TRUE(server_->isRunning()) << "Xvfb did not start";
    char folder[] = "/tmp/quillet-capture-test-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    folder_ = folder;
    char colour[16];
    std::snprintf(colour, sizeof colour, "#%06x", desktopColour);
    runX({"xsetroot", "-solid", colour});
}

void CaptureToolTest::TearDown()
{
    server_.reset();
    if (!folder_.empty()) {
        std::filesystem::remove_all(folder_);
    }
}

std::string CaptureToolTest::toolPath()
{
    const char* folder = std::getenv("QUILLET_BIN_DIR");
    return std::string(folder ? folder : "bin") + "/quillet-screencapture";
}

std::string CaptureToolTest::outputPath(const std::string& name) const
{
    return folder_ + "/" + name;
}

ChildProcess::Result CaptureToolTest::runTool(const std::vector<std::string>& arguments) const
{
    std::vector<std::string> command{toolPath()};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return ChildProcess::run(command, ChildProcess::baseEnvironment(display()));
}

void CaptureToolTest::runX(const std::vector<std::string>& arguments, const std::string& standardInput) const
{
    const auto result = ChildProcess::run(arguments, ChildProcess::baseEnvironment(display()), standardInput);
    ASSERT_EQ(result.exitCode, 0) << arguments.front() << ": " << result.standardError;
}

void CaptureToolTest::setXftDpi(int dpi) const
{
    runX({"xrdb", "-nocpp", "-merge"}, "Xft.dpi: " + std::to_string(dpi) + "\n");
}

void CaptureToolTest::splitIntoTwoScreens(int leftWidth, int rightWidth, int height) const
{
    // The physical sizes only need to be plausible; the first monitor takes the server's one output
    // so that the automatic whole-root monitor goes away.
    const std::string mm = "/300x" + std::to_string(height) + "/200";
    runX({"xrandr", "--setmonitor", "LEFT", std::to_string(leftWidth) + mm + "+0+0", "screen"});
    runX({"xrandr", "--setmonitor", "RIGHT",
          std::to_string(rightWidth) + mm + "+" + std::to_string(leftWidth) + "+0", "none"});
}

QImage CaptureToolTest::load(const std::string& path)
{
    QImageReader reader(QString::fromStdString(path), "png");
    return reader.read();
}

bool CaptureToolTest::exists(const std::string& path)
{
    return std::filesystem::exists(path);
}

std::uint32_t opaquePixel(const QImage& image, int x, int y)
{
    const QRgb pixel = image.pixel(x, y);
    EXPECT_EQ(qAlpha(pixel), 255) << "at " << x << "," << y;
    return pixel & 0xffffffu;
}

} // namespace quillet::testing
