#include "Quillet/library/FileIdentity.hpp"

#include <QFile>

#include <sys/stat.h>
#include <unistd.h>

namespace quillet {

std::optional<FileIdentity> FileIdentity::of(const QString& path)
{
    struct stat status {};
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0) {
        return std::nullopt;
    }
    return FileIdentity{status.st_dev,           status.st_ino,           status.st_size,
                        status.st_mtim,          status.st_ctim,          S_ISREG(status.st_mode),
                        S_ISLNK(status.st_mode), status.st_mode & 07777};
}

bool operator==(const FileIdentity& a, const FileIdentity& b)
{
    const auto same = [](const timespec& x, const timespec& y) {
        return x.tv_sec == y.tv_sec && x.tv_nsec == y.tv_nsec;
    };
    return a.device == b.device && a.inode == b.inode && a.size == b.size && same(a.modified, b.modified) &&
           same(a.changed, b.changed) && a.isRegular == b.isRegular && a.isLink == b.isLink;
}

FileChange fileChangeSince(const std::optional<FileIdentity>& atOpen, const QString& path)
{
    const std::optional<FileIdentity> now = FileIdentity::of(path);
    if (!now) {
        return FileChange::gone;
    }
    if (atOpen && !(*now == *atOpen)) {
        return FileChange::replaced;
    }
    // The mode as well as access(): root may write anything, but a file its user made read-only is
    // still one to ask about.
    constexpr mode_t anyWrite = S_IWUSR | S_IWGRP | S_IWOTH;
    if ((now->permissions & anyWrite) == 0 || ::access(QFile::encodeName(path).constData(), W_OK) != 0) {
        return FileChange::readOnly;
    }
    return FileChange::none;
}

} // namespace quillet
