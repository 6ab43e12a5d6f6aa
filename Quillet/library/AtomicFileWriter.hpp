#pragma once

#include <QByteArray>
#include <QString>

namespace quillet {

// The one way Quillet puts a file under its final name: the bytes go to an unnamed (or hidden)
// temporary file in the same folder, reach the disk, and only then appear under the name in one step,
// after which the folder itself is synced. A reader or a crash sees the whole file or none of it.
// Safe to call from any thread; never call it on the main thread (it waits for the disk).
struct AtomicFileWriter {
    enum class Status { written, nameTaken, failed };

    struct Result {
        Status status = Status::failed;
        qint64 bytesWritten = 0;
        QString error; // for `failed`: "couldn't write <path>: <reason>"
    };

    // A new file: never replaces anything, not even a file that appeared under the name a moment
    // ago (that is `nameTaken`, and the caller picks another name).
    [[nodiscard]] static Result createNew(const QString& path, const QByteArray& bytes);

    // Saving over a file in place: readers see the old contents or the new, never a mix. The file
    // keeps its permissions; a link is followed, so the link stays and its target changes.
    [[nodiscard]] static Result replace(const QString& path, const QByteArray& bytes);

    // For a file that something other than a byte buffer produces (a muxer): a hidden, unused name
    // beside `path` to write it under, and `publish` to give it `path` once it is complete.
    [[nodiscard]] static QString hiddenSibling(const QString& path);

    // Flushes the complete file at `hidden` to the disk and gives it the name `path` without ever
    // replacing a file (`nameTaken`). Unless `written`, `hidden` stays for the caller to remove.
    [[nodiscard]] static Result publish(const QString& hidden, const QString& path);

    // Moves a complete file to `path`, which may be on another file system, never replacing a file.
    // `from` is removed only once `path` holds the whole file.
    [[nodiscard]] static Result move(const QString& from, const QString& path);
};

} // namespace quillet
