#pragma once

#include <QString>

namespace quillet {

// Files that are produced by something other than a byte buffer (a muxer, an outside tool) reach
// their final name through here: written completely under a hidden name in the same folder first,
// then named in one step that never replaces an existing file. Any thread; it waits for the disk.
struct FinishedFile {
    enum class Status { done, nameTaken, failed };

    struct Result {
        Status status = Status::failed;
        QString error; // for `failed`
    };

    // A hidden, unused name beside `path` for the file while it is being written.
    [[nodiscard]] static QString hiddenSibling(const QString& path);

    // Flushes `hidden` to the disk and gives it the name `path`. On `done` and `nameTaken` the hidden
    // name is gone or kept respectively; on `failed` it is kept for the caller to remove.
    [[nodiscard]] static Result publish(const QString& hidden, const QString& path);

    // Moves a finished file to `path`, which may be on another file system, without replacing anything.
    // `from` is removed only once `path` holds the whole file.
    [[nodiscard]] static Result move(const QString& from, const QString& path);
};

} // namespace quillet
