#pragma once

#include <QString>

namespace brindle {

// Opening the program at login, through the desktop's autostart folder
// ($XDG_CONFIG_HOME/autostart/<bundle identifier>.desktop).
struct LoginItem {
    // True when the entry exists and neither hides nor disables itself.
    [[nodiscard]] static bool isEnabled();
    // Writes (atomically) or removes the entry. A failure is logged in the "login-item" category and
    // not passed on; the result is the state now in force.
    static bool setEnabled(bool on);

    [[nodiscard]] static QString entryPath();
    // The entry that starts `executable`.
    [[nodiscard]] static QString entryText(const QString& executable);
};

} // namespace brindle
