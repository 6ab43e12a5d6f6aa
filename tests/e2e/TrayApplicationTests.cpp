// The program as a tray application, on a private X server with trayer as the tray: the icon, its
// panel, the master switch, a second launch, quitting, and the window it shows where no tray runs.
#include "Brindle/KeyboardPositions.hpp"

#include "tests/support/ChildProcess.hpp"
#include "tests/support/OtherXClient.hpp"
#include "tests/support/PulseAudioServer.hpp"
#include "tests/support/WaitFor.hpp"
#include "tests/support/XvfbServer.hpp"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <optional>

namespace quillet {
namespace {

using namespace std::chrono_literals;
using testing::ChildProcess;
using testing::waitFor;

constexpr std::uint16_t superShift = 0x41; // Mod4 | Shift
constexpr std::uint8_t keyCodeOf4 = 13;    // the "4" key on the server's default keymap

// Generous, for a machine busy with other builds: a start, and the answer to one click or key.
constexpr auto startLimit = 40s;
constexpr auto answerLimit = 20s;

class TrayApplication : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server_.isRunning());
        ASSERT_TRUE(home_.isValid());
        environment_ = ChildProcess::homeEnvironment(server_.display(), home_.path().toStdString());
        // A UTF-8 locale as on a user's desktop; some faults of quitting showed only with one.
        environment_["LANG"] = "C.UTF-8";
    }

    void startTray()
    {
        tray_ = std::make_unique<ChildProcess>(
            std::vector<std::string>{"trayer", "--edge", "bottom", "--align", "right", "--widthtype",
                                     "request", "--height", "24", "--SetDockType", "false"},
            environment_);
        // A program started before the tray takes the icon later, but opens its panel as a window.
        ASSERT_TRUE(waitFor([this] { return other_.selectionHasOwner("_NET_SYSTEM_TRAY_S0"); }, startLimit))
            << "the tray did not start";
    }

    [[nodiscard]] std::unique_ptr<ChildProcess> startQuillet() const
    {
        const char* binaries = std::getenv("QUILLET_BIN_DIR");
        const std::string program = std::string(binaries ? binaries : "bin") + "/quillet";
        return std::make_unique<ChildProcess>(std::vector<std::string>{program}, environment_);
    }

    QString run(const QString& program, const QStringList& arguments) const
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("DISPLAY", QString::fromStdString(server_.display()));
        process.setProcessEnvironment(environment);
        process.start(program, arguments);
        process.waitForFinished(30'000);
        return QString::fromUtf8(process.readAllStandardOutput());
    }

    struct Window {
        QString id;
        QRect rect;
    };

    // The first window named exactly `name` whose absolute rectangle `fits` accepts.
    template <typename Fits> [[nodiscard]] std::optional<Window> window(const QString& name, Fits fits) const
    {
        const QString tree = run("xwininfo", {"-root", "-tree"});
        const QRegularExpression line(R"((0x[0-9a-f]+) ")" + QRegularExpression::escape(name) +
                                      R"(": \([^)]*\)\s+(\d+)x(\d+)[+-]-?\d+[+-]-?\d+\s+\+(-?\d+)\+(-?\d+))");
        for (auto match = line.globalMatch(tree); match.hasNext();) {
            const auto found = match.next();
            const QRect rect(found.captured(4).toInt(), found.captured(5).toInt(), found.captured(2).toInt(),
                             found.captured(3).toInt());
            if (fits(rect)) {
                return Window{found.captured(1), rect};
            }
        }
        return std::nullopt;
    }

    [[nodiscard]] std::optional<QRect> trayIcon() const
    {
        const auto icon =
            window("quillet", [](const QRect& rect) { return rect.width() > 8 && rect.width() <= 64; });
        return icon ? std::optional(icon->rect) : std::nullopt;
    }

    // The panel, while it is on screen.
    [[nodiscard]] std::optional<QRect> panel() const
    {
        const auto found = window("Quillet", [](const QRect& rect) { return rect.width() >= 300; });
        if (!found || !run("xwininfo", {"-id", found->id}).contains("IsViewable")) {
            return std::nullopt;
        }
        return found->rect;
    }

    void click(const QPoint& point) const
    {
        run("xdotool", {"mousemove", QString::number(point.x()), QString::number(point.y()), "click", "1"});
    }

    // The footer's last row, "Quit", half a row above the panel's bottom padding.
    [[nodiscard]] static QPoint quitRow(const QRect& panel)
    {
        return {panel.left() + 40, panel.bottom() - 28};
    }

    // Clicks the tray icon until the panel shows; gives the icon's last rectangle. The tray may still
    // be laying out its icons when the first one shows: each try reads the icon afresh, and a try
    // only follows one that opened nothing.
    QRect openPanelFromIcon()
    {
        QRect icon;
        for (int tries = 0; tries < 3 && !panel(); ++tries) {
            icon = trayIcon().value_or(QRect());
            click(icon.center());
            (void)waitFor([this] { return panel().has_value(); }, answerLimit);
        }
        return icon;
    }

    // The folder dialog's window, once it has the keyboard.
    [[nodiscard]] bool folderDialogHasFocus() const
    {
        const auto dialog = window("Find Directory", [](const QRect&) { return true; });
        return dialog && run("xdotool", {"getwindowfocus"}).trimmed().toULongLong() ==
                             dialog->id.toULongLong(nullptr, 16);
    }

    [[nodiscard]] QString storedPreferences() const
    {
        QFile file(home_.filePath(".config/quillet/preferences.plist"));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    [[nodiscard]] static bool hasStill(const QDir& folder)
    {
        return !folder.entryList({"*.webp"}, QDir::Files).isEmpty();
    }

    // Whether the program ended by itself with status 0 within the limit.
    [[nodiscard]] static bool quitCleanly(ChildProcess& program)
    {
        return program.wait(answerLimit).exitCode == 0;
    }

    [[nodiscard]] bool holdsShortcuts() { return other_.grabbable(keyCodeOf4, {superShift}) == 0; }

    testing::XvfbServer server_;
    QTemporaryDir home_;
    std::map<std::string, std::string> environment_;
    std::unique_ptr<ChildProcess> tray_;
    testing::OtherXClient other_{server_.display().c_str()};
};

TEST_F(TrayApplication, ThePanelAtTheIconSwitchesTheShortcutsStoresTheChosenFolderAndQuits)
{
    startTray();
    auto quillet = startQuillet();
    ASSERT_TRUE(waitFor([this] { return trayIcon().has_value(); }, startLimit)) << "no tray icon appeared";
    ASSERT_TRUE(waitFor([this] { return holdsShortcuts(); }, startLimit))
        << "the shortcuts were never registered";
    EXPECT_FALSE(panel()) << "with a tray the panel waits for a click";

    const QRect icon = openPanelFromIcon();
    ASSERT_TRUE(panel().has_value()) << "clicks on the icon opened no panel";
    const QRect opened = *panel();
    // The tray sits at the bottom right: the panel opens just above the icon, inside the screen.
    EXPECT_LE(opened.bottom(), icon.top());
    EXPECT_LE(icon.top() - opened.bottom(), 12);
    EXPECT_GE(opened.left(), 0);
    EXPECT_LE(opened.right(), 1279);
    EXPECT_TRUE(opened.left() <= icon.center().x() && icon.center().x() <= opened.right() + 12);

    // The master switch: at the header's trailing edge, halfway down the glyph with its shadow room.
    const QPoint masterSwitch(opened.right() - 1 - 14 - 16, opened.top() + 1 + 14 + 26);
    click(masterSwitch);
    EXPECT_TRUE(waitFor([this] { return !holdsShortcuts(); }, answerLimit))
        << "switching off kept the shortcuts";
    click(masterSwitch);
    EXPECT_TRUE(waitFor([this] { return holdsShortcuts(); }, answerLimit))
        << "switching on did not take them back";

    // Change… in the "Save to" row opens the folder dialog; the folder typed there is stored and
    // takes the next capture.
    const QDir elsewhere(home_.filePath("Elsewhere"));
    ASSERT_TRUE(elsewhere.mkpath("."));
    click({opened.right() - 53, opened.top() + 271});
    ASSERT_TRUE(waitFor([this] { return folderDialogHasFocus(); }, answerLimit)) << "no folder dialog";
    EXPECT_FALSE(panel()) << "the panel closes before the dialog opens";
    run("xdotool", {"type", elsewhere.path()});
    run("xdotool", {"key", "Return"});
    EXPECT_TRUE(
        waitFor([&] { return storedPreferences().contains("<string>" + elsewhere.path() + "</string>"); },
                answerLimit))
        << "the chosen folder was not stored";
    run("xdotool", {"key", "super+shift+3"});
    EXPECT_TRUE(waitFor([&] { return hasStill(elsewhere); }, answerLimit)) << "the capture went elsewhere";
    EXPECT_TRUE(waitFor([&] { return trayIcon() == icon; }, answerLimit))
        << "the capture cost the tray its icon";

    // The capture's card now covers the icon (this tray reserves no screen edge): the panel comes
    // back through a second launch.
    EXPECT_EQ(startQuillet()->wait(startLimit).exitCode, 0);
    ASSERT_TRUE(waitFor([this] { return panel().has_value(); }, answerLimit));
    click(quitRow(*panel()));
    EXPECT_TRUE(quitCleanly(*quillet)) << "a click on Quit did not end the program with status 0";
}

TEST_F(TrayApplication, TheSoundServersMicrophonesAppearInThePanelAndTheChoiceIsStored)
{
    testing::PulseAudioServer sound(
        {"module-null-source source_name=usb_mic", "module-null-source source_name=headset_mic"});
    ASSERT_TRUE(sound.waitUntilReady(startLimit)) << "no sound server";
    environment_["PULSE_SERVER"] = sound.address();
    startTray();
    auto quillet = startQuillet();
    ASSERT_TRUE(waitFor([this] { return trayIcon().has_value(); }, startLimit)) << "no tray icon appeared";
    openPanelFromIcon();
    ASSERT_TRUE(panel().has_value()) << "clicks on the icon opened no panel";
    const QRect before = *panel();

    // "Record microphone": the picker row appears below it and the open panel grows to show it.
    const int microphoneRow = 349;
    const int rowPitch = 39;
    click({before.right() - 32, before.top() + microphoneRow});
    ASSERT_TRUE(
        waitFor([&] { return panel() && panel()->height() == before.height() + rowPitch; }, answerLimit))
        << "the server's two microphones gave no picker";
    EXPECT_EQ(panel()->bottom(), before.bottom()) << "the panel grows away from its icon";
    // The preferences are written a moment later, off the main thread.
    EXPECT_TRUE(waitFor(
        [&] { return storedPreferences().contains("<key>recordMicrophone</key>\n  <true/>"); }, answerLimit))
        << storedPreferences().toStdString();

    // The picker lists the default, then the server's inputs in its order: the second one is chosen.
    const QRect grown = *panel();
    click({grown.right() - 40, grown.top() + microphoneRow + rowPitch});
    run("xdotool", {"key", "Down", "Down", "Down", "Return"});
    EXPECT_TRUE(
        waitFor([&] { return storedPreferences().contains("<string>headset_mic</string>"); }, answerLimit))
        << storedPreferences().toStdString();
}

TEST_F(TrayApplication, ASecondLaunchStepsAsideAndTheRunningCopyShowsItsPanel)
{
    startTray();
    auto quillet = startQuillet();
    ASSERT_TRUE(waitFor([this] { return trayIcon().has_value(); }, startLimit)) << "no tray icon appeared";
    EXPECT_FALSE(panel());
    EXPECT_EQ(startQuillet()->wait(startLimit).exitCode, 0);
    ASSERT_TRUE(waitFor([this] { return panel().has_value(); }, answerLimit))
        << "the first copy did not show its panel";
    EXPECT_TRUE(quillet->isRunning());

    // The panel opened without a click still takes the keyboard: Ctrl+Q quits, wherever the pointer is.
    run("xdotool", {"mousemove", "10", "10", "key", "ctrl+q"});
    EXPECT_TRUE(quitCleanly(*quillet)) << "Ctrl+Q did not end the program with status 0";
}

// The open panel holds the keyboard; a shortcut pressed over it closes it and then captures, as the
// panel's own buttons do, so the panel is not in the picture.
TEST_F(TrayApplication, AShortcutPressedOverTheOpenPanelClosesItAndCaptures)
{
    startTray();
    auto quillet = startQuillet();
    ASSERT_TRUE(waitFor([this] { return trayIcon().has_value(); }, startLimit)) << "no tray icon appeared";
    ASSERT_TRUE(waitFor([this] { return holdsShortcuts(); }, startLimit));
    EXPECT_EQ(startQuillet()->wait(startLimit).exitCode, 0);
    ASSERT_TRUE(waitFor([this] { return panel().has_value(); }, answerLimit)) << "no panel";
    const QRect opened = *panel();

    run("xdotool", {"key", "super+shift+3"});
    const QDir captures(home_.filePath("Screenshots"));
    ASSERT_TRUE(waitFor([&] { return hasStill(captures); }, answerLimit))
        << "the shortcut saved nothing: " << quillet->standardErrorSoFar();
    EXPECT_FALSE(panel()) << "the panel stayed open";
    const QString still = captures.filePath(captures.entryList({"*.webp"}, QDir::Files).constFirst());
    const QString decoded = home_.filePath("still.png");
    ASSERT_TRUE(waitFor([&] { return QProcess::execute("dwebp", {"-quiet", still, "-o", decoded}) == 0; },
                        answerLimit));
    const QImage picture(decoded);
    ASSERT_FALSE(picture.isNull());
    // The test server's root window is black; the panel is light.
    EXPECT_LT(picture.pixelColor(opened.center()).lightness(), 40) << "the panel is in the capture";
}

TEST_F(TrayApplication, WithoutATrayThePanelIsAWindowLeftOutOfCaptures)
{
    auto first = startQuillet();
    ASSERT_TRUE(waitFor([this] { return panel().has_value(); }, startLimit)) << "no window without a tray";
    // A copy that dies leaves its socket behind; the next start must not take it for a running copy.
    first->signal(SIGKILL);
    first->wait(5s);
    auto second = startQuillet();
    ASSERT_TRUE(waitFor([this] { return panel().has_value(); }, startLimit));
    EXPECT_TRUE(waitFor([this] { return holdsShortcuts(); }, startLimit));
    EXPECT_TRUE(second->isRunning()) << "the stale socket stopped the new copy";

    // A capture of the whole screen leaves the program's own window out, and the window comes back.
    const QRect window = *panel();
    run("xdotool", {"key", "super+shift+3"});
    const QDir captures(home_.filePath("Screenshots"));
    ASSERT_TRUE(waitFor([&] { return !captures.entryList({"*.webp"}, QDir::Files).isEmpty(); }, answerLimit))
        << second->standardErrorSoFar();
    const QString still = captures.filePath(captures.entryList({"*.webp"}, QDir::Files).constFirst());
    const QString decoded = home_.filePath("still.png");
    ASSERT_TRUE(waitFor(
        [&] {
            return QProcess::execute("dwebp", {"-quiet", still, "-o", decoded}) == 0;
        },
        answerLimit));
    const QImage picture(decoded);
    ASSERT_FALSE(picture.isNull());
    // The test server's root window is black; the panel is light.
    EXPECT_LT(picture.pixelColor(window.center()).lightness(), 40) << "the panel is in the capture";
    ASSERT_TRUE(waitFor([this] { return panel().has_value(); }, answerLimit))
        << "the panel did not come back";

    // The window shown again after the grab still takes a click on Quit.
    click(quitRow(*panel()));
    EXPECT_TRUE(quitCleanly(*second)) << "a click on Quit did not end the program with status 0";
}

// A bare window manager has no task bar: a minimised panel window comes back only through the next
// start, and the window keeps the panel's size whatever the user drags.
TEST_F(TrayApplication, WithoutATrayAMinimisedWindowComesBackAtTheNextStartAndKeepsItsSize)
{
    const ChildProcess windowManager({"openbox", "--sm-disable"}, environment_);
    ASSERT_TRUE(waitFor([this] { return other_.selectionHasOwner("WM_S0"); }, startLimit))
        << "openbox did not start";
    auto first = startQuillet();
    ASSERT_TRUE(waitFor([this] { return panel().has_value(); }, startLimit)) << "no window without a tray";
    const auto shown = window("Quillet", [](const QRect& rect) { return rect.width() >= 300; });
    ASSERT_TRUE(shown);
    const QString hints = run("xprop", {"-id", shown->id, "WM_NORMAL_HINTS"});
    const QString size = QStringLiteral("%1 by %2").arg(shown->rect.width()).arg(shown->rect.height());
    EXPECT_TRUE(hints.contains("minimum size: " + size) && hints.contains("maximum size: " + size))
        << hints.toStdString() << " for a window of " << size.toStdString();
    run("xdotool", {"windowsize", shown->id, "68", "68"});
    EXPECT_FALSE(waitFor([this] { return panel().value_or(QRect()).width() < 300; }, 2s))
        << "the window let itself be shrunk";

    const auto wmState = [&] { return run("xprop", {"-id", shown->id, "_NET_WM_STATE"}); };
    run("xdotool", {"windowminimize", shown->id});
    ASSERT_TRUE(waitFor([&] { return !panel() && wmState().contains("_NET_WM_STATE_HIDDEN"); }, answerLimit))
        << wmState().toStdString();
    auto second = startQuillet();
    EXPECT_EQ(second->wait(answerLimit).exitCode, 0) << "a second start hands over and ends";
    EXPECT_TRUE(waitFor([&] { return panel() && !wmState().contains("_NET_WM_STATE_HIDDEN"); }, answerLimit))
        << "the minimised window stayed away: " << wmState().toStdString();
    EXPECT_EQ(panel().value_or(QRect()).size(), shown->rect.size());
    first->signal(SIGTERM);
    EXPECT_TRUE(quitCleanly(*first));
}

} // namespace
} // namespace quillet
