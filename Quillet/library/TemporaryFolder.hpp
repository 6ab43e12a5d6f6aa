#pragma once

#include "Quillet/common/Outcome.hpp"

#include <QString>

namespace quillet {

// Where intermediate files (the capture tool's PNG, a recording in progress) are kept: a folder only
// this user can enter, so other users can neither read a capture nor plant a file in its place.
// $XDG_RUNTIME_DIR/quillet when the session has a runtime folder, else quillet-<uid> in the system's
// temporary folder; when that name is taken by someone else, a fresh private folder there.
struct TemporaryFolder {
    [[nodiscard]] static Outcome<QString> path();

    // A new empty file in the folder, readable only by this user, named by a fresh upper-case UUID and
    // `extension`. The caller removes it.
    [[nodiscard]] static Outcome<QString> newFile(const QString& extension);
};

} // namespace quillet
