#pragma once

#include <QUrl>

namespace quillet {

// Tells the user that the desktop could not open an address (no xdg-open, or nothing behind it) and
// shows the address so it can be opened by hand. The box does not block the caller.
class OpenFailureBox {
public:
    static void show(const QUrl& address);
};

} // namespace quillet
