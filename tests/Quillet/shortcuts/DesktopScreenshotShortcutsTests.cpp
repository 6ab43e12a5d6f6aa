#include "Quillet/shortcuts/DesktopScreenshotShortcuts.hpp"

#include "tests/support/WaitFor.hpp"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace quillet {
namespace {

using namespace std::chrono_literals;

// A stand-in for gsettings: lists the schemas named in the file "schemas" and prints the file named
// after a schema for "list-recursively"; every call is noted in "calls".
class FakeSettingsTool {
public:
    FakeSettingsTool()
    {
        write("schemas", "org.gnome.shell.keybindings\norg.gnome.desktop.interface\n");
        write("gsettings", QStringLiteral("#!/bin/sh\n"
                                          "echo \"$*\" >> '%1/calls'\n"
                                          "case \"$1\" in\n"
                                          "list-schemas) cat '%1/schemas' ;;\n"
                                          "list-recursively) [ -f '%1/hang' ] && sleep 10; cat \"%1/$2\" ;;\n"
                                          "esac\n")
                               .arg(directory.path())
                               .toUtf8());
        QFile::setPermissions(path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    void write(const QString& name, const QByteArray& contents) const
    {
        QFile file(directory.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(contents);
    }

    void bind(const QByteArray& listing) const { write("org.gnome.shell.keybindings", listing); }

    [[nodiscard]] QString path() const { return directory.filePath("gsettings"); }

    [[nodiscard]] QByteArray calls() const
    {
        QFile file(directory.filePath("calls"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir directory;
};

constexpr char gnomeDefaults[] = "org.gnome.shell.keybindings screenshot ['<Shift>Print']\n"
                                 "org.gnome.shell.keybindings show-screenshot-ui ['Print']\n"
                                 "org.gnome.shell.keybindings switch-to-application-3 ['<Super>3']\n";
constexpr char areaOnSuperShift4[] =
    "org.gnome.shell.keybindings show-screenshot-ui ['Print', '<Shift><Super>4']\n";

TEST(DesktopScreenshotShortcuts, TheDesktopsOwnBindingOfADefaultCountsAsOn)
{
    FakeSettingsTool tool;
    tool.bind(areaOnSuperShift4);
    DesktopScreenshotShortcuts shortcuts(tool.path());
    EXPECT_TRUE(shortcuts.anyEnabled());
}

TEST(DesktopScreenshotShortcuts, GnomesDefaultsLeaveTheCaptureKeysFree)
{
    FakeSettingsTool tool;
    tool.bind(gnomeDefaults);
    DesktopScreenshotShortcuts shortcuts(tool.path());
    EXPECT_FALSE(shortcuts.anyEnabled());
}

TEST(DesktopScreenshotShortcuts, WithoutTheToolOrItsSchemasNothingIsOn)
{
    DesktopScreenshotShortcuts missing(QStringLiteral("no-such-settings-tool-here"));
    EXPECT_FALSE(missing.anyEnabled());
    EXPECT_FALSE(missing.anyEnabled());

    FakeSettingsTool tool;
    tool.write("schemas", "org.gnome.desktop.interface\n");
    tool.bind(areaOnSuperShift4);
    DesktopScreenshotShortcuts shortcuts(tool.path());
    EXPECT_FALSE(shortcuts.anyEnabled());
    EXPECT_FALSE(shortcuts.anyEnabled());
    EXPECT_EQ(tool.calls(), "list-schemas\n") << "schemas the desktop lacks are never read";
}

TEST(DesktopScreenshotShortcuts, LaterAnswersFollowTheDesktopsSettings)
{
    FakeSettingsTool tool;
    tool.bind(gnomeDefaults);
    DesktopScreenshotShortcuts shortcuts(tool.path());
    ASSERT_FALSE(shortcuts.anyEnabled());

    tool.bind(areaOnSuperShift4);
    EXPECT_TRUE(testing::waitFor([&] { return shortcuts.anyEnabled(); }, 5s));
    tool.bind(gnomeDefaults);
    EXPECT_TRUE(testing::waitFor([&] { return !shortcuts.anyEnabled(); }, 5s));
}

TEST(DesktopScreenshotShortcuts, AHungToolIsGivenUpOnWithoutHoldingTheCallerLong)
{
    FakeSettingsTool tool;
    tool.bind(areaOnSuperShift4);
    tool.write("hang", "");
    DesktopScreenshotShortcuts shortcuts(tool.path());
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(shortcuts.anyEnabled());
    EXPECT_FALSE(shortcuts.anyEnabled()) << "a background reading is running; the answer comes at once";
    EXPECT_LT(clock.elapsed(), 2 * DesktopScreenshotShortcuts::readTimeout.count() + 500);
}

} // namespace
} // namespace quillet
