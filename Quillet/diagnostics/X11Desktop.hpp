#pragma once

#include <QString>

#include <variant>

namespace quillet {

// What the X server of $DISPLAY says about the desktop, as a bug report wants it. Read over a
// connection of its own, so it works whatever platform the toolkit runs on.
struct X11Desktop {
    int monitors = 0;           // RandR monitors of the default screen
    int clientWindows = 0;      // the window manager's client list; 0 without a window manager
    bool hasCompositor = false; // a compositing manager owns the screen's selection
    QString windowManager;      // its name, empty when none says so

    // Nothing, and why, when the server cannot be reached.
    struct Unreachable {
        QString reason;
    };

    [[nodiscard]] static std::variant<X11Desktop, Unreachable> read();
};

} // namespace quillet
