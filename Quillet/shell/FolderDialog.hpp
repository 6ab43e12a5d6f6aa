#pragma once

#include <QString>

#include <optional>

namespace quillet {

// The modal dialog in which the user picks the capture folder.
struct FolderDialog {
    // Folders only, new folders may be made, the confirm button reads "Choose"; starts in `start`.
    // The chosen folder's path, or nothing when the user cancels.
    [[nodiscard]] static std::optional<QString> choose(const QString& start);
};

} // namespace quillet
