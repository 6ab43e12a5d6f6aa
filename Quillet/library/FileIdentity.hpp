#pragma once

#include <QString>

#include <ctime>
#include <optional>
#include <sys/types.h>

namespace quillet {

// What a file was when the program read it: the same device and inode, size and times mean nobody
// has written, replaced or re-linked it since. Taken without following a link, so a link put in the
// file's place shows as a change.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    timespec changed{};
    bool isRegular = false;
    bool isLink = false;
    mode_t permissions = 0;

    // Nothing when there is no file (or link) at `path`.
    [[nodiscard]] static std::optional<FileIdentity> of(const QString& path);

    friend bool operator==(const FileIdentity& a, const FileIdentity& b);
};

// Why a save over a file read earlier must ask first.
enum class FileChange {
    none,
    gone,        // moved away, trashed or deleted
    replaced,    // written, replaced or made a link by another program
    readOnly,    // the user may not write it
};

// How the file at `path` differs from `atOpen`, or `readOnly` when unchanged but without a write
// permission. Without an identity taken at open, only `gone` and `readOnly` can be told.
[[nodiscard]] FileChange fileChangeSince(const std::optional<FileIdentity>& atOpen, const QString& path);

} // namespace quillet
