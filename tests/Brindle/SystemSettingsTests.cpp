#include "Brindle/SystemSettings.hpp"

#include "tests/support/WaitFor.hpp"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace brindle {
namespace {

using Pane = SystemSettings::Pane;
using Command = SystemSettings::Command;

TEST(SystemSettings, KeyboardShortcutsOpenTheDesktopsOwnProgram)
{
    EXPECT_EQ(SystemSettings::commands(Pane::keyboardShortcuts, "ubuntu:GNOME"),
              (std::vector<Command>{{"gnome-control-center", {"keyboard"}}}));
    EXPECT_EQ(SystemSettings::commands(Pane::keyboardShortcuts, "KDE"),
              (std::vector<Command>{{"systemsettings", {"kcm_keys"}}}));
    EXPECT_EQ(SystemSettings::commands(Pane::keyboardShortcuts, "xfce"),
              (std::vector<Command>{{"xfce4-keyboard-settings", {}}}));
}

TEST(SystemSettings, AnUnknownDesktopTriesEveryKnownProgramInOrder)
{
    const auto commands = SystemSettings::commands(Pane::keyboardShortcuts, "");
    ASSERT_GE(commands.size(), 3u);
    EXPECT_EQ(commands.front(), (Command{"gnome-control-center", {"keyboard"}}));
    EXPECT_EQ(SystemSettings::commands(Pane::keyboardShortcuts, "Openbox"), commands);
}

TEST(SystemSettings, PermissionPanesHaveNoPageOnTheseDesktops)
{
    for (const auto pane : {Pane::accessibility, Pane::automation, Pane::screenRecording}) {
        EXPECT_TRUE(SystemSettings::commands(pane, "GNOME").empty());
        EXPECT_TRUE(SystemSettings::commands(pane, "").empty());
    }
}

// Puts fake settings programs first in PATH; each writes its arguments to a file named after it.
class FakeSettingsPrograms : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder_.isValid());
        savedPath_ = qgetenv("PATH");
        savedDesktop_ = qgetenv("XDG_CURRENT_DESKTOP");
        qputenv("PATH", QFile::encodeName(folder_.path()) + ":/usr/bin:/bin");
    }
    void TearDown() override
    {
        qputenv("PATH", savedPath_);
        qputenv("XDG_CURRENT_DESKTOP", savedDesktop_);
    }

    void install(const QString& program)
    {
        QFile script(folder_.filePath(program));
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        script.write(
            QStringLiteral("#!/bin/sh\necho \"$@\" > '%1.ran'\n").arg(folder_.filePath(program)).toUtf8());
        script.close();
        script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }

    QString arguments(const QString& program) const
    {
        QFile ran(folder_.filePath(program + ".ran"));
        if (!ran.open(QIODevice::ReadOnly)) {
            return QString();
        }
        return QString::fromUtf8(ran.readAll()).trimmed();
    }

    bool ran(const QString& program) const { return QFile::exists(folder_.filePath(program + ".ran")); }

    QTemporaryDir folder_;
    QByteArray savedPath_;
    QByteArray savedDesktop_;
};

TEST_F(FakeSettingsPrograms, OpensTheDesktopsKeyboardPage)
{
    install("gnome-control-center");
    install("systemsettings");
    qputenv("XDG_CURRENT_DESKTOP", "GNOME");
    SystemSettings::open(Pane::keyboardShortcuts);
    ASSERT_TRUE(quillet::testing::waitFor([this] { return !arguments("gnome-control-center").isEmpty(); }));
    EXPECT_EQ(arguments("gnome-control-center"), "keyboard");
    EXPECT_FALSE(ran("systemsettings"));
}

TEST_F(FakeSettingsPrograms, WithoutAKnownDesktopTheFirstInstalledProgramOpens)
{
    install("xfce4-keyboard-settings");
    install("mate-keybinding-properties");
    qputenv("XDG_CURRENT_DESKTOP", "");
    SystemSettings::open(Pane::keyboardShortcuts);
    ASSERT_TRUE(quillet::testing::waitFor([this] { return ran("xfce4-keyboard-settings"); }));
    quillet::testing::runEventLoop(std::chrono::milliseconds(100));
    EXPECT_FALSE(ran("mate-keybinding-properties"));
}

} // namespace
} // namespace brindle
