#include "Quillet/capture/Capturer.hpp"

#include "tests/screencapture/CaptureToolTest.hpp"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <chrono>
#include <fcntl.h>
#include <future>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <xcb/xcb.h>

namespace quillet::testing {
namespace {

constexpr std::uint32_t red = 0xff0000;
constexpr std::uint32_t blue = 0x0000ff;
constexpr std::uint32_t green = 0x00c000;
constexpr std::uint32_t black = 0x000000;
constexpr std::uint32_t desktop = desktopColour;

struct Probe {
    int x;
    int y;
    std::uint32_t colour;
};

struct StillCase {
    const char* name;
    std::string region;
    int width;
    int height;
    std::vector<Probe> probes;
};

void PrintTo(const StillCase& c, std::ostream* out)
{
    *out << c.name;
}

void expectProbes(const QImage& image, const std::vector<Probe>& probes)
{
    for (const Probe& probe : probes) {
        EXPECT_EQ(opaquePixel(image, probe.x, probe.y), probe.colour)
            << std::hex << "at " << std::dec << probe.x << "," << probe.y;
    }
}

// The same rectangle written uncompressed gives the PNG's pixels, resolution and owner-only mode,
// read as the application reads it.
void expectRawLikePng(const ChildProcess::Result& result, const QImage& png, const std::string& path)
{
    ASSERT_EQ(result.exitCode, 0) << result.standardError;
    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    const auto raw = Capturer::loadRaw(QString::fromStdString(path));
    ASSERT_TRUE(raw.has_value());
    EXPECT_EQ(raw->image.convertToFormat(QImage::Format_RGB32), png.convertToFormat(QImage::Format_RGB32));
    EXPECT_EQ(raw->image.dotsPerMeterX(), png.dotsPerMeterX());
    EXPECT_EQ(raw->image.pixel(0, 0) >> 24, 0xffu) << "opaque";
}

// A 1280x800 screen: a red window at (100,100) 200x100 whose right half is a blue block, and a
// green window in the bottom-right corner.
class StillCapture : public CaptureToolTest, public ::testing::WithParamInterface<StillCase> {
protected:
    [[nodiscard]] virtual std::vector<std::string> serverArguments() const { return {}; }

    void SetUp() override
    {
        startServer("1280x800x24", serverArguments());
        pattern_ = std::make_unique<XTestWindow>(display(), XTestWindow::Frame{100, 100, 200, 100}, red);
        pattern_->addBlock({100, 0, 100, 100}, blue);
        corner_ = std::make_unique<XTestWindow>(display(), XTestWindow::Frame{1180, 700, 100, 100}, green);
    }

    std::unique_ptr<XTestWindow> pattern_;
    std::unique_ptr<XTestWindow> corner_;
};

TEST_P(StillCapture, WritesExactlyTheRectangle)
{
    const auto& c = GetParam();
    const std::string path = outputPath();
    const auto result = runTool({"-R", c.region, path});
    ASSERT_EQ(result.exitCode, 0) << result.standardError;
    const QImage image = load(path);
    ASSERT_EQ(image.width(), c.width);
    ASSERT_EQ(image.height(), c.height);
    EXPECT_FALSE(image.hasAlphaChannel());
    expectProbes(image, c.probes);
    const std::string raw = outputPath("capture.raw");
    expectRawLikePng(runTool({"-t", "raw", "-R", c.region, raw}), image, raw);
}

const std::vector<StillCase> stillCases = {
    {"window", "100,100,200,100", 200, 100, {{0, 0, red}, {99, 50, red}, {100, 50, blue}, {199, 99, blue}}},
    {"acrossTheColourEdge",
     "190,120,20,10",
     20,
     10,
     {{9, 0, red}, {9, 9, red}, {10, 0, blue}, {19, 9, blue}}},
    {"acrossTheWindowCorner", "90,95,20,10", 20, 10, {{9, 5, desktop}, {10, 4, desktop}, {10, 5, red}}},
    {"onePixel", "300,199,1,1", 1, 1, {{0, 0, desktop}}},
    {"partlyOffTheScreen",
     "1260,780,40,40",
     40,
     40,
     {{5, 5, green}, {19, 19, green}, {20, 5, black}, {5, 20, black}, {39, 39, black}}},
    {"aboveAndLeftOfTheScreen", "-10,-10,20,20", 20, 20, {{9, 9, black}, {10, 9, black}, {10, 10, desktop}}},
    {"wholeScreen", "0,0,1280,800", 1280, 800, {{0, 0, desktop}, {150, 150, red}, {1279, 799, green}}},
};

const auto caseName = [](const auto& info) { return std::string(info.param.name); };

INSTANTIATE_TEST_SUITE_P(CaptureTool, StillCapture, ::testing::ValuesIn(stillCases), caseName);

// The same screens on a server without MIT-SHM: the plain GetImage path must give the same pixels.
class StillCaptureWithoutSharedMemory : public StillCapture {
protected:
    [[nodiscard]] std::vector<std::string> serverArguments() const override
    {
        return {"-extension", "MIT-SHM"};
    }
};

TEST_P(StillCaptureWithoutSharedMemory, WritesExactlyTheRectangle)
{
    const auto& c = GetParam();
    const auto result = runTool({"-R", c.region, outputPath()});
    ASSERT_EQ(result.exitCode, 0) << result.standardError;
    const QImage image = load(outputPath());
    ASSERT_EQ(image.size(), QSize(c.width, c.height));
    expectProbes(image, c.probes);
    const std::string raw = outputPath("capture.raw");
    expectRawLikePng(runTool({"-t", "raw", "-R", c.region, raw}), image, raw);
}

INSTANTIATE_TEST_SUITE_P(CaptureTool, StillCaptureWithoutSharedMemory, ::testing::ValuesIn(stillCases),
                         caseName);

class StillCaptureFile : public CaptureToolTest {
protected:
    void SetUp() override { startServer("640x480x24"); }
};

TEST_F(StillCaptureFile, IsAnOwnerOnly72DpiPng)
{
    const auto result = runTool({"-x", "-R", "0,0,64,48", outputPath()});
    ASSERT_EQ(result.exitCode, 0) << result.standardError;
    EXPECT_TRUE(result.standardError.empty()) << result.standardError;
    struct stat info {};
    ASSERT_EQ(stat(outputPath().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(load(outputPath()).dotsPerMeterX(), 2835);
}

TEST_F(StillCaptureFile, NeedsNoGuiToolkit)
{
    // A toolkit application object would abort here for want of its platform plugin.
    auto environment = ChildProcess::baseEnvironment(display());
    environment["QT_QPA_PLATFORM"] = "no-such-platform";
    const auto result = ChildProcess::run({toolPath(), "-R", "0,0,64,48", outputPath()}, environment);
    ASSERT_EQ(result.exitCode, 0) << result.standardError;
    EXPECT_EQ(load(outputPath()).size(), QSize(64, 48));
}

TEST_F(StillCaptureFile, MissingFolderFailsOnOneLineAndWritesNothing)
{
    const std::string path = outputPath("missing/capture.png");
    const auto result = runTool({"-R", "0,0,10,10", path});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(std::count(result.standardError.begin(), result.standardError.end(), '\n'), 1)
        << result.standardError;
    EXPECT_NE(result.standardError.find(path), std::string::npos) << result.standardError;
    EXPECT_FALSE(exists(path));
}

// Paths the tool must never write through: each is refused with one line and left as it was.
TEST_F(StillCaptureFile, RefusesAnOutputThatIsNotARegularFileOrARegionNoScreenShows)
{
    const std::string target = outputPath("target.png");
    ASSERT_EQ(::close(::open(target.c_str(), O_WRONLY | O_CREAT, 0600)), 0);
    const std::string link = outputPath("link.png");
    const std::string fifo = outputPath("fifo.png");
    const std::string folder = outputPath("folder.png");
    ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
    struct Case {
        std::string region;
        std::string path;
        std::string message;
        mode_t type; // what stays at the path; 0 for nothing
    };
    for (const Case& c :
         {Case{"0,0,10,10", link, "is not a regular file", S_IFLNK},
          Case{"0,0,10,10", fifo, "is not a regular file", S_IFIFO},
          Case{"0,0,10,10", folder, "is not a regular file", S_IFDIR},
          Case{"700,0,10,10", outputPath("beside.png"), "region is outside every screen", 0},
          Case{"-50,-50,40,40", outputPath("above.png"), "region is outside every screen", 0}}) {
        const auto result = runTool({"-R", c.region, c.path});
        EXPECT_EQ(result.exitCode, 1) << c.path;
        EXPECT_EQ(std::count(result.standardError.begin(), result.standardError.end(), '\n'), 1)
            << result.standardError;
        EXPECT_NE(result.standardError.find(c.message), std::string::npos) << result.standardError;
        struct stat info {};
        const bool present = ::lstat(c.path.c_str(), &info) == 0;
        EXPECT_EQ(present ? info.st_mode & S_IFMT : 0, c.type) << c.path;
    }
    struct stat info {};
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_size, 0) << "nothing written through the link";
    const auto replaced = runTool({"-R", "0,0,10,10", target});
    EXPECT_EQ(replaced.exitCode, 0) << "an existing file is what the program hands over: "
                                    << replaced.standardError;
    EXPECT_EQ(load(target).size(), QSize(10, 10));
}

// Another client flips the whole root between two colours as fast as it can while the tool
// captures: each still must show one moment, all of one colour.
class FlickeringDesktop {
public:
    explicit FlickeringDesktop(const std::string& display)
        : connection_(xcb_connect(display.c_str(), nullptr)), painter_([this] { paint(); })
    {
        // The server's own background would be a third colour: the stills start on a painted desktop.
        firstFrame_.get_future().wait_for(std::chrono::seconds(10));
    }
    ~FlickeringDesktop()
    {
        stop_ = true;
        painter_.join();
        xcb_disconnect(connection_);
    }
    FlickeringDesktop(const FlickeringDesktop&) = delete;
    FlickeringDesktop& operator=(const FlickeringDesktop&) = delete;

private:
    void paint()
    {
        xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
        const xcb_gcontext_t context = xcb_generate_id(connection_);
        xcb_create_gc(connection_, context, screen->root, 0, nullptr);
        const xcb_rectangle_t all{0, 0, screen->width_in_pixels, screen->height_in_pixels};
        for (std::uint32_t frame = 0; !stop_; ++frame) {
            const std::uint32_t colour = frame % 2 == 0 ? red : blue;
            xcb_change_gc(connection_, context, XCB_GC_FOREGROUND, &colour);
            xcb_poly_fill_rectangle(connection_, screen->root, context, 1, &all);
            // A round trip now and then keeps the requests from piling up.
            if (frame % 4 == 0) {
                std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
            }
            if (frame == 0) {
                firstFrame_.set_value();
            }
        }
    }

    xcb_connection_t* connection_;
    std::atomic<bool> stop_ = false;
    std::promise<void> firstFrame_;
    std::thread painter_;
};

class StillCaptureTearing : public CaptureToolTest {
protected:
    void SetUp() override { startServer("1920x1080x24"); }
};

TEST_F(StillCaptureTearing, AStillIsOneMomentOfTheScreen)
{
    const FlickeringDesktop desktop(display());
    for (int attempt = 0; attempt < 12; ++attempt) {
        const auto result = runTool({"-R", "0,0,1920,1080", outputPath()});
        ASSERT_EQ(result.exitCode, 0) << result.standardError;
        const QImage image = load(outputPath());
        ASSERT_EQ(image.size(), QSize(1920, 1080));
        const std::uint32_t top = opaquePixel(image, 0, 0);
        EXPECT_TRUE(top == red || top == blue) << std::hex << top;
        for (const int y : {200, 500, 800, 1079}) {
            ASSERT_EQ(opaquePixel(image, 1919, y), top) << "torn at row " << y << " in still " << attempt;
        }
    }
}

struct ScaleCase {
    int dpi;
    std::string region;
    QSize size;
    int dotsPerMeter;
    std::vector<Probe> probes;
};

void PrintTo(const ScaleCase& c, std::ostream* out)
{
    *out << c.dpi << " dpi, " << c.region;
}

class StillCaptureScale : public CaptureToolTest, public ::testing::WithParamInterface<ScaleCase> {
protected:
    void SetUp() override
    {
        startServer("1280x800x24");
        pattern_ = std::make_unique<XTestWindow>(display(), XTestWindow::Frame{100, 100, 200, 100}, red);
        pattern_->addBlock({100, 0, 100, 100}, blue);
        setXftDpi(GetParam().dpi);
    }

    std::unique_ptr<XTestWindow> pattern_;
};

TEST_P(StillCaptureScale, FollowsXftDpi)
{
    const auto& c = GetParam();
    const auto result = runTool({"-R", c.region, outputPath()});
    ASSERT_EQ(result.exitCode, 0) << result.standardError;
    const QImage image = load(outputPath());
    EXPECT_EQ(image.size(), c.size);
    EXPECT_EQ(image.dotsPerMeterX(), c.dotsPerMeter);
    expectProbes(image, c.probes);
    const std::string raw = outputPath("capture.raw");
    expectRawLikePng(runTool({"-t", "raw", "-R", c.region, raw}), image, raw);
}

// At 192 dpi a point is two pixels: points (50,50) are the pattern's pixel corner (100,100).
INSTANTIATE_TEST_SUITE_P(
    CaptureTool, StillCaptureScale,
    ::testing::Values(ScaleCase{96, "100,100,200,100", {200, 100}, 2835, {{0, 0, red}, {100, 0, blue}}},
                      ScaleCase{192,
                                "50,50,100,50",
                                {200, 100},
                                5669,
                                {{0, 0, red}, {99, 99, red}, {100, 0, blue}, {199, 99, blue}}},
                      ScaleCase{192, "0,0,640,400", {1280, 800}, 5669, {{99, 99, desktop}, {100, 100, red}}},
                      ScaleCase{144, "0,0,100,50", {150, 75}, 4252, {{0, 0, desktop}}}),
    [](const auto& info) {
        return std::to_string(info.param.dpi) + "dpi_" + std::to_string(info.param.size.width());
    });

// One wide root split into two RandR monitors: LEFT 1280x800 at the origin, RIGHT 1280x800 at x 1280.
class StillCaptureTwoScreens : public CaptureToolTest {
protected:
    void SetUp() override
    {
        startServer("2560x800x24");
        splitIntoTwoScreens(1280, 1280, 800);
        onRight_ = std::make_unique<XTestWindow>(display(), XTestWindow::Frame{1400, 200, 100, 50}, red);
        onRight_->addBlock({50, 0, 50, 50}, blue);
        acrossBoth_ = std::make_unique<XTestWindow>(display(), XTestWindow::Frame{1260, 400, 40, 20}, green);
    }

    std::unique_ptr<XTestWindow> onRight_;
    std::unique_ptr<XTestWindow> acrossBoth_;
};

TEST_F(StillCaptureTwoScreens, CapturesTheSecondScreenAtItsOffset)
{
    const auto result = runTool({"-R", "1400,200,100,50", outputPath()});
    ASSERT_EQ(result.exitCode, 0) << result.standardError;
    const QImage image = load(outputPath());
    ASSERT_EQ(image.size(), QSize(100, 50));
    expectProbes(image, {{0, 0, red}, {49, 49, red}, {50, 0, blue}, {99, 49, blue}});
}

TEST_F(StillCaptureTwoScreens, JoinsARectangleAcrossBothScreens)
{
    const auto result = runTool({"-R", "1250,395,60,30", outputPath()});
    ASSERT_EQ(result.exitCode, 0) << result.standardError;
    const QImage image = load(outputPath());
    ASSERT_EQ(image.size(), QSize(60, 30));
    expectProbes(image, {{9, 4, desktop},
                         {10, 5, green},
                         {29, 10, green},
                         {30, 10, green},
                         {49, 24, green},
                         {50, 25, desktop}});
}

TEST_F(StillCaptureTwoScreens, ScalesTheSecondScreenFromItsOwnOrigin)
{
    // At 192 dpi RIGHT spans points 1280..1920; root pixel 1400 is point 1280 + 120 / 2.
    setXftDpi(192);
    const auto result = runTool({"-R", "1340,100,50,25", outputPath()});
    ASSERT_EQ(result.exitCode, 0) << result.standardError;
    const QImage image = load(outputPath());
    ASSERT_EQ(image.size(), QSize(100, 50));
    expectProbes(image, {{0, 0, red}, {49, 49, red}, {50, 0, blue}, {99, 49, blue}});
}

class StillCaptureUncoveredRoot : public CaptureToolTest {
protected:
    void SetUp() override
    {
        startServer("2560x800x24");
        // RIGHT covers only the top half of the root's right part: below it the desktop colour is in
        // the root window but on no screen.
        runX({"xrandr", "--setmonitor", "LEFT", "1280/300x800/200+0+0", "screen"});
        runX({"xrandr", "--setmonitor", "RIGHT", "1280/300x400/100+1280+0", "none"});
    }
};

TEST_F(StillCaptureUncoveredRoot, RootPixelsThatNoScreenShowsAreBlack)
{
    const auto result = runTool({"-R", "1300,390,20,20", outputPath()});
    ASSERT_EQ(result.exitCode, 0) << result.standardError;
    const QImage image = load(outputPath());
    ASSERT_EQ(image.size(), QSize(20, 20));
    expectProbes(image, {{0, 9, desktop}, {19, 9, desktop}, {0, 10, black}, {19, 19, black}});
}

} // namespace
} // namespace quillet::testing
