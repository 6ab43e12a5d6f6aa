#include "Brindle/shell/PrivateFolder.hpp"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace brindle {
namespace {

constexpr mode_t ownerOnly = S_IRWXU;
constexpr mode_t groupAndOther = S_IRWXG | S_IRWXO;
constexpr mode_t othersMayWrite = S_IWGRP | S_IWOTH;
constexpr uid_t rootUser = 0;

[[nodiscard]] bool isSafeParent(const QByteArray& parent)
{
    struct stat status {};
    if (::stat(parent.constData(), &status) != 0 || !S_ISDIR(status.st_mode)) {
        return false;
    }
    if (status.st_uid != ::getuid() && status.st_uid != rootUser) {
        return false;
    }
    return (status.st_mode & othersMayWrite) == 0 || (status.st_mode & S_ISVTX) != 0;
}

[[nodiscard]] bool isOwnFolder(const struct stat& status)
{
    return S_ISDIR(status.st_mode) && status.st_uid == ::getuid();
}

} // namespace

bool makePrivateFolder(const QString& path)
{
    const QByteArray folder = QFile::encodeName(path);
    if (!isSafeParent(QFile::encodeName(QFileInfo(path).absolutePath()))) {
        return false;
    }
    if (::mkdir(folder.constData(), ownerOnly) != 0 && errno != EEXIST) {
        return false;
    }
    struct stat status {};
    if (::lstat(folder.constData(), &status) != 0 || !isOwnFolder(status)) {
        return false;
    }
    if ((status.st_mode & groupAndOther) != 0 && ::chmod(folder.constData(), ownerOnly) != 0) {
        return false;
    }
    return true;
}

} // namespace brindle
