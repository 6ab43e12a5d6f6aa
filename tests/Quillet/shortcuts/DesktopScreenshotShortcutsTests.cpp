#include "Quillet/shortcuts/DesktopScreenshotShortcuts.hpp"

#include "tests/support/WaitFor.hpp"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <gtest/gtest.h>

namespace quillet {
namespace {

using namespace std::chrono_literals;

// A stand-in for gsettings: lists the schemas named in the file "schemas", prints the file named after
// a schema for "list-recursively", and for "monitor" prints each line later appended to "events".
// Every call is noted in "calls"; every process it starts notes its PID in "pids".
class FakeSettingsTool {
public:
    FakeSettingsTool()
    {
        write("schemas", "org.gnome.shell.keybindings\norg.gnome.desktop.interface\n");
        write("events", "");
        write("gsettings",
              QStringLiteral("#!/bin/sh\n"
                             "cd '%1'\n"
                             "echo \"$*\" >> calls\n"
                             "echo $$ >> pids\n"
                             "case \"$1\" in\n"
                             "list-schemas) cat schemas ;;\n"
                             "list-recursively) if [ -f hang ]; then sleep 30 & echo $! >> pids; wait; fi\n"
                             "    cat \"$2\" ;;\n"
                             "monitor) exec tail -n 0 -f events ;;\n"
                             "esac\n")
                  .arg(directory.path())
                  .toUtf8());
        QFile::setPermissions(path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    void write(const QString& name, const QByteArray& contents,
               QIODevice::OpenMode mode = QIODevice::Truncate) const
    {
        QFile file(directory.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | mode));
        file.write(contents);
    }

    // The desktop changes its bindings and announces it.
    void bind(const QByteArray& listing) const
    {
        write("org.gnome.shell.keybindings", listing);
        write("events", "show-screenshot-ui: changed\n", QIODevice::Append);
    }

    [[nodiscard]] QString path() const { return directory.filePath("gsettings"); }

    [[nodiscard]] QByteArray read(const QString& name) const
    {
        QFile file(directory.filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // How many of the processes the tool started still run (a zombie no longer does).
    [[nodiscard]] int running() const
    {
        int count = 0;
        for (const auto& pid : read("pids").split('\n')) {
            QFile stat(QStringLiteral("/proc/%1/stat").arg(QString::fromUtf8(pid)));
            if (pid.isEmpty() || !stat.open(QIODevice::ReadOnly)) {
                continue;
            }
            const QByteArray fields = stat.readAll();
            const qsizetype state = fields.lastIndexOf(')') + 2;
            count += state > 1 && state < fields.size() && fields[state] != 'Z' ? 1 : 0;
        }
        return count;
    }

    QTemporaryDir directory;
};

constexpr char gnomeDefaults[] = "org.gnome.shell.keybindings screenshot ['<Shift>Print']\n"
                                 "org.gnome.shell.keybindings show-screenshot-ui ['Print']\n"
                                 "org.gnome.shell.keybindings switch-to-application-3 ['<Super>3']\n";
constexpr char areaOnSuperShift4[] =
    "org.gnome.shell.keybindings show-screenshot-ui ['Print', '<Shift><Super>4']\n";

TEST(DesktopScreenshotShortcuts, AnswersFromTheBackgroundAndFollowsAnnouncedChangesWithoutPolling)
{
    FakeSettingsTool tool;
    tool.bind(areaOnSuperShift4);
    auto shortcuts = std::make_unique<DesktopScreenshotShortcuts>(tool.path());
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(shortcuts->anyEnabled()) << "no answer before the first reading";
    EXPECT_LT(clock.elapsed(), DesktopScreenshotShortcuts::readTimeout.count()) << "the caller never waits";
    EXPECT_TRUE(testing::waitFor([&] { return shortcuts->anyEnabled(); }, 5s));

    const QByteArray callsAfterReading = tool.read("calls");
    auto calls = callsAfterReading.split('\n');
    std::sort(calls.begin(), calls.end());
    EXPECT_EQ(calls, (QByteArrayList{"", "list-recursively org.gnome.shell.keybindings", "list-schemas",
                                     "monitor org.gnome.shell.keybindings"}))
        << "schemas the desktop lacks are never read";
    testing::runEventLoop(300ms);
    EXPECT_TRUE(shortcuts->anyEnabled());
    EXPECT_EQ(tool.read("calls"), callsAfterReading) << "nothing is run again until the desktop says so";

    tool.bind(gnomeDefaults);
    EXPECT_TRUE(testing::waitFor([&] { return !shortcuts->anyEnabled(); }, 5s));
    tool.bind(areaOnSuperShift4);
    EXPECT_TRUE(testing::waitFor([&] { return shortcuts->anyEnabled(); }, 5s));

    shortcuts.reset();
    EXPECT_TRUE(testing::waitFor([&] { return tool.running() == 0; }, 5s))
        << "the monitor ended with the watch";
}

TEST(DesktopScreenshotShortcuts, WithoutTheToolOrItsSchemasNothingIsOn)
{
    DesktopScreenshotShortcuts missing(QStringLiteral("no-such-settings-tool-here"));
    EXPECT_FALSE(missing.anyEnabled());

    FakeSettingsTool tool;
    tool.write("schemas", "org.gnome.desktop.interface\n");
    tool.bind(areaOnSuperShift4);
    DesktopScreenshotShortcuts shortcuts(tool.path());
    EXPECT_FALSE(shortcuts.anyEnabled());
    EXPECT_TRUE(
        testing::waitFor([&] { return tool.read("calls") == "list-schemas\n" && tool.running() == 0; }, 5s));
    testing::runEventLoop(200ms);
    EXPECT_FALSE(shortcuts.anyEnabled());
    EXPECT_EQ(tool.read("calls"), "list-schemas\n");
}

TEST(DesktopScreenshotShortcuts, AHungReadingIsKilledWithEverythingItStarted)
{
    FakeSettingsTool tool;
    tool.bind(areaOnSuperShift4);
    tool.write("hang", "");
    DesktopScreenshotShortcuts shortcuts(tool.path());
    EXPECT_FALSE(shortcuts.anyEnabled());
    EXPECT_TRUE(testing::waitFor([&] { return tool.read("pids").count('\n') == 4; }, 5s))
        << "list-schemas, the monitor, the reading and its sleep";
    EXPECT_TRUE(testing::waitFor([&] { return tool.running() == 1; }, 5s)) << "only the monitor is left";
    EXPECT_FALSE(shortcuts.anyEnabled());
}

} // namespace
} // namespace quillet
