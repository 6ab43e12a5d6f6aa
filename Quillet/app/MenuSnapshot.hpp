#pragma once

#include <QString>
#include <QStringList>

namespace quillet {

// The "--snapshot DIR" mode: renders the tray panel with every setting at its default, in the light
// and the dark appearance, into menu-<language>-light.png and menu-<language>-dark.png in an existing
// directory; and the same for Wayland sessions into menu-<language>-wayland-… (keys bound in the
// desktop's settings, after a failed capture) and menu-<language>-wayland-portal-… (keys through the
// desktop's shortcuts portal). Needs the application object. Returns what could not be written, each
// failure skipping its file; a missing directory writes nothing.
class MenuSnapshot {
public:
    static QStringList render(const QString& directory);
};

} // namespace quillet
