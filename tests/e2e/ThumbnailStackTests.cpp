#include "Brindle/DesktopWindow.hpp"
#include "Quillet/thumbnails/CircleButton.hpp"
#include "Quillet/thumbnails/ThumbnailCard.hpp"
#include "Quillet/thumbnails/ThumbnailPanel.hpp"
#include "Quillet/thumbnails/ThumbnailStackView.hpp"
#include "Quillet/thumbnails/Thumbnails.hpp"

#include "tests/support/DesktopHelper.hpp"
#include "tests/support/WaitFor.hpp"
#include "tests/support/XTestWindow.hpp"

#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QWindow>
#include <QtGui/qguiapplication_platform.h>

#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <xcb/shape.h>
#include <xcb/xcb.h>

namespace quillet {
namespace {

using namespace std::chrono_literals;

const QColor desktopColor(0x33, 0x66, 0xcc);
const QColor captureColor(40, 200, 90);

[[nodiscard]] xcb_connection_t* connection()
{
    return qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
}

[[nodiscard]] xcb_window_t rootWindow()
{
    return xcb_setup_roots_iterator(xcb_get_setup(connection())).data->root;
}

// The screen as the X server shows it, read back from the root window.
[[nodiscard]] QImage grabScreen(const QRect& area)
{
    const auto cookie = xcb_get_image(
        connection(), XCB_IMAGE_FORMAT_Z_PIXMAP, rootWindow(), static_cast<std::int16_t>(area.x()),
        static_cast<std::int16_t>(area.y()), static_cast<std::uint16_t>(area.width()),
        static_cast<std::uint16_t>(area.height()), ~0u);
    std::unique_ptr<xcb_get_image_reply_t, decltype(&std::free)> reply(
        xcb_get_image_reply(connection(), cookie, nullptr), &std::free);
    if (!reply) {
        return {};
    }
    const QImage view(xcb_get_image_data(reply.get()), area.width(), area.height(), area.width() * 4,
                      QImage::Format_RGB32);
    return view.copy();
}

[[nodiscard]] QColor screenPixel(QPoint point)
{
    const QImage pixel = grabScreen(QRect(point, QSize(1, 1)));
    return pixel.isNull() ? QColor() : pixel.pixelColor(0, 0);
}

[[nodiscard]] bool isNear(const QColor& a, const QColor& b, int tolerance = 3)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

int run(const QString& program, const QStringList& arguments)
{
    return QProcess::execute(program, arguments);
}

void movePointer(QPoint to)
{
    ASSERT_EQ(run("xdotool", {"mousemove", QString::number(to.x()), QString::number(to.y())}), 0);
    testing::runEventLoop(100ms);
}

[[nodiscard]] QImage captureImage()
{
    QImage image(1600, 1000, QImage::Format_RGBA8888_Premultiplied);
    image.fill(captureColor);
    return image;
}

[[nodiscard]] QString writeFile(const QString& path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return {};
    }
    file.write("RIFF....WEBP");
    return path;
}

// A window of another application that takes dropped files.
class DropTarget : public QWidget {
public:
    DropTarget()
    {
        setAcceptDrops(true);
        setWindowFlags(Qt::FramelessWindowHint);
        setGeometry(60, 60, 300, 200);
    }

    QList<QUrl> dropped;
    bool hasDrop = false;

protected:
    void dragEnterEvent(QDragEnterEvent* event) override { event->acceptProposedAction(); }
    void dragMoveEvent(QDragMoveEvent* event) override { event->acceptProposedAction(); }
    void dropEvent(QDropEvent* event) override
    {
        dropped = event->mimeData()->urls();
        hasDrop = true;
        event->acceptProposedAction();
    }
};

class ThumbnailStackOnX : public ::testing::Test {
protected:
    std::unique_ptr<Thumbnails> thumbnails = std::make_unique<Thumbnails>();
    QTemporaryDir folder;

    void SetUp() override
    {
        ASSERT_EQ(QGuiApplication::platformName(), "xcb");
        ASSERT_TRUE(folder.isValid());
        ASSERT_EQ(run("xsetroot", {"-solid", desktopColor.name()}), 0);
        movePointer({10, 10});
    }

    [[nodiscard]] ThumbnailPanel& panel() const { return *thumbnails->panel(); }

    void settle() const
    {
        ASSERT_NE(thumbnails->panel(), nullptr);
        ASSERT_TRUE(
            testing::waitFor([&] { return panel().isVisible() && !panel().stackView().isAnimating(); }));
        // Let the last frame reach the server (and a compositor, when one runs).
        testing::runEventLoop(400ms);
    }

    // Puts the panel at the bottom of the stacking order, as another program could.
    // Returns once the server has lowered the panel.
    void lowerPanel() const
    {
        const std::uint32_t below[] = {XCB_STACK_MODE_BELOW};
        xcb_configure_window(connection(), static_cast<xcb_window_t>(panel().winId()),
                             XCB_CONFIG_WINDOW_STACK_MODE, below);
        std::free(xcb_get_input_focus_reply(connection(), xcb_get_input_focus(connection()), nullptr));
    }

    [[nodiscard]] ThumbnailCard& card(std::size_t index) const
    {
        return *panel().stackView().cards().at(index);
    }

    [[nodiscard]] QPoint globalCentre(const QWidget& widget) const
    {
        return widget.mapToGlobal(widget.rect().center());
    }
};

// Two side-by-side monitors on the one X screen, removed again at the end.
class TwoMonitors {
public:
    TwoMonitors()
    {
        isSet_ = run("xrandr", {"--setmonitor", "left", "640/170x800/226+0+0", "screen"}) == 0 &&
                 run("xrandr", {"--setmonitor", "right", "640/170x800/226+640+0", "none"}) == 0 &&
                 testing::waitFor([] { return QGuiApplication::screens().size() == 2; }, 5s);
    }
    ~TwoMonitors() { remove(); }
    TwoMonitors(const TwoMonitors&) = delete;
    TwoMonitors& operator=(const TwoMonitors&) = delete;

    [[nodiscard]] bool isSet() const { return isSet_; }

    // Back to the one monitor of the X screen; true once Qt sees it.
    bool remove()
    {
        if (isRemoved_) {
            return true;
        }
        isRemoved_ = true;
        run("xrandr", {"--delmonitor", "right"});
        run("xrandr", {"--delmonitor", "left"});
        return testing::waitFor([] { return QGuiApplication::screens().size() == 1; }, 5s);
    }

private:
    bool isSet_ = false;
    bool isRemoved_ = false;
};

TEST_F(ThumbnailStackOnX, TheCardAppearsAtTheBottomRightOfTheScreenUnderThePointerWithoutADarkBox)
{
    TwoMonitors monitors;
    ASSERT_TRUE(monitors.isSet());
    ASSERT_FALSE(brindle::DesktopWindow::hasCompositing());

    movePointer({900, 400});
    thumbnails->add(QUrl::fromLocalFile(folder.filePath("one.webp")), captureImage(), 1.0, false);
    settle();
    ASSERT_NE(thumbnails->anchorScreen(), nullptr);
    EXPECT_EQ(thumbnails->anchorScreen()->name(), "right");
    const QRect right(1280 - 252, 800 - 170, 252, 170);
    EXPECT_EQ(panel().geometry(), right);
    EXPECT_FALSE(panel().isTranslucent());

    const QRect cardOnScreen = right.adjusted(16, 16, -16, -16);
    EXPECT_TRUE(isNear(screenPixel(cardOnScreen.center()), captureColor)) << "the card shows the capture";
    EXPECT_TRUE(isNear(screenPixel(right.topLeft() + QPoint(4, 4)), desktopColor))
        << "the margin shows the desktop";
    EXPECT_TRUE(isNear(screenPixel(cardOnScreen.topLeft()), desktopColor)) << "rounded corners are cut";
    EXPECT_TRUE(isNear(screenPixel(cardOnScreen.bottomRight() + QPoint(5, 5)), desktopColor));

    // The next capture on the other monitor brings the whole stack there.
    movePointer({100, 100});
    thumbnails->add(QUrl::fromLocalFile(folder.filePath("two.webp")), captureImage(), 1.0, false);
    settle();
    EXPECT_EQ(thumbnails->anchorScreen()->name(), "left");
    const QRect left(640 - 252, 800 - 318, 252, 318);
    EXPECT_EQ(panel().geometry(), left);
    EXPECT_TRUE(isNear(screenPixel(left.topLeft() + QPoint(126, 16 + 69)), captureColor));
    EXPECT_TRUE(isNear(screenPixel(left.topLeft() + QPoint(126, 16 + 138 + 10 + 69)), captureColor));
    EXPECT_TRUE(isNear(screenPixel(left.topLeft() + QPoint(126, 16 + 138 + 5)), desktopColor)) << "the gap";
    EXPECT_TRUE(isNear(screenPixel(right.center()), desktopColor)) << "nothing is left behind";

    // Unplugging the monitor the cards are on brings them to the main screen.
    ASSERT_TRUE(monitors.remove());
    EXPECT_TRUE(
        testing::waitFor([&] { return panel().geometry() == QRect(1280 - 252, 800 - 318, 252, 318); }, 5s))
        << panel().geometry().x() << "," << panel().geometry().y();
}

TEST_F(ThumbnailStackOnX, ThePanelIsOnEveryWorkspaceAboveOthersAndNeverTakesTheFocus)
{
    thumbnails->add(QUrl::fromLocalFile(folder.filePath("one.webp")), captureImage(), 1.0, false);
    settle();
    QProcess xprop;
    xprop.start("xprop", {"-id", QString::number(panel().winId()), "_NET_WM_DESKTOP", "_NET_WM_STATE",
                          "WM_HINTS", "_NET_WM_WINDOW_TYPE"});
    ASSERT_TRUE(xprop.waitForFinished(5000));
    const QString properties = QString::fromUtf8(xprop.readAllStandardOutput());
    EXPECT_TRUE(properties.contains("_NET_WM_DESKTOP(CARDINAL) = 4294967295")) << properties.toStdString();
    EXPECT_TRUE(properties.contains("_NET_WM_STATE_STICKY")) << properties.toStdString();
    EXPECT_TRUE(properties.contains("_NET_WM_STATE_ABOVE")) << properties.toStdString();
    EXPECT_TRUE(properties.contains("_NET_WM_STATE_SKIP_TASKBAR")) << properties.toStdString();
    EXPECT_TRUE(properties.contains("Client accepts input or input focus: False"))
        << properties.toStdString();
    EXPECT_TRUE(properties.contains("_NET_WM_WINDOW_TYPE_UTILITY")) << properties.toStdString();
    EXPECT_EQ(QGuiApplication::focusWindow(), nullptr);
    EXPECT_EQ(QApplication::activeWindow(), nullptr);
}

TEST_F(ThumbnailStackOnX, DraggingACardDropsTheFileIntoAnotherApplication)
{
    DropTarget target;
    target.show();
    ASSERT_TRUE(
        testing::waitFor([&] { return target.windowHandle() && target.windowHandle()->isExposed(); }));
    const QString path = writeFile(folder.filePath("Screenshots/dragged.webp"));
    ASSERT_FALSE(path.isEmpty());
    thumbnails->add(QUrl::fromLocalFile(path), captureImage(), 1.0, false);
    settle();

    const QPoint from = globalCentre(card(0));
    const QPoint to = globalCentre(target);
    const auto at = [](QPoint p) {
        return QStringList{"mousemove", QString::number(p.x()), QString::number(p.y())};
    };
    // The drag runs its own event loop, so the pointer is driven from another process meanwhile.
    QProcess xdotool;
    xdotool.start("xdotool", at(from) + QStringList{"sleep", "0.3", "mousedown", "1", "sleep", "0.2"} +
                                 at(from - QPoint(30, 30)) + QStringList{"sleep", "0.3"} + at(to) +
                                 QStringList{"sleep", "0.3"} + at(to + QPoint(5, 5)) +
                                 QStringList{"sleep", "0.3", "mouseup", "1"});
    EXPECT_TRUE(testing::waitFor([&] { return target.hasDrop; }, 15s));
    xdotool.waitForFinished(5000);
    EXPECT_EQ(target.dropped, QList<QUrl>{QUrl::fromLocalFile(path)});
    EXPECT_TRUE(QFile::exists(path)) << "a drag copies, the capture stays in its folder";
    EXPECT_EQ(thumbnails->items().size(), 1u);
}

TEST_F(ThumbnailStackOnX, ADoubleClickOpensTheFileWithTheDesktopsOpener)
{
    // The desktop opener is found on PATH; this one writes down what it was asked to open.
    const QString record = folder.filePath("opened.txt");
    const QString stub = writeFile(folder.filePath("bin/xdg-open"));
    {
        QFile script(stub);
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        script.write(QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$@\" >> '%1'\n").arg(record).toUtf8());
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    qputenv("PATH", folder.filePath("bin").toUtf8() + ":" + qgetenv("PATH"));

    const QString path = writeFile(folder.filePath("Screenshots/opened.webp"));
    thumbnails->add(QUrl::fromLocalFile(path), captureImage(), 1.0, false);
    settle();
    const QPoint centre = globalCentre(card(0)) + QPoint(0, 30); // below the Edit button's place
    ASSERT_EQ(run("xdotool", {"mousemove", QString::number(centre.x()), QString::number(centre.y()), "click",
                              "--repeat", "2", "--delay", "80", "1"}),
              0);

    ASSERT_TRUE(testing::waitFor([&] { return QFileInfo(record).size() > 0; }, 10s));
    QFile opened(record);
    ASSERT_TRUE(opened.open(QIODevice::ReadOnly));
    EXPECT_EQ(QUrl::fromEncoded(opened.readAll().trimmed()), QUrl::fromLocalFile(path));
    EXPECT_EQ(thumbnails->items().size(), 1u) << "opening keeps the card";
}

TEST_F(ThumbnailStackOnX, TrashBeforeTheDataFolderExistsEndsInTheTrashNeverInTheWorkingFolder)
{
    const QByteArray savedDataHome = qgetenv("XDG_DATA_HOME");
    const QString savedWorkingFolder = QDir::currentPath();
    qputenv("XDG_DATA_HOME", folder.filePath("data").toUtf8());
    ASSERT_TRUE(QDir(folder.path()).mkpath("work"));
    ASSERT_TRUE(QDir::setCurrent(folder.filePath("work")));

    const QString path = writeFile(folder.filePath("Screenshots/unwanted.webp"));
    thumbnails->add(QUrl::fromLocalFile(path), captureImage(), 1.0, false);
    settle();
    movePointer(globalCentre(card(0)));
    ASSERT_TRUE(testing::waitFor([&] { return card(0).isHovering(); }, 5s));
    EXPECT_TRUE(thumbnails->isHovering()) << "the pointer on a card pauses every card's clock";
    CircleButton* trash = nullptr;
    for (auto* button : card(0).findChildren<CircleButton*>()) {
        trash = button->symbol() == "trash" ? button : trash;
    }
    ASSERT_NE(trash, nullptr);
    ASSERT_TRUE(trash->isVisible());
    const QPoint button = globalCentre(*trash);
    ASSERT_EQ(
        run("xdotool", {"mousemove", QString::number(button.x()), QString::number(button.y()), "click", "1"}),
        0);
    const bool removed = testing::waitFor([&] { return thumbnails->items().empty(); }, 10s);

    QDir::setCurrent(savedWorkingFolder);
    qputenv("XDG_DATA_HOME", savedDataHome);
    EXPECT_TRUE(removed);
    EXPECT_FALSE(thumbnails->isHovering()) << "the hidden stack is no longer under the pointer";
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_TRUE(QFile::exists(folder.filePath("data/Trash/files/unwanted.webp")));
    EXPECT_TRUE(QFile::exists(folder.filePath("data/Trash/info/unwanted.webp.trashinfo")));
    EXPECT_FALSE(QFile::exists(folder.filePath("work/files")));
}

using testing::DesktopHelper;

[[nodiscard]] std::vector<QRect> inputShape(xcb_window_t window)
{
    const auto cookie = xcb_shape_get_rectangles(connection(), window, XCB_SHAPE_SK_INPUT);
    std::unique_ptr<xcb_shape_get_rectangles_reply_t, decltype(&std::free)> reply(
        xcb_shape_get_rectangles_reply(connection(), cookie, nullptr), &std::free);
    std::vector<QRect> rectangles;
    if (!reply) {
        return rectangles;
    }
    const auto* first = xcb_shape_get_rectangles_rectangles(reply.get());
    for (int i = 0; i < xcb_shape_get_rectangles_rectangles_length(reply.get()); ++i) {
        rectangles.emplace_back(first[i].x, first[i].y, first[i].width, first[i].height);
    }
    return rectangles;
}

TEST_F(ThumbnailStackOnX, WithACompositorThePanelIsTranslucentWithShadowsAndClickThroughMargins)
{
    DesktopHelper compositor("xcompmgr", {"-n"}, "_NET_WM_CM_S0");
    ASSERT_TRUE(compositor.isRunning()) << "xcompmgr did not take the compositing selection";

    thumbnails->add(QUrl::fromLocalFile(folder.filePath("one.webp")), captureImage(), 1.0, false);
    settle();
    ASSERT_TRUE(panel().isTranslucent());
    const QRect frame = panel().geometry();
    EXPECT_EQ(frame, QRect(1280 - 252, 800 - 170, 252, 170));
    const QRect cardOnScreen = frame.adjusted(16, 16, -16, -16);
    // The compositor paints the desktop itself; a spot far from the panel shows what it looks like.
    const QColor desktop = screenPixel({10, 790});
    EXPECT_TRUE(isNear(screenPixel(cardOnScreen.center()), captureColor));
    EXPECT_TRUE(isNear(screenPixel(frame.topLeft() + QPoint(2, 2)), desktop)) << "clear, not black";
    const QColor shadow = screenPixel(QPoint(cardOnScreen.center().x(), cardOnScreen.bottom() + 4));
    EXPECT_LT(shadow.value(), desktop.value() - 10) << "the card's shadow darkens the desktop below it";
    EXPECT_GT(shadow.value(), desktop.value() / 2) << "a soft shadow, not a black box";
    EXPECT_EQ(inputShape(static_cast<xcb_window_t>(panel().winId())),
              std::vector<QRect>{QRect(16, 16, 220, 138)});

    // When the compositor goes away the next card brings a window cut to the cards instead.
    compositor.stop();
    thumbnails->add(QUrl::fromLocalFile(folder.filePath("two.webp")), captureImage(), 1.0, false);
    settle();
    EXPECT_FALSE(panel().isTranslucent());
    const QRect frameForTwo = panel().geometry();
    EXPECT_TRUE(isNear(screenPixel(frameForTwo.topLeft() + QPoint(2, 2)), screenPixel({10, 790})));
    EXPECT_TRUE(isNear(screenPixel(frameForTwo.bottomLeft() + QPoint(126, -16 - 69)), captureColor));
}

TEST_F(ThumbnailStackOnX, UnderAWindowManagerWithShadowsThePanelHasNoFrameAndLeavesNothingWhenItHides)
{
    DesktopHelper windowManager("openbox", {"--sm-disable"}, "WM_S0");
    ASSERT_TRUE(windowManager.isRunning()) << "openbox did not take the window manager selection";
    // The panel's window exists before the compositor starts, as when one is started in a session.
    thumbnails->add(QUrl::fromLocalFile(folder.filePath("zero.webp")), captureImage(), 1.0, false);
    settle();
    thumbnails->remove(thumbnails->items().front().id);
    DesktopHelper compositor("xcompmgr", {"-c"}, "_NET_WM_CM_S0");
    ASSERT_TRUE(compositor.isRunning()) << "xcompmgr did not take the compositing selection";
    const QRect frame(1280 - 252, 800 - 170, 252, 170);
    // The corner the panel takes, with room for a window frame or a compositor's shadow around it.
    const QRect corner = frame.adjusted(-40, -40, 0, 0);
    // Taking the selection comes before the compositor knows the windows; its first paint of the
    // desktop (its own tile, not the root's colour) comes after.
    ASSERT_TRUE(testing::waitFor([] { return !isNear(screenPixel({10, 10}), desktopColor); }, 5s));
    const QImage desktop = grabScreen(corner);

    thumbnails->add(QUrl::fromLocalFile(folder.filePath("one.webp")), captureImage(), 1.0, false);
    settle();
    EXPECT_EQ(panel().geometry(), frame);
    const QImage shown = grabScreen(corner);
    EXPECT_TRUE(isNear(shown.pixelColor(frame.center() - corner.topLeft()), captureColor));
    const QRect outside(0, 0, corner.width(), frame.top() - corner.top());
    const QRect leftOfIt(0, 0, frame.left() - corner.left(), corner.height());
    EXPECT_EQ(shown.copy(outside), desktop.copy(outside)) << "no frame or shadow above the panel";
    EXPECT_EQ(shown.copy(leftOfIt), desktop.copy(leftOfIt)) << "no frame or shadow left of the panel";

    thumbnails->remove(thumbnails->items().front().id);
    EXPECT_FALSE(panel().isVisible());
    EXPECT_TRUE(testing::waitFor([&] { return grabScreen(corner) == desktop; }, 5s))
        << "the corner shows the desktop again";
}

TEST_F(ThumbnailStackOnX, UnderAWindowManagerTheCardsStayAboveRaisedWindowsButNotAboveOtherOverlays)
{
    DesktopHelper windowManager("openbox", {"--sm-disable"}, "WM_S0");
    ASSERT_TRUE(windowManager.isRunning()) << "openbox did not take the window manager selection";
    thumbnails->add(QUrl::fromLocalFile(folder.filePath("one.webp")), captureImage(), 1.0, false);
    settle();
    const QRect cardOnScreen = panel().geometry().adjusted(16, 16, -16, -16);
    const QPoint leftOfCard(cardOnScreen.left() + 40, cardOnScreen.center().y());
    const QPoint rightOfCard(cardOnScreen.right() - 40, cardOnScreen.center().y());
    ASSERT_TRUE(isNear(screenPixel(rightOfCard), captureColor));

    // An ordinary window as big as the screen, so wherever the manager places it, it covers the card.
    const std::string display = qEnvironmentVariable("DISPLAY").toStdString();
    const QColor windowColor(0xcc, 0x33, 0x33);
    testing::XTestWindow window(display, {0, 0, 1280, 800}, windowColor.rgb() & 0xffffff, 0, 0, false);
    ASSERT_TRUE(window.isOpen());
    ASSERT_TRUE(testing::waitFor(
        [&] {
            return isNear(screenPixel({300, 300}), windowColor);
        },
        5s))
        << "the manager shows the window";
    EXPECT_TRUE(testing::waitFor([&] { return isNear(screenPixel(rightOfCard), captureColor); }, 5s))
        << "the card comes back above a newly mapped window";

    // Lowered under the window by another program, the cards come back above it. The manager's events
    // about the window are handled first, so that only the lowering is left to answer; and the lowering
    // has reached the server before the test looks, so only a restack can bring the card back.
    testing::runEventLoop(400ms);
    lowerPanel();
    EXPECT_TRUE(testing::waitFor([&] { return isNear(screenPixel(rightOfCard), captureColor); }, 5s))
        << "the card comes back above the window after being lowered under it";

    // Another program's overlay (a menu, a lock screen) keeps its place above the cards when they
    // come back, and when the manager maps the next window.
    const QColor overlayColor(0xee, 0xcc, 0x22);
    testing::XTestWindow overlay(display, {leftOfCard.x() - 60, leftOfCard.y() - 60, 120, 120},
                                 overlayColor.rgb() & 0xffffff);
    ASSERT_TRUE(overlay.isOpen());
    lowerPanel();
    testing::XTestWindow another(display, {0, 0, 100, 100}, 0x22aa22, 0, 0, false);
    ASSERT_TRUE(another.isOpen());
    EXPECT_TRUE(testing::waitFor([&] { return isNear(screenPixel(rightOfCard), captureColor); }, 5s));
    EXPECT_TRUE(isNear(screenPixel(leftOfCard), overlayColor)) << "the cards stay below the overlay";
    EXPECT_TRUE(panel().isVisible());
}

} // namespace
} // namespace quillet
