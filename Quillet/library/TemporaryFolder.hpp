#pragma once

#include "Quillet/common/Outcome.hpp"

#include <QString>

#include <mutex>
#include <optional>
#include <string>

namespace quillet {

// Where intermediate files (the capture tool's PNG, a recording in progress) are kept: one folder of
// this process's own, made fresh with mode 0700 inside the session's runtime folder (or the system's
// temporary folder), so no other user can read a capture or plant a file in its place. It is removed
// with everything in it when the process ends; folders left by an earlier run that was killed are
// removed when the next one starts. A folder someone else made is never used or changed.
class TemporaryFolder {
public:
    // The folder of this process, made on first use.
    [[nodiscard]] static TemporaryFolder& forProcess();

    // A folder made inside `parent` on first use.
    explicit TemporaryFolder(QString parent);
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    [[nodiscard]] Outcome<QString> path();

    // A new empty file in the folder, readable only by this user, named by a fresh upper-case UUID and
    // `extension`. The caller removes it.
    [[nodiscard]] Outcome<QString> newFile(const QString& extension);

    // Removes the folder with everything in it now; a later file makes a new one. For an exit that
    // skips the destructors.
    void remove();

    // $XDG_RUNTIME_DIR/quillet when the runtime folder is one only this user can enter, else the
    // system's temporary folder.
    [[nodiscard]] static QString defaultParent();

    // Removes this user's folders in `parent` whose process is gone.
    static void removeLeftovers(const QString& parent);

private:
    QString parent_;
    std::mutex mutex_;
    std::optional<std::string> made_; // the folder, once made
};

} // namespace quillet
