// Runs inside the headless Wayland desktop of rig.sh (see tests/CMakeLists.txt): stills through the
// desktop portal, from the user's first choice of monitor to captures that need no choice.
#include "Brindle/UserDefaults.hpp"
#include "Quillet/capture/FrozenFramePicker.hpp"
#include "Quillet/capture/PortalCapturer.hpp"
#include "Quillet/library/WebPEncoder.hpp"

#include "tests/support/ChildProcess.hpp"
#include "tests/support/LogCapture.hpp"
#include "tests/support/WaitFor.hpp"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QDir>
#include <QMouseEvent>
#include <QPainter>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRasterWindow>
#include <QTemporaryDir>
#include <QWindow>

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace quillet {
namespace {

using namespace std::chrono_literals;

const QColor windowColour(0x3a, 0x7b, 0xd5);
const QString captureCategory = QStringLiteral("app.quillet.Quillet.capture");

class ColourWindow : public QRasterWindow {
protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(QRect(QPoint(), size()), windowColour); }
};

// Pointer input through the compositor's own remote-desktop interface: the one way into the
// desktop's dialogs that a test has. Moves are absolute, on a screen cast of the monitor linked to
// the session, as relative moves are accelerated.
class RemotePointer {
public:
    RemotePointer()
    {
        const QString remoteDesktop = QStringLiteral("org.gnome.Mutter.RemoteDesktop");
        const QString screenCast = QStringLiteral("org.gnome.Mutter.ScreenCast");
        QDBusInterface desktop(remoteDesktop, QStringLiteral("/org/gnome/Mutter/RemoteDesktop"),
                               remoteDesktop);
        const QDBusReply<QDBusObjectPath> session = desktop.call(QStringLiteral("CreateSession"));
        session_ = std::make_unique<QDBusInterface>(remoteDesktop, session.value().path(),
                                                    remoteDesktop + QStringLiteral(".Session"));
        const QString id = session_->property("SessionId").toString();
        QDBusInterface casts(screenCast, QStringLiteral("/org/gnome/Mutter/ScreenCast"), screenCast);
        const QDBusReply<QDBusObjectPath> cast = casts.call(
            QStringLiteral("CreateSession"), QVariantMap{{QStringLiteral("remote-desktop-session-id"), id}});
        QDBusInterface castSession(screenCast, cast.value().path(), screenCast + QStringLiteral(".Session"));
        const QDBusReply<QDBusObjectPath> stream =
            castSession.call(QStringLiteral("RecordMonitor"), QString(), QVariantMap());
        stream_ = stream.value().path();
        session_->call(QStringLiteral("Start"));
    }

    void moveTo(double x, double y)
    {
        session_->call(QStringLiteral("NotifyPointerMotionAbsolute"), stream_, x, y);
    }

    void press(bool down) { session_->call(QStringLiteral("NotifyPointerButton"), leftButton, down); }

    void click(double x, double y)
    {
        moveTo(x, y);
        press(true);
        press(false);
    }

private:
    static constexpr int leftButton = 0x110;
    std::unique_ptr<QDBusInterface> session_;
    QString stream_;
};

// The monitor chooser of the GNOME portal as it shows on the rig's 1280x720 monitor.
void acceptMonitorChooser(RemotePointer& pointer)
{
    pointer.click(640, 386); // the monitor's row
    pointer.click(852, 232); // Share
}

// The picker once it covers the monitor: it may show at another size before it is full screen.
QWidget* shownPicker()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (qobject_cast<FrozenFramePicker*>(widget) && widget->windowHandle() &&
            widget->windowHandle()->isExposed() && widget->size() == QSize(1280, 720)) {
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

// Colour differences a lossy encoding may leave, per channel.
constexpr int tolerance = 6;

::testing::AssertionResult showsWindowColour(const QImage& image)
{
    const std::vector<QPoint> probes{{2, 2},
                                     {image.width() - 3, 2},
                                     {image.width() / 2, image.height() / 2},
                                     {2, image.height() - 3},
                                     {image.width() - 3, image.height() - 3}};
    for (const QPoint& probe : probes) {
        const QColor seen = image.pixelColor(probe);
        if (std::abs(seen.red() - windowColour.red()) > tolerance ||
            std::abs(seen.green() - windowColour.green()) > tolerance ||
            std::abs(seen.blue() - windowColour.blue()) > tolerance) {
            return ::testing::AssertionFailure()
                   << "pixel " << probe.x() << "," << probe.y() << " is " << seen.name().toStdString();
        }
    }
    return ::testing::AssertionSuccess();
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

TEST(PortalCapture, AskedOnceThenRestoredFromTheTokenInTheOwnerOnlyPreferences)
{
    ColourWindow window;
    window.showFullScreen();
    ASSERT_TRUE(testing::waitFor([&] { return window.isExposed(); }, 20s));

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
    const auto again = capture(capturer);
    ASSERT_TRUE(again.has_value()) << told(log);
    EXPECT_TRUE(showsWindowColour(again->image));

    // An area dragged on the frozen frame: exactly the pixels between press and release. Each step
    // waits until the picker has seen the pointer where it was sent, as a window that has just become
    // full screen may still take input at its earlier place.
    PointerSeen seen;
    const std::vector<QPoint> ends{{100, 100}, {300, 250}};
    std::size_t step = 0;
    const auto area = capture(
        capturer,
        [&] {
            QWidget* picker = shownPicker();
            if (picker == nullptr || step == ends.size()) {
                return;
            }
            picker->installEventFilter(&seen);
            if (seen.position != ends[step]) {
                pointer.moveTo(ends[step].x() + 1, ends[step].y() + 1);
                pointer.moveTo(ends[step].x(), ends[step].y());
                return;
            }
            pointer.press(step == 0);
            ++step;
            if (step < ends.size()) {
                pointer.moveTo(ends[step].x(), ends[step].y());
            }
        },
        Capturer::Mode::interactive);
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

} // namespace
} // namespace quillet

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
