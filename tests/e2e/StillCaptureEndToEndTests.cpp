// A screen capture as the user's shortcut makes it: the application state runs the real capture tool
// on the test's X server, encodes with the real encoder and writes into the chosen folder.
#include "Quillet/app/AppState.hpp"
#include "Quillet/common/WindowsHiddenForGrab.hpp"
#include "Quillet/thumbnails/ThumbnailStack.hpp"
#include "kit-core/InMemoryPreferenceStore.hpp"

#include "tests/Quillet/app/FakeComponents.hpp"
#include "tests/support/LogCapture.hpp"
#include "tests/support/WaitFor.hpp"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QWidget>

#include <array>
#include <cstdlib>
#include <gtest/gtest.h>
#include <webp/decode.h>

namespace quillet {
namespace {

using namespace std::chrono_literals;

struct Block {
    QRect rect;
    QColor color;
};

// A window over the whole screen in four colours, so that every quarter of a capture is known.
class PatternWindow : public QWidget {
public:
    explicit PatternWindow(const QRect& screen)
        : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint)
    {
        const int halfWidth = screen.width() / 2;
        const int halfHeight = screen.height() / 2;
        blocks = {
            Block{QRect(0, 0, halfWidth, halfHeight), QColor(220, 40, 40)},
            Block{QRect(halfWidth, 0, screen.width() - halfWidth, halfHeight), QColor(30, 170, 60)},
            Block{QRect(0, halfHeight, halfWidth, screen.height() - halfHeight), QColor(40, 60, 210)},
            Block{QRect(halfWidth, halfHeight, screen.width() - halfWidth, screen.height() - halfHeight),
                  QColor(240, 240, 240)}};
        setGeometry(screen);
        // Another program's window as far as the capture is concerned.
        setProperty(WindowsHiddenForGrab::foreignWindowProperty, true);
    }

    std::array<Block, 4> blocks;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        for (const auto& block : blocks) {
            painter.fillRect(block.rect, block.color);
        }
        painted = true;
    }

public:
    bool painted = false;
};

struct Decoded {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;
};

Decoded decode(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QByteArray bytes = file.readAll();
    Decoded result;
    std::uint8_t* pixels =
        WebPDecodeRGBA(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                       static_cast<std::size_t>(bytes.size()), &result.width, &result.height);
    if (pixels != nullptr) {
        result.rgba.assign(pixels, pixels + static_cast<std::size_t>(result.width) * result.height * 4);
        WebPFree(pixels);
    }
    return result;
}

TEST(StillCaptureEndToEnd, AScreenCaptureWritesAWebPOfTheScreenIntoTheChosenFolder)
{
    const QString tool = qEnvironmentVariable("QUILLET_BIN_DIR") + "/quillet-screencapture";
    if (!QFile::exists(tool)) {
        GTEST_SKIP() << "the capture tool is not built: " << tool.toStdString();
    }
    QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);
    PatternWindow pattern(screen->geometry());
    pattern.show();
    ASSERT_TRUE(testing::waitFor([&pattern] { return pattern.painted; }));
    testing::runEventLoop(200ms); // let the server finish drawing

    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const QString folder = home.filePath("Pictures/Screenshots");
    brindle::InMemoryPreferenceStore preferences;
    preferences.set(brindle::PropertyList(folder.toStdString()), "folder");

    testing::FakeComponents fakes = testing::fakeComponents(tool);
    AppState::Components& components = fakes.components;
    auto thumbnails = std::make_unique<ThumbnailStack>();
    ThumbnailStack* stack = thumbnails.get();
    components.thumbnails = std::move(thumbnails);
    components.screenRecording.reset(); // the program's own check, on the test's server
    AppState state(preferences, false, std::move(components));

    testing::LogCapture log;
    state.perform(CaptureAction::screen);
    // The card comes up while the file is still being written; it takes the file's address once complete.
    ASSERT_TRUE(testing::waitFor(
        [stack] { return !stack->stack().items().empty() && !stack->stack().items().front().url.isEmpty(); },
        30s));

    const QStringList files = QDir(folder).entryList(QDir::Files);
    ASSERT_EQ(files.size(), 1);
    static const QRegularExpression dateName(
        R"(^Screenshot \d{4}-\d{2}-\d{2} at \d{2}\.\d{2}\.\d{2}\.webp$)");
    EXPECT_TRUE(dateName.match(files[0]).hasMatch()) << files[0].toStdString();
    const QString path = QDir(folder).filePath(files[0]);
    EXPECT_EQ(stack->stack().items().front().url, QUrl::fromLocalFile(path));
    EXPECT_TRUE(log.texts("app.quillet.Quillet.capture").back().startsWith("saved ")) << "and nothing after";

    const QString webpinfo = QStandardPaths::findExecutable("webpinfo");
    if (!webpinfo.isEmpty()) {
        QProcess check;
        check.start(webpinfo, {path});
        ASSERT_TRUE(check.waitForFinished());
        EXPECT_EQ(check.exitCode(), 0) << check.readAllStandardOutput().toStdString();
    }

    const Decoded image = decode(path);
    const QSize expectedSize = screen->geometry().size() * screen->devicePixelRatio();
    ASSERT_EQ(QSize(image.width, image.height), expectedSize);
    const double ratio = screen->devicePixelRatio();
    for (const auto& block : pattern.blocks) {
        const QPoint centre = block.rect.center() * ratio;
        const std::size_t i = (static_cast<std::size_t>(centre.y()) * image.width + centre.x()) * 4;
        const std::array<int, 4> actual{image.rgba[i], image.rgba[i + 1], image.rgba[i + 2],
                                        image.rgba[i + 3]};
        const std::array<int, 4> expected{block.color.red(), block.color.green(), block.color.blue(), 255};
        for (std::size_t c = 0; c < 4; ++c) {
            EXPECT_LE(std::abs(actual[c] - expected[c]), 8)
                << "block at " << block.rect.x() << "," << block.rect.y() << " component " << c;
        }
    }
}

} // namespace
} // namespace quillet
