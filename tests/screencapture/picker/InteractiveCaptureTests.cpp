#include "tests/screencapture/CaptureToolTest.hpp"
#include "tests/support/OtherXClient.hpp"

#include <QPainter>

#include <algorithm>
#include <chrono>
#include <thread>

namespace quillet::testing {
namespace {

using namespace std::chrono_literals;

constexpr std::uint32_t red = 0xff0000;
constexpr std::uint32_t blue = 0x0000ff;
constexpr std::uint32_t green = 0x00c000;
constexpr std::uint32_t yellow = 0xffff00;
constexpr std::uint32_t desktop = desktopColour;

// True once another client holds both the keyboard and the pointer: the picker is ready for input.
bool waitUntilInputIsGrabbed(const std::string& display, std::chrono::milliseconds timeout = 15s)
{
    OtherXClient other(display.c_str());
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        if (other.isInputGrabbedElsewhere()) {
            return true;
        }
        std::this_thread::sleep_for(50ms);
    }
    return false;
}

// Runs the picker and drives it with xdotool.
class PickerTest : public CaptureToolTest {
protected:
    // Starts the picker and returns once it holds the keyboard and the pointer.
    // Under the sanitizers the picker runs without the leak check: in some builds LeakSanitizer's own
    // tracer dies of a segmentation fault ("Tracer caught signal 11") at the picker's exit, before it
    // has looked at any block, and the tool ends aborted. The tool's other tests keep the leak check.
    [[nodiscard]] std::map<std::string, std::string> pickerEnvironment() const
    {
        auto environment = ChildProcess::baseEnvironment(display());
        if (const auto asan = environment.find("ASAN_OPTIONS"); asan != environment.end()) {
            asan->second += ":detect_leaks=0";
        }
        return environment;
    }

    std::unique_ptr<ChildProcess> startPicker()
    {
        auto picker = std::make_unique<ChildProcess>(std::vector<std::string>{toolPath(), "-i", outputPath()},
                                                     pickerEnvironment());
        EXPECT_TRUE(waitUntilInputIsGrabbed(display())) << "the picker never took the keyboard and pointer";
        return picker;
    }

    void xdotool(const std::vector<std::string>& actions) const
    {
        std::vector<std::string> command{"xdotool"};
        command.insert(command.end(), actions.begin(), actions.end());
        runX(command);
    }

    // A drag with the pointer passing through a middle point, as a hand would.
    void drag(int fromX, int fromY, int toX, int toY) const
    {
        xdotool({"mousemove", std::to_string(fromX), std::to_string(fromY), "mousedown", "1", "sleep", "0.1",
                 "mousemove", std::to_string((fromX + toX) / 2), std::to_string((fromY + toY) / 2), "sleep",
                 "0.1", "mousemove", std::to_string(toX), std::to_string(toY), "sleep", "0.1", "mouseup",
                 "1"});
    }
};

// A 1280x800 screen with the red and blue pattern at (100,100) and a green window with a yellow
// 4-pixel border at (600,300), 150x80 inside.
class InteractiveCapture : public PickerTest {
protected:
    void SetUp() override
    {
        startServer("1280x800x24");
        pattern_ = std::make_unique<XTestWindow>(display(), XTestWindow::Frame{100, 100, 200, 100}, red);
        pattern_->addBlock({100, 0, 100, 100}, blue);
        framed_ = std::make_unique<XTestWindow>(display(), XTestWindow::Frame{600, 300, 150, 80}, green, 4,
                                                yellow, false);
    }

    std::unique_ptr<XTestWindow> pattern_;
    std::unique_ptr<XTestWindow> framed_;
};

TEST_F(InteractiveCapture, DragCapturesExactlyTheDraggedArea)
{
    auto picker = startPicker();
    drag(90, 90, 290, 190);
    const auto result = picker->wait();
    ASSERT_EQ(result.exitCode, 0) << result.standardError;
    const QImage image = load(outputPath());
    ASSERT_EQ(image.size(), QSize(200, 100));
    EXPECT_EQ(image.dotsPerMeterX(), 2835);
    EXPECT_EQ(opaquePixel(image, 9, 9), desktop);
    EXPECT_EQ(opaquePixel(image, 10, 10), red);
    EXPECT_EQ(opaquePixel(image, 109, 50), red);
    EXPECT_EQ(opaquePixel(image, 110, 50), blue);
    EXPECT_EQ(opaquePixel(image, 199, 99), blue);
}

TEST_F(InteractiveCapture, DragUpwardsAndLeftwardsGivesTheSameArea)
{
    auto picker = startPicker();
    drag(290, 190, 90, 90);
    const auto result = picker->wait();
    ASSERT_EQ(result.exitCode, 0) << result.standardError;
    const QImage image = load(outputPath());
    ASSERT_EQ(image.size(), QSize(200, 100));
    EXPECT_EQ(opaquePixel(image, 10, 10), red);
}

TEST_F(InteractiveCapture, CapturesTheScreensAsTheyWereWhenThePickerOpened)
{
    auto picker = startPicker();
    pattern_->hide();
    drag(100, 100, 300, 200);
    const auto result = picker->wait();
    ASSERT_EQ(result.exitCode, 0) << result.standardError;
    const QImage image = load(outputPath());
    ASSERT_EQ(image.size(), QSize(200, 100));
    EXPECT_EQ(opaquePixel(image, 0, 0), red);
    EXPECT_EQ(opaquePixel(image, 199, 99), blue);
}

TEST_F(InteractiveCapture, SpaceThenClickCapturesTheWindowWithItsFrame)
{
    auto picker = startPicker();
    xdotool({"key", "space", "sleep", "0.2", "mousemove", "650", "330", "sleep", "0.2", "click", "1"});
    const auto result = picker->wait();
    ASSERT_EQ(result.exitCode, 0) << result.standardError;
    const QImage image = load(outputPath());
    ASSERT_EQ(image.size(), QSize(158, 88));
    EXPECT_EQ(opaquePixel(image, 0, 0), yellow);
    EXPECT_EQ(opaquePixel(image, 3, 3), yellow);
    EXPECT_EQ(opaquePixel(image, 4, 4), green);
    EXPECT_EQ(opaquePixel(image, 153, 83), green);
    EXPECT_EQ(opaquePixel(image, 157, 87), yellow);
}

TEST_F(InteractiveCapture, SpaceTwiceGoesBackToDragging)
{
    auto picker = startPicker();
    xdotool({"key", "space", "sleep", "0.1", "key", "space", "sleep", "0.1"});
    drag(620, 320, 660, 350);
    const auto result = picker->wait();
    ASSERT_EQ(result.exitCode, 0) << result.standardError;
    EXPECT_EQ(load(outputPath()).size(), QSize(40, 30));
}

struct CancelCase {
    const char* name;
    std::vector<std::string> actions;
};

void PrintTo(const CancelCase& c, std::ostream* out)
{
    *out << c.name;
}

class InteractiveCancel : public InteractiveCapture, public ::testing::WithParamInterface<CancelCase> {};

TEST_P(InteractiveCancel, LeavesNoFileAndSucceeds)
{
    auto picker = startPicker();
    xdotool(GetParam().actions);
    const auto result = picker->wait();
    EXPECT_EQ(result.exitCode, 0) << result.standardError;
    EXPECT_FALSE(exists(outputPath()));
}

INSTANTIATE_TEST_SUITE_P(
    CaptureTool, InteractiveCancel,
    ::testing::Values(CancelCase{"escape", {"key", "Escape"}},
                      CancelCase{"rightClick", {"mousemove", "200", "150", "click", "3"}},
                      CancelCase{"escapeInWindowMode", {"key", "space", "sleep", "0.1", "key", "Escape"}},
                      CancelCase{"escapeAfterAClickWithoutDrag",
                                 {"mousemove", "200", "150", "click", "1", "sleep", "0.1", "key", "Escape"}}),
    [](const auto& info) { return std::string(info.param.name); });

// A picker that cannot have the keyboard and pointer, or that nobody uses, ends by itself: one
// line, status 1, no file.
TEST_F(InteractiveCapture, GivesUpWithoutInputOrWhenLeftIdle)
{
    struct Case {
        const char* name;
        bool inputHeld;
        std::string message;
    };
    for (const Case& c : {Case{"input held", true, "cannot grab the keyboard and pointer"},
                          Case{"idle", false, "without input"}}) {
        OtherXClient other(display().c_str());
        ASSERT_TRUE(!c.inputHeld || other.holdInput()) << c.name;
        auto environment = pickerEnvironment();
        environment["QUILLET_SCREENCAPTURE_IDLE_LIMIT_MS"] = c.inputHeld ? "600000" : "500";
        ChildProcess picker({toolPath(), "-i", outputPath()}, environment);
        const auto result = picker.wait(30s);
        EXPECT_EQ(result.exitCode, 1) << c.name << ": " << result.standardError;
        EXPECT_EQ(std::count(result.standardError.begin(), result.standardError.end(), '\n'), 1)
            << result.standardError;
        EXPECT_NE(result.standardError.find(c.message), std::string::npos) << result.standardError;
        EXPECT_FALSE(exists(outputPath())) << c.name;
    }
}

TEST_F(InteractiveCapture, DragAtDoubleScaleGivesTwoPixelsPerPoint)
{
    setXftDpi(192);
    auto picker = startPicker();
    // Root pixels (100,100) to (300,200): 100 x 50 points, 200 x 100 pixels.
    drag(100, 100, 300, 200);
    const auto result = picker->wait();
    ASSERT_EQ(result.exitCode, 0) << result.standardError;
    const QImage image = load(outputPath());
    ASSERT_EQ(image.size(), QSize(200, 100));
    EXPECT_EQ(image.dotsPerMeterX(), 5669);
    EXPECT_EQ(opaquePixel(image, 0, 0), red);
    EXPECT_EQ(opaquePixel(image, 100, 0), blue);
}

// LEFT 1280x800 at the origin and RIGHT 1280x800 beside it, on one root window.
class InteractiveCaptureTwoScreens : public PickerTest {
protected:
    void SetUp() override
    {
        startServer("2560x800x24");
        splitIntoTwoScreens(1280, 1280, 800);
    }
};

TEST_F(InteractiveCaptureTwoScreens, DragOnTheSecondScreen)
{
    XTestWindow onRight(display(), {1400, 200, 100, 50}, red);
    auto picker = startPicker();
    drag(1390, 190, 1450, 230);
    const auto result = picker->wait();
    ASSERT_EQ(result.exitCode, 0) << result.standardError;
    const QImage image = load(outputPath());
    ASSERT_EQ(image.size(), QSize(60, 40));
    EXPECT_EQ(opaquePixel(image, 9, 9), desktop);
    EXPECT_EQ(opaquePixel(image, 10, 10), red);
}

// While a drag holds the left screen, the right one is dimmed too; the size label stays whole on the
// left screen when the selection runs into its corner with the pointer beyond it.
TEST_F(InteractiveCaptureTwoScreens, DraggingDimsTheOtherScreenAndKeepsTheSizeLabelOnItsScreen)
{
    auto picker = startPicker();
    xdotool({"mousemove", "1000", "600", "mousedown", "1", "sleep", "0.1", "mousemove", "1200", "700",
             "sleep", "0.1", "mousemove", "1400", "799"});
    QImage dimmed(1, 1, QImage::Format_RGB32);
    dimmed.fill(QColor::fromRgb(desktop));
    QPainter(&dimmed).fillRect(0, 0, 1, 1, QColor(0, 0, 0, 100));
    const QRgb dimmedDesktop = dimmed.pixel(0, 0);
    const std::string shot = outputPath("screen.png");
    QImage screen;
    const auto deadline = std::chrono::steady_clock::now() + 15s;
    while (std::chrono::steady_clock::now() < deadline) {
        ASSERT_EQ(runTool({"-x", "-R", "0,0,2560,800", shot}).exitCode, 0);
        screen = load(shot);
        if (screen.pixel(2000, 400) == dimmedDesktop) {
            break;
        }
        std::this_thread::sleep_for(100ms);
    }
    EXPECT_EQ(screen.pixel(2000, 400), dimmedDesktop) << "the right screen is dimmed";
    EXPECT_EQ(screen.pixel(1100, 650) & 0xffffff, desktop) << "the selection is clear";

    // The label's dark box, over the clear selection or the dimmed rest, near the left screen's corner
    // (the last row holds the selection's own dark edge). Whole, it shows its four rounded corners; cut
    // by the screen's edge, the corners on that side are square.
    const auto isLabel = [](QRgb pixel) { return qGreen(pixel) <= 40 && qBlue(pixel) <= 55; };
    QRect label;
    for (int y = 700; y < 799; ++y) {
        for (int x = 1150; x < 1280; ++x) {
            if (isLabel(screen.pixel(x, y))) {
                label |= QRect(x, y, 1, 1);
            }
        }
    }
    ASSERT_GE(label.width(), 30) << "a label is shown";
    for (const QPoint corner : {label.topLeft(), label.topRight(), label.bottomLeft(), label.bottomRight()}) {
        EXPECT_FALSE(isLabel(screen.pixel(corner)))
            << "a rounded corner at " << corner.x() << "," << corner.y();
    }
    xdotool({"key", "Escape"});
    EXPECT_EQ(picker->wait().exitCode, 0);
}

} // namespace
} // namespace quillet::testing
