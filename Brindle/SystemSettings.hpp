#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace brindle {

// Opens a page of the desktop's own settings program.
struct SystemSettings {
    enum class Pane { accessibility, automation, screenRecording, keyboardShortcuts };

    struct Command {
        QString program;
        QStringList arguments;
        friend bool operator==(const Command&, const Command&) = default;
    };

    // The settings programs that show `pane`, in the order they are tried, for the desktops named in
    // `currentDesktops` (the colon-separated XDG_CURRENT_DESKTOP). A known desktop gets only its own
    // program; an unknown one gets every program we know, so whichever is installed opens. Panes the
    // desktops have no page for (X11 has no per-application privacy permissions) get none.
    [[nodiscard]] static std::vector<Command> commands(Pane pane, const QString& currentDesktops);

    // Starts the first command of the pane that can be started; when none can, nothing happens.
    static void open(Pane pane);
};

} // namespace brindle
