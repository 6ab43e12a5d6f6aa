#include "Quillet/capture/Capturer.hpp"
#include "Quillet/common/ScreenGeometry.hpp"
#include "core/CaptureGeometry.hpp"

#include "tests/Quillet/capture/FakeCaptureTool.hpp"
#include "tests/support/LogCapture.hpp"
#include "tests/support/WaitFor.hpp"

#include <QFile>
#include <QPainter>

#include <cmath>
#include <csignal>
#include <gtest/gtest.h>

namespace quillet {
namespace {

using testing::FakeCaptureTool;
using Behaviour = FakeCaptureTool::Behaviour;

int dotsPerMeter(double dotsPerInch)
{
    return static_cast<int>(std::lround(dotsPerInch / 0.0254));
}

QImage pattern(int width, int height, double dotsPerInch)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(10, 20, 30));
    QPainter(&image).fillRect(0, 0, width / 2, height, QColor(200, 100, 50));
    image.setDotsPerMeterX(dotsPerMeter(dotsPerInch));
    image.setDotsPerMeterY(dotsPerMeter(dotsPerInch));
    return image;
}

class CapturerTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(tool_.isValid()); }

    // Runs one capture to its end: the still, or nothing, or why it failed.
    Capturer::Result capture(Capturer& capturer, Capturer::Mode mode)
    {
        std::optional<Capturer::Result> result;
        capturer.capture(mode, [&](Capturer::Result ended) { result = std::move(ended); });
        EXPECT_TRUE(quillet::testing::waitFor([&result] { return result.has_value(); }));
        return result.value_or(Capturer::Result::failure("never ended"));
    }

    // The failure's reason; empty for a still or a cancel.
    QString failureOf(Capturer& capturer, Capturer::Mode mode)
    {
        const auto result = capture(capturer, mode);
        return result.isSuccess() ? QString() : result.error();
    }

    FakeCaptureTool tool_;
};

TEST_F(CapturerTest, TheScreenUnderThePointerIsCapturedAtItsScaleAndTheFileRemoved)
{
    tool_.setImage(pattern(40, 30, 144));
    Capturer capturer{ScreenCaptureTool(tool_.program())};
    const auto result = capture(capturer, Capturer::Mode::screen);
    ASSERT_TRUE(result.isSuccess() && result.value().has_value());
    const auto& image = result.value();
    EXPECT_EQ(image->image.size(), QSize(40, 30));
    EXPECT_EQ(image->image.format(), QImage::Format_ARGB32_Premultiplied);
    EXPECT_EQ(image->scale, 2);
    EXPECT_EQ(image->image.pixelColor(5, 5), QColor(200, 100, 50));
    EXPECT_FALSE(capturer.isRunning());

    const QStringList arguments = tool_.arguments();
    ASSERT_EQ(arguments.size(), 5);
    EXPECT_EQ(arguments.mid(0, 3), QStringList({"-t", "raw", "-R"}));
    const Rect frame = ScreenGeometry::frame(ScreenGeometry::screenUnderPointer());
    EXPECT_EQ(arguments[3].toStdString(), ScreenGeometry::region(frame));
    EXPECT_TRUE(arguments[4].endsWith(".raw"));
    EXPECT_FALSE(QFile::exists(arguments[4]));
}

// A pick that wrote nothing is the user's cancel; a file that is no image or a tool that failed is a
// failure with its reason. No file is left either way.
TEST_F(CapturerTest, APickThatWroteNothingIsACancelAndAFailedOneSaysWhy)
{
    quillet::testing::LogCapture log;
    Capturer capturer{ScreenCaptureTool(tool_.program())};
    const std::vector<std::pair<Behaviour, QString>> cases{
        {Behaviour::writeNothing, ""},
        {Behaviour::writeGarbage, "could not read the capture: shorter than its header"},
        {Behaviour::removeOutput, "screencapture failed: cannot read the screen"}};
    for (const auto& [behaviour, reason] : cases) {
        tool_.setBehaviour(behaviour);
        const auto result = capture(capturer, Capturer::Mode::interactive);
        EXPECT_EQ(result.isSuccess() ? QString() : result.error(), reason);
        EXPECT_FALSE(result.isSuccess() && result.value().has_value()) << reason.toStdString();
        const QStringList arguments = tool_.arguments();
        ASSERT_EQ(arguments.size(), 4);
        EXPECT_EQ(arguments[2], "-i");
        EXPECT_FALSE(QFile::exists(arguments[3]));
        EXPECT_FALSE(capturer.isRunning());
    }
    EXPECT_TRUE(log.texts("app.quillet.Quillet.capture").empty()) << "the caller logs the outcome, once";
}

TEST_F(CapturerTest, ASecondRequestDuringACaptureGetsNothingAtOnce)
{
    tool_.setImage(pattern(8, 8, 72));
    tool_.setBehaviour(Behaviour::writeImage, 0.3);
    Capturer capturer{ScreenCaptureTool(tool_.program())};
    std::optional<Capturer::Result> first;
    capturer.capture(Capturer::Mode::screen, [&](Capturer::Result result) { first = std::move(result); });
    EXPECT_TRUE(capturer.isRunning());
    bool secondDone = false;
    capturer.capture(Capturer::Mode::interactive, [&](Capturer::Result result) {
        EXPECT_TRUE(result.isSuccess() && !result.value().has_value());
        secondDone = true;
    });
    EXPECT_TRUE(secondDone) << "answered at once";
    ASSERT_TRUE(quillet::testing::waitFor([&first] { return first.has_value(); }));
    EXPECT_TRUE(first->isSuccess() && first->value().has_value());
    EXPECT_EQ(tool_.arguments().value(2), "-R") << "the second request started no tool";
}

// A hung, crashed or babbling tool costs that one still, as a failure that says why: no file is left,
// a hung tool is stopped and the next request captures again.
TEST_F(CapturerTest, AToolThatHangsCrashesOrWritesGarbageCostsOnlyThatStill)
{
    Capturer capturer{ScreenCaptureTool(tool_.program(), std::chrono::milliseconds(300))};
    const std::vector<std::pair<Behaviour, QString>> cases{
        {Behaviour::hang, "screencapture did not finish within 300 ms; stopped it"},
        {Behaviour::crash, "screencapture crashed"},
        {Behaviour::writeGarbage, "could not read the capture: shorter than its header"}};
    for (const auto& [behaviour, reason] : cases) {
        tool_.setBehaviour(behaviour);
        EXPECT_EQ(failureOf(capturer, Capturer::Mode::screen), reason);
        EXPECT_FALSE(QFile::exists(tool_.arguments().value(4)));
        EXPECT_FALSE(capturer.isRunning());
        EXPECT_TRUE(quillet::testing::waitFor([this] { return ::kill(tool_.pid(), 0) != 0; }))
            << "the tool is gone";
    }

    tool_.setImage(pattern(8, 8, 72));
    tool_.setBehaviour(Behaviour::writeImage);
    const auto again = capture(capturer, Capturer::Mode::screen);
    EXPECT_TRUE(again.isSuccess() && again.value().has_value());
}

TEST_F(CapturerTest, AToolThatCannotStartIsAFailureThatSaysSo)
{
    Capturer capturer{ScreenCaptureTool("/nonexistent/quillet-screencapture")};
    const QString reason = failureOf(capturer, Capturer::Mode::screen);
    EXPECT_TRUE(reason.startsWith("screencapture failed to start: ")) << reason.toStdString();
    EXPECT_FALSE(capturer.isRunning());
}

TEST_F(CapturerTest, DestroyingTheCapturerDuringACaptureStopsTheToolAndRemovesItsFile)
{
    tool_.setImage(pattern(8, 8, 72));
    tool_.setBehaviour(Behaviour::writeImage, 5);
    auto capturer = std::make_unique<Capturer>(ScreenCaptureTool(tool_.program()));
    bool called = false;
    capturer->capture(Capturer::Mode::screen, [&called](const Capturer::Result&) { called = true; });
    ASSERT_TRUE(quillet::testing::waitFor([this] { return tool_.arguments().size() == 5; }));
    const QString output = tool_.arguments()[4];
    capturer.reset();
    quillet::testing::runEventLoop(std::chrono::milliseconds(50));
    EXPECT_FALSE(called);
    EXPECT_FALSE(QFile::exists(output));
}

struct ScaleCase {
    double dotsPerInch;
    double scale;
};

class CapturerScale : public ::testing::TestWithParam<ScaleCase> {};

TEST_P(CapturerScale, IsTheResolutionOver72RoundedAndAtLeastOne)
{
    EXPECT_EQ(Capturer::scaleFor(dotsPerMeter(GetParam().dotsPerInch)), GetParam().scale);
}

INSTANTIATE_TEST_SUITE_P(Resolutions, CapturerScale,
                         ::testing::Values(ScaleCase{144, 2}, ScaleCase{72, 1}, ScaleCase{108, 2},
                                           ScaleCase{36, 1}, ScaleCase{216, 3}, ScaleCase{96, 1},
                                           ScaleCase{0, 1}));

TEST(CapturedImage, BlankExactlyWhenNoPixelIsVisibleInAnyFormat)
{
    // The formats the capturers hand over are scanned as they are, others after a reduction; a single
    // visible pixel in the last row counts either way.
    for (const auto format : {QImage::Format_RGBA8888_Premultiplied, QImage::Format_ARGB32_Premultiplied,
                              QImage::Format_ARGB32, QImage::Format_ARGB4444_Premultiplied}) {
        SCOPED_TRACE(format);
        QImage image(1000, 700, format);
        image.fill(Qt::transparent);
        EXPECT_TRUE((CapturedImage{image, 1}).isBlank());
        image.setPixelColor(999, 699, Qt::black);
        EXPECT_FALSE((CapturedImage{image, 1}).isBlank());
    }
    EXPECT_FALSE((CapturedImage{QImage(), 1}).isBlank()) << "no bitmap is not taken for a blank screen";
}

struct FrameCase {
    const char* name;
    QRect geometry; // in Qt's global coordinates
    Rect frame;     // in program coordinates
    const char* region;
};

class ScreenGeometryFrame : public ::testing::TestWithParam<FrameCase> {};

TEST_P(ScreenGeometryFrame, FlipsAgainstTheMainScreen)
{
    const QRect main(0, 0, 1440, 900);
    const auto& c = GetParam();
    const Rect frame = ScreenGeometry::frameIn(c.geometry, main);
    EXPECT_EQ(frame, c.frame) << c.name;
    EXPECT_EQ(CaptureGeometry::region(frame, main.height()), c.region) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Screens, ScreenGeometryFrame,
                         ::testing::Values(FrameCase{"main", QRect(0, 0, 1440, 900), Rect(0, 0, 1440, 900),
                                                     "0,0,1440,900"},
                                           FrameCase{"above", QRect(0, -1080, 1920, 1080),
                                                     Rect(0, 900, 1920, 1080), "0,-1080,1920,1080"},
                                           FrameCase{"left", QRect(-1920, -180, 1920, 1080),
                                                     Rect(-1920, 0, 1920, 1080), "-1920,-180,1920,1080"},
                                           FrameCase{"right and below", QRect(1440, 900, 800, 600),
                                                     Rect(1440, -600, 800, 600), "1440,900,800,600"}));

TEST(ScreenGeometry, PointsFlipLikeFrames)
{
    const QRect main(0, 0, 1440, 900);
    EXPECT_EQ(ScreenGeometry::pointIn(QPointF(0, 0), main), (Point{0, 900}));
    EXPECT_EQ(ScreenGeometry::pointIn(QPointF(100, 899), main), (Point{100, 1}));
    EXPECT_EQ(ScreenGeometry::pointIn(QPointF(-5, 1000), main), (Point{-5, -100}));
}

TEST(ScreenGeometry, TheMainScreenComesFirstAndHoldsTheOrigin)
{
    const auto screens = ScreenGeometry::screens();
    ASSERT_FALSE(screens.isEmpty());
    EXPECT_EQ(screens.front(), ScreenGeometry::mainScreen());
    const Rect frame = ScreenGeometry::frame(ScreenGeometry::mainScreen());
    EXPECT_EQ(frame.origin, (Point{0, 0}));
}

} // namespace
} // namespace quillet
