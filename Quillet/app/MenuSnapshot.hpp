#pragma once

#include <QString>

namespace quillet {

// The "--snapshot DIR" mode: renders the tray panel with every setting at its default, in the light
// and the dark appearance, into menu-<language>-light.png and menu-<language>-dark.png in an existing
// directory. Needs the application object; failures skip their file.
class MenuSnapshot {
public:
    static void render(const QString& directory);
};

} // namespace quillet
