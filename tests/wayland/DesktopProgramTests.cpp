// Runs inside the headless desktop of rig.sh that RIG_DESKTOP names (see tests/CMakeLists.txt): the
// program itself, as a desktop's key binding or shortcut starts it, on the desktops besides GNOME.
#include "tests/support/ChildProcess.hpp"
#include "tests/wayland/RigProgram.hpp"
#include "tests/support/WaitFor.hpp"
#include "tests/wayland/KnownColour.hpp"
#include "tests/wayland/WlrVirtualPointer.hpp"

#include <QDBusInterface>
#include <QDBusMetaType>
#include <QDBusReply>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRasterWindow>
#include <QSet>
#include <QTemporaryDir>

#include <csignal>
#include <gtest/gtest.h>

namespace quillet {
namespace {

using namespace std::chrono_literals;
using testing::ColourWindow;
using testing::showsWindowColour;

bool isDesktop(const char* name)
{
    return qEnvironmentVariable("RIG_DESKTOP") == QLatin1String(name);
}

using testing::startProgram;

bool said(const testing::ChildProcess& program, const char* text)
{
    return program.standardErrorSoFar().find(text) != std::string::npos;
}

// The program's word on its shortcuts, whichever it is.
bool settledShortcuts(const testing::ChildProcess& program)
{
    return said(program, "global shortcuts already held") || said(program, "global shortcuts bound") ||
           said(program, "global shortcuts: ");
}

// The still in `path` as libweb's own command-line decoder reads it.
QImage decodedWebP(const QString& path, const QTemporaryDir& folder)
{
    const QString decoded = folder.filePath(QFileInfo(path).completeBaseName() + QStringLiteral(".png"));
    const bool read = testing::waitFor(
        [&] {
            return QProcess::execute(QStringLiteral("dwebp"),
                                     {QStringLiteral("-quiet"), path, QStringLiteral("-o"), decoded}) == 0;
        },
        10s);
    return read ? QImage(decoded) : QImage();
}

// Whether sway shows one of the program's windows: full screen, its picker; else the one titled
// `title` (the panel's is the program's name; a card's is not).
bool swayShowsProgramWindow(const QJsonObject& node, bool fullScreen, const QString& title)
{
    if (node.value(QStringLiteral("app_id")).toString() == QStringLiteral("app.quillet.Quillet") &&
        (node.value(QStringLiteral("fullscreen_mode")).toInt() == 1) == fullScreen &&
        (title.isEmpty() || node.value(QStringLiteral("name")).toString() == title) &&
        node.value(QStringLiteral("visible")).toBool()) {
        return true;
    }
    for (const QString& children : {QStringLiteral("nodes"), QStringLiteral("floating_nodes")}) {
        for (const QJsonValue& child : node.value(children).toArray()) {
            if (swayShowsProgramWindow(child.toObject(), fullScreen, title)) {
                return true;
            }
        }
    }
    return false;
}

bool swayShowsProgramWindow(bool fullScreen, const QString& title = {})
{
    QProcess tree;
    tree.start(QStringLiteral("swaymsg"), {QStringLiteral("-t"), QStringLiteral("get_tree")});
    return tree.waitForFinished(10'000) &&
           swayShowsProgramWindow(QJsonDocument::fromJson(tree.readAllStandardOutput()).object(), fullScreen,
                                  title);
}

bool swayShowsPicker()
{
    return swayShowsProgramWindow(true);
}

bool swayShowsPanel()
{
    return swayShowsProgramWindow(false, QStringLiteral("Quillet"));
}

// sway gives no screen cast without a GPU; the still comes through the desktop's screenshot, with no
// question asked.
TEST(DesktopProgram, SwaySavesTheScreenThroughTheScreenshotPortal)
{
    if (!isDesktop("sway")) {
        GTEST_SKIP() << "runs under RIG_DESKTOP=sway";
    }
    // Without a tray the program's panel opens as a window. Every window floats, without borders: the
    // known colour fills the screen, and sway shows the panel over its middle, where the still must not
    // show it (a full-screen window would hide it).
    for (const char* command :
         {"default_floating_border none", "for_window [app_id=\".*\"] floating enable"}) {
        ASSERT_EQ(QProcess::execute(QStringLiteral("swaymsg"), {QString::fromLatin1(command)}), 0);
    }
    ColourWindow window;
    window.resize(1280, 720);
    window.show();
    ASSERT_TRUE(testing::waitFor([&] { return window.isShown(); }, 20s));
    const auto program = startProgram({});
    ASSERT_TRUE(testing::waitFor([] { return swayShowsPanel(); }, 30s)) << program->standardErrorSoFar();

    const auto asked = startProgram({"--action", "screen"});
    const QDir stills(QDir::home().filePath(QStringLiteral("Screenshots")));
    const auto saved = [&] { return stills.entryList({QStringLiteral("*.webp")}, QDir::Files); };
    ASSERT_TRUE(testing::waitFor([&] { return saved().size() == 1; }, 60s))
        << "no still saved; the program said:\n"
        << program->standardErrorSoFar();
    EXPECT_TRUE(said(*program, "desktop portals: screen cast=true screenshot=true global shortcuts=false"))
        << program->standardErrorSoFar();

    QTemporaryDir folder;
    const QImage picture = decodedWebP(stills.filePath(saved().first()), folder);
    EXPECT_EQ(picture.size(), QSize(1280, 720));
    EXPECT_TRUE(showsWindowColour(picture));
    // The panel is back once the still is taken.
    EXPECT_TRUE(testing::waitFor([] { return swayShowsPanel(); }, 30s));

    // An area dragged on the frozen frame, asked of the running program: exactly the pixels between
    // press and release.
    testing::WlrVirtualPointer pointer;
    ASSERT_TRUE(pointer.isAvailable());
    // Out of the way: the desktop's screenshot shows the pointer.
    pointer.moveTo(1279, 719, 1280, 720);
    const auto asking = startProgram({"--action", "area"});
    ASSERT_TRUE(testing::waitFor([] { return swayShowsPicker(); }, 30s)) << program->standardErrorSoFar();
    pointer.moveTo(100, 100, 1280, 720);
    pointer.press(true);
    pointer.moveTo(200, 200, 1280, 720);
    pointer.moveTo(300, 250, 1280, 720);
    pointer.press(false);
    ASSERT_TRUE(testing::waitFor([&] { return saved().size() == 2; }, 30s)) << program->standardErrorSoFar();
    const QString newest = stills.entryList({QStringLiteral("*.webp")}, QDir::Files, QDir::Time).first();
    const QImage area = decodedWebP(stills.filePath(newest), folder);
    EXPECT_EQ(area.size(), QSize(200, 150));
    EXPECT_TRUE(showsWindowColour(area));
    EXPECT_TRUE(testing::waitFor([] { return swayShowsPanel(); }, 30s));
}

// sway's portal refuses to start a screen cast without a GPU: a recording asked for says so in the
// log and the status, and leaves no movie anywhere, not even an empty one.
TEST(DesktopProgram, SwayRefusesTheRecordingWithoutLeavingAMovie)
{
    if (!isDesktop("sway")) {
        GTEST_SKIP() << "runs under RIG_DESKTOP=sway";
    }
    const auto program = startProgram({});
    ASSERT_TRUE(testing::waitFor([&] { return said(*program, "desktop portals:"); }, 30s))
        << program->standardErrorSoFar();
    startProgram({"--action", "record"})->wait(20s);
    ASSERT_TRUE(testing::waitFor(
        [&] { return said(*program, "could not start recording: could not start the screen cast"); }, 60s))
        << program->standardErrorSoFar();
    EXPECT_FALSE(said(*program, "recording started"));
    const QDir recordings(QDir::home().filePath(QStringLiteral(".cache/quillet/recordings")));
    EXPECT_TRUE(recordings.entryList(QDir::Files).isEmpty());
    EXPECT_TRUE(QDir(QDir::home().filePath(QStringLiteral("Screenshots")))
                    .entryList({QStringLiteral("*.mp4"), QStringLiteral("*.mov")}, QDir::Files)
                    .isEmpty());
}

QStringList kglobalaccelComponents()
{
    qDBusRegisterMetaType<QList<QStringList>>();
    QDBusInterface accel(QStringLiteral("org.kde.kglobalaccel"), QStringLiteral("/kglobalaccel"),
                         QStringLiteral("org.kde.KGlobalAccel"));
    const QDBusReply<QList<QStringList>> reply = accel.call(QStringLiteral("allMainComponents"));
    QStringList names;
    for (const QStringList& component : reply.value()) {
        if (!component.isEmpty()) {
            names << component.first();
        }
    }
    return names;
}

// KDE keeps the keys under the program's fixed name; a press there reaches the program; a new start
// finds them held and binds nothing again, so the desktop does not open its shortcut settings.
TEST(DesktopProgram, KdeHoldsTheShortcutsUnderOneNameAcrossStartsAndDeliversTheirPresses)
{
    if (!isDesktop("kde")) {
        GTEST_SKIP() << "runs under RIG_DESKTOP=kde";
    }
    const QString component = QStringLiteral("/component/quillet");
    const QString componentInterface = QStringLiteral("org.kde.kglobalaccel.Component");
    {
        const auto first = startProgram({});
        ASSERT_TRUE(testing::waitFor(
            [&] { return kglobalaccelComponents().contains(QStringLiteral("quillet")); }, 30s))
            << kglobalaccelComponents().join(QLatin1Char(' ')).toStdString() << "\n"
            << first->standardErrorSoFar();
        QDBusInterface keys(QStringLiteral("org.kde.kglobalaccel"), component, componentInterface);
        // The desktop files the keys one by one: the component shows before it holds all three.
        const QSet<QString> wanted{QStringLiteral("screen"), QStringLiteral("area"),
                                   QStringLiteral("record")};
        QSet<QString> held;
        const bool holdsAll = testing::waitFor(
            [&] {
                const QDBusReply<QStringList> names =
                    keys.call(QStringLiteral("shortcutNames"), QStringLiteral("default"));
                const QStringList listed = names.isValid() ? names.value() : QStringList();
                held = QSet<QString>(listed.begin(), listed.end());
                return held == wanted;
            },
            30s);
        EXPECT_TRUE(holdsAll) << QStringList(held.begin(), held.end()).join(QLatin1Char(' ')).toStdString();

        ASSERT_TRUE(testing::waitFor([&] { return settledShortcuts(*first); }, 30s));
        keys.call(QStringLiteral("invokeShortcut"), QStringLiteral("screen"));
        EXPECT_TRUE(testing::waitFor([&] { return said(*first, "action screen"); }, 30s))
            << first->standardErrorSoFar();
        first->signal(SIGTERM);
        first->wait(30s);
    }

    const auto again = startProgram({});
    ASSERT_TRUE(testing::waitFor([&] { return settledShortcuts(*again); }, 30s))
        << again->standardErrorSoFar();
    EXPECT_TRUE(said(*again, "global shortcuts already held by the desktop")) << again->standardErrorSoFar();
    EXPECT_FALSE(said(*again, "global shortcuts bound through the portal"));
    EXPECT_EQ(kglobalaccelComponents().filter(QStringLiteral("quillet")),
              QStringList{QStringLiteral("quillet")});
}

} // namespace
} // namespace quillet

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
