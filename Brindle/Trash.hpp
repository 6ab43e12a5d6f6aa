#pragma once

#include <QString>

#include <optional>

namespace brindle {

// The desktop's trash can (the freedesktop.org trash layout), as the file manager shows it.
class Trash {
public:
    // Moves the file into the trash with its restore information. Returns where it now lies, or
    // none when it could not be trashed; then the file is where it was.
    [[nodiscard]] static std::optional<QString> moveToTrash(const QString& path);

    // The user's own trash folder: $XDG_DATA_HOME/Trash, or empty when there is no data folder.
    [[nodiscard]] static QString homeTrashPath();
};

} // namespace brindle
