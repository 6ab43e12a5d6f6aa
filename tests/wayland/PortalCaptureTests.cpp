// Runs inside the headless Wayland desktop of rig.sh (see tests/CMakeLists.txt): stills through the
// desktop portal, from the user's first choice of monitor to captures that need no choice.
#include "Brindle/UserDefaults.hpp"
#include "Quillet/capture/FrozenFramePicker.hpp"
#include "Quillet/capture/PortalCapturer.hpp"
#include "Quillet/library/WebPEncoder.hpp"

#include "tests/support/ChildProcess.hpp"
#include "tests/support/LogCapture.hpp"
#include "tests/support/WaitFor.hpp"
#include "tests/wayland/KnownColour.hpp"
#include "tests/wayland/RemotePointer.hpp"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QDateTime>
#include <QDir>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRasterWindow>
#include <QScreen>
#include <QTemporaryDir>
#include <QUuid>
#include <QWindow>

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace quillet {
namespace {

using namespace std::chrono_literals;
using testing::ColourWindow;
using testing::showsWindowColour;
using testing::windowColour;
using testing::acceptMonitorChooser;
using testing::RemotePointer;

const QString captureCategory = QStringLiteral("app.quillet.Quillet.capture");

// The picker once it covers its monitor: it may show at another size before it is full screen.
QWidget* shownPicker(QSize monitor = QSize(1280, 720))
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (qobject_cast<FrozenFramePicker*>(widget) && widget->windowHandle() &&
            widget->windowHandle()->isExposed() && widget->size() == monitor) {
            return widget;
        }
    }
    return nullptr;
}

// Where a window last saw the pointer move.
class PointerSeen : public QObject {
public:
    QPoint position{-1, -1};

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::MouseMove) {
            position = static_cast<QMouseEvent*>(event)->position().toPoint();
        }
        return false;
    }
};

struct Attempt {
    std::optional<Capturer::Result> result;
};

// Why the latest capture failed; empty after a still or a cancel.
QString lastFailure;

std::optional<CapturedImage> capture(PortalCapturer& capturer, const std::function<void()>& whileWaiting = {},
                                     Capturer::Mode mode = Capturer::Mode::screen)
{
    Attempt attempt;
    capturer.capture(mode, [&attempt](Capturer::Result result) { attempt.result = std::move(result); });
    QDeadlineTimer nextNudge(0);
    const bool ended = testing::waitFor(
        [&] {
            if (whileWaiting && nextNudge.hasExpired()) {
                whileWaiting();
                nextNudge.setRemainingTime(500ms);
            }
            return attempt.result.has_value();
        },
        60s);
    EXPECT_TRUE(ended) << "the capture never called back";
    if (!ended) {
        return std::nullopt;
    }
    lastFailure = attempt.result->isSuccess() ? QString() : attempt.result->error();
    return attempt.result->isSuccess() ? attempt.result->value() : std::nullopt;
}

// What the capture said, for a failure's message.
std::string told(const testing::LogCapture& log)
{
    QStringList lines;
    for (const QString& text : log.texts(captureCategory)) {
        lines << text;
    }
    if (!lastFailure.isEmpty()) {
        lines << QStringLiteral("failed: ") + lastFailure;
    }
    return lines.isEmpty() ? std::string("nothing logged") : lines.join(QLatin1Char('\n')).toStdString();
}

// The still as a WebP file, read back by libwebp's own command-line decoder.
QImage throughWebP(const QImage& image, const QTemporaryDir& folder)
{
    const auto bytes = WebPEncoder::encode(image);
    const QString webp = folder.filePath(QStringLiteral("still.webp"));
    const QString decoded = folder.filePath(QStringLiteral("still.ppm"));
    QFile file(webp);
    if (!bytes || !file.open(QIODevice::WriteOnly) || file.write(*bytes) != bytes->size()) {
        return {};
    }
    file.close();
    QProcess dwebp;
    dwebp.start(QStringLiteral("dwebp"), {webp, QStringLiteral("-ppm"), QStringLiteral("-o"), decoded});
    if (!dwebp.waitForFinished(30'000) || dwebp.exitCode() != 0) {
        return {};
    }
    return QImage(decoded);
}

// Drags between two points of the picker on a monitor while a capture waits. Each step waits until
// the picker has seen the pointer where it was sent, as a window that has just become full screen may
// still take input at its earlier place.
std::function<void()> dragOnPicker(RemotePointer& pointer, std::vector<QPoint> ends, int monitor = 0,
                                   QSize size = QSize(1280, 720))
{
    auto seen = std::make_shared<PointerSeen>();
    auto step = std::make_shared<std::size_t>(0);
    return [&pointer, ends, monitor, size, seen, step] {
        QWidget* picker = shownPicker(size);
        if (picker == nullptr || *step == ends.size()) {
            return;
        }
        picker->installEventFilter(seen.get());
        const QPoint next = ends[*step];
        if (seen->position != next) {
            pointer.moveTo(next.x() + 1, next.y() + 1, monitor);
            pointer.moveTo(next.x(), next.y(), monitor);
            return;
        }
        pointer.press(*step == 0);
        ++*step;
        if (*step < ends.size()) {
            pointer.moveTo(ends[*step].x(), ends[*step].y(), monitor);
        }
    };
}

TEST(PortalCapture, AskedOnceThenRestoredFromTheTokenInTheOwnerOnlyPreferences)
{
    ColourWindow window;
    window.showFullScreen();
    ASSERT_TRUE(testing::waitFor([&] { return window.isShown(); }, 20s));

    // The rig gives every run a home of its own.
    const QString preferencesPath = brindle::UserDefaults::standardFilePath(QStringLiteral("quillet"));
    testing::LogCapture log;
    RemotePointer pointer;

    // Nobody answers the desktop's question: the capture gives up at its limit, says why, and the
    // dialog goes with it.
    {
        brindle::UserDefaults preferences(preferencesPath);
        PortalCapturer capturer(preferences, {.answer = 10s, .choice = 1500ms, .frame = 5s});
        EXPECT_FALSE(capture(capturer).has_value());
        EXPECT_TRUE(
            lastFailure.startsWith(QStringLiteral("could not start the screen cast through the desktop "
                                                  "portal: Start: no answer in time")))
            << told(log);
        EXPECT_FALSE(preferences.object(PortalCapturer::restoreTokenKey).has_value());
    }

    // The user shares the monitor: the still is the screen, and the token is kept.
    QTemporaryDir folder;
    {
        brindle::UserDefaults preferences(preferencesPath);
        PortalCapturer capturer(preferences, {.answer = 10s, .choice = 30s, .frame = 5s});
        const auto still = capture(capturer, [&] { acceptMonitorChooser(pointer); });
        ASSERT_TRUE(still.has_value()) << told(log);
        EXPECT_EQ(still->image.size(), QSize(1280, 720));
        EXPECT_EQ(still->scale, 1);
        EXPECT_TRUE(showsWindowColour(still->image));
        const QImage decoded = throughWebP(still->image, folder);
        EXPECT_EQ(decoded.size(), QSize(1280, 720));
        EXPECT_TRUE(showsWindowColour(decoded));
        ASSERT_TRUE(preferences.synchronize(10s));
    }
    struct stat status {};
    ASSERT_EQ(::stat(QFile::encodeName(preferencesPath).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);

    // As after a restart: the token read from the file starts the cast with no question, which
    // nobody would answer here.
    brindle::UserDefaults preferences(preferencesPath);
    const auto token = preferences.object(PortalCapturer::restoreTokenKey);
    ASSERT_TRUE(token && token->get<std::string>() && !token->get<std::string>()->empty());
    PortalCapturer capturer(preferences, {.answer = 10s, .choice = 10s, .frame = 5s});
    // A window of the program's own (its panel, where no tray shows it) over the middle of the screen
    // stays out of the still, and is back once the still is taken.
    QWidget panel;
    panel.setPalette(QPalette(Qt::lightGray));
    panel.setAutoFillBackground(true);
    panel.resize(900, 500);
    panel.show();
    ASSERT_TRUE(testing::waitFor([&] { return panel.windowHandle()->isExposed(); }, 20s));
    const auto again = capture(capturer);
    ASSERT_TRUE(again.has_value()) << told(log);
    EXPECT_TRUE(showsWindowColour(again->image));
    EXPECT_TRUE(panel.isVisible());
    panel.hide();

    // An area dragged on the frozen frame: exactly the pixels between press and release.
    const auto area =
        capture(capturer, dragOnPicker(pointer, {{100, 100}, {300, 250}}), Capturer::Mode::interactive);
    ASSERT_TRUE(area.has_value()) << told(log);
    EXPECT_EQ(area->image.size(), QSize(200, 150));
    EXPECT_TRUE(showsWindowColour(area->image));
    EXPECT_EQ(shownPicker(), nullptr);
    ASSERT_TRUE(preferences.synchronize(10s));

    // The program itself, as a desktop's key binding starts it: a WebP of the screen, no question.
    std::map<std::string, std::string> environment;
    const QProcessEnvironment inherited = QProcessEnvironment::systemEnvironment();
    for (const QString& name : inherited.keys()) {
        environment[name.toStdString()] = inherited.value(name).toStdString();
    }
    const char* binaries = std::getenv("QUILLET_BIN_DIR");
    testing::ChildProcess program(
        {std::string(binaries ? binaries : "bin") + "/quillet", "--action", "screen"}, environment);
    const QDir stills(QDir::home().filePath(QStringLiteral("Screenshots")));
    const auto saved = [&] { return stills.entryList({QStringLiteral("*.webp")}, QDir::Files); };
    ASSERT_TRUE(testing::waitFor([&] { return saved().size() == 1; }, 30s)) << "the program saved no still";
    const QString decoded = folder.filePath(QStringLiteral("program.png"));
    ASSERT_TRUE(testing::waitFor(
        [&] {
            return QProcess::execute(QStringLiteral("dwebp"),
                                     {QStringLiteral("-quiet"), stills.filePath(saved().first()),
                                      QStringLiteral("-o"), decoded}) == 0;
        },
        10s));
    const QImage picture(decoded);
    EXPECT_EQ(picture.size(), QSize(1280, 720));
    EXPECT_TRUE(showsWindowColour(picture));
}

// The desktop's record of a choice of both monitors of `rig.sh --monitors 1280x720,800x600`, kept
// under a new token as GNOME's portal keeps it. Its chooser (43) shows both monitors ticked but hands
// back only the last one clicked, so the test writes the choice a chooser of several would keep.
QString rememberBothMonitors()
{
    const QString token = QUuid::createUuid().toString(QUuid::WithoutBraces);
    const QString store = QStringLiteral("org.freedesktop.impl.portal.PermissionStore");
    const QString path = QStringLiteral("/org/freedesktop/impl/portal/PermissionStore");
    const QString now = QString::number(QDateTime::currentMSecsSinceEpoch() * 1000);
    const QString choice = QStringLiteral("<('GNOME', uint32 1, <(int64 %1, int64 %1, [(uint32 0, uint32 1, "
                                          "<'MetaVendor:MetaVirtualMonitor:0x00'>), (uint32 1, uint32 1, "
                                          "<'MetaVendor:MetaVirtualMonitor:0x01'>)])>)>")
                               .arg(now);
    const auto call = [&](const QString& method, const QStringList& arguments) {
        return QProcess::execute(QStringLiteral("gdbus"),
                                 QStringList{QStringLiteral("call"), QStringLiteral("--session"),
                                             QStringLiteral("--dest"), store, QStringLiteral("--object-path"),
                                             path, QStringLiteral("--method"), store + '.' + method} +
                                     arguments) == 0;
    };
    const bool kept =
        call(QStringLiteral("SetPermission"), {QStringLiteral("screencast"), QStringLiteral("true"), token,
                                               QStringLiteral("''"), QStringLiteral("['yes']")}) &&
        call(QStringLiteral("SetValue"),
             {QStringLiteral("screencast"), QStringLiteral("true"), token, choice});
    return kept ? token : QString();
}

TEST(PortalMonitors, TheScreenUnderThePointerAndAnAreaDraggedOnIt)
{
    const QList<QScreen*> screens = QGuiApplication::screens();
    ASSERT_EQ(screens.size(), 2) << "run under rig.sh --monitors 1280x720,800x600";
    const QColor secondColour(0xd5, 0x7b, 0x3a);
    ColourWindow first;
    ColourWindow second(secondColour);
    for (auto [window, screen] : {std::pair{&first, screens[0]}, std::pair{&second, screens[1]}}) {
        window->setScreen(screen);
        window->setGeometry(screen->geometry());
        window->showFullScreen();
    }
    ASSERT_TRUE(testing::waitFor([&] { return first.isShown() && second.isShown(); }, 20s));

    testing::LogCapture log;
    RemotePointer pointer({QStringLiteral("Meta-0"), QStringLiteral("Meta-1")});
    const QString token = rememberBothMonitors();
    ASSERT_FALSE(token.isEmpty());
    brindle::UserDefaults preferences(brindle::UserDefaults::standardFilePath(QStringLiteral("quillet")));
    preferences.set(token.toStdString(), PortalCapturer::restoreTokenKey);
    preferences.set(std::string("a token of one monitor"), PortalCapturer::singleMonitorTokenKey);
    PortalCapturer capturer(preferences, {.answer = 10s, .choice = 10s, .frame = 5s});

    // The pointer on each monitor in turn: the still is that monitor, whole, and nothing else.
    struct Case {
        int monitor;
        QSize size;
        QColor colour;
    };
    for (const Case& on : {Case{1, QSize(800, 600), secondColour}, Case{0, QSize(1280, 720), windowColour}}) {
        pointer.moveTo(200, 150, on.monitor);
        const auto still = capture(capturer);
        ASSERT_TRUE(still.has_value()) << told(log);
        EXPECT_EQ(still->image.size(), on.size) << "pointer on monitor " << on.monitor << "\n" << told(log);
        EXPECT_EQ(still->scale, 1);
        EXPECT_TRUE(showsWindowColour(still->image, on.colour)) << "pointer on monitor " << on.monitor;
    }
    EXPECT_FALSE(preferences.object(PortalCapturer::singleMonitorTokenKey).has_value());

    // Every monitor shows its frozen frame; the area dragged on the second is taken from its frame.
    bool bothShown = false;
    const auto drag = dragOnPicker(pointer, {{100, 100}, {300, 250}}, 1, QSize(800, 600));
    const auto area = capture(
        capturer,
        [&] {
            const QWidget* left = shownPicker(QSize(1280, 720));
            const QWidget* right = shownPicker(QSize(800, 600));
            bothShown =
                bothShown || (left && right && left->screen() == screens[0] && right->screen() == screens[1]);
            drag();
        },
        Capturer::Mode::interactive);
    ASSERT_TRUE(area.has_value()) << told(log);
    EXPECT_TRUE(bothShown);
    EXPECT_EQ(area->image.size(), QSize(200, 150));
    EXPECT_TRUE(showsWindowColour(area->image, secondColour));
    EXPECT_EQ(shownPicker(QSize(1280, 720)), nullptr);
    EXPECT_EQ(shownPicker(QSize(800, 600)), nullptr);
}

} // namespace
} // namespace quillet

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
