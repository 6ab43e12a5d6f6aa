#include "Brindle/SystemSettings.hpp"

#include <QProcess>

#include <array>

namespace brindle {
namespace {

struct DesktopCommand {
    const char* desktop; // as it appears in XDG_CURRENT_DESKTOP
    const char* program;
    const char* argument; // empty for none
};

constexpr std::array keyboardShortcutCommands{
    DesktopCommand{"GNOME", "gnome-control-center", "keyboard"},
    DesktopCommand{"KDE", "systemsettings", "kcm_keys"},
    DesktopCommand{"XFCE", "xfce4-keyboard-settings", ""},
    DesktopCommand{"X-Cinnamon", "cinnamon-settings", "keyboard"},
    DesktopCommand{"MATE", "mate-keybinding-properties", ""},
};

SystemSettings::Command commandOf(const DesktopCommand& entry)
{
    SystemSettings::Command command{QString::fromLatin1(entry.program), {}};
    if (*entry.argument != '\0') {
        command.arguments << QString::fromLatin1(entry.argument);
    }
    return command;
}

// Desktop names compare without case: sessions spell them "GNOME", "gnome", "ubuntu:GNOME".
bool names(const QStringList& desktops, const char* desktop)
{
    return desktops.contains(QString::fromLatin1(desktop), Qt::CaseInsensitive);
}

std::vector<SystemSettings::Command> keyboardShortcuts(const QString& currentDesktops)
{
    const QStringList desktops = currentDesktops.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    std::vector<SystemSettings::Command> own;
    std::vector<SystemSettings::Command> every;
    for (const auto& entry : keyboardShortcutCommands) {
        every.push_back(commandOf(entry));
        if (names(desktops, entry.desktop)) {
            own.push_back(commandOf(entry));
        }
    }
    return own.empty() ? every : own;
}

} // namespace

std::vector<SystemSettings::Command> SystemSettings::commands(Pane pane, const QString& currentDesktops)
{
    switch (pane) {
    case Pane::keyboardShortcuts:
        return keyboardShortcuts(currentDesktops);
    case Pane::accessibility:
    case Pane::automation:
    case Pane::screenRecording:
        return {};
    }
    return {};
}

void SystemSettings::open(Pane pane)
{
    for (const auto& command : commands(pane, qEnvironmentVariable("XDG_CURRENT_DESKTOP"))) {
        if (QProcess::startDetached(command.program, command.arguments)) {
            return;
        }
    }
}

} // namespace brindle
