#include "Brindle/Trash.hpp"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <unistd.h>

namespace brindle {
namespace {

constexpr auto privateFolder = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;

// The trash folders are private to the user; a folder made here gets mode 0700.
[[nodiscard]] bool ensurePrivateFolder(const QString& path)
{
    if (QFileInfo(path).isDir()) {
        return true;
    }
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath())) {
        return false;
    }
    return QDir().mkdir(path, privateFolder) || QFileInfo(path).isDir();
}

// Qt falls back to ./files of the working folder when it cannot find the home trash, and still
// reports success, so the home trash must exist before the move.
[[nodiscard]] bool ensureHomeTrash(const QString& trash)
{
    if (trash.isEmpty()) {
        return false;
    }
    const QString dataHome = QFileInfo(trash).absolutePath();
    return ensurePrivateFolder(dataHome) && ensurePrivateFolder(trash) &&
           ensurePrivateFolder(trash + QStringLiteral("/files")) &&
           ensurePrivateFolder(trash + QStringLiteral("/info"));
}

// A trash folder as the desktop defines one: the home trash, "$topdir/.Trash/$uid" or
// "$topdir/.Trash-$uid" of another mount.
[[nodiscard]] bool isTrashFolder(const QDir& trash, const QString& homeTrash)
{
    const QString path = trash.absolutePath();
    if (path == QDir(homeTrash).absolutePath()) {
        return true;
    }
    const QString uid = QString::number(getuid());
    if (trash.dirName() == QStringLiteral(".Trash-") + uid) {
        return true;
    }
    QDir parent = trash;
    return trash.dirName() == uid && parent.cdUp() && parent.dirName() == QStringLiteral(".Trash");
}

// True when `trashed` is "<trash>/files/<name>" with a matching "<trash>/info/<name>.trashinfo".
[[nodiscard]] bool landedInTrash(const QString& trashed, const QString& homeTrash)
{
    const QFileInfo file(trashed);
    QDir trash = file.dir();
    if (trash.dirName() != QStringLiteral("files") || !trash.cdUp() || !isTrashFolder(trash, homeTrash)) {
        return false;
    }
    return QFileInfo::exists(
        trash.filePath(QStringLiteral("info/") + file.fileName() + QStringLiteral(".trashinfo")));
}

// Undoes a move that did not end in a trash folder, so the file is back where the user left it.
void moveBack(const QString& trashed, const QString& original)
{
    const QFileInfo file(trashed);
    QDir info = file.dir();
    if (info.cdUp()) {
        QFile::remove(
            info.filePath(QStringLiteral("info/") + file.fileName() + QStringLiteral(".trashinfo")));
    }
    QFile::rename(trashed, original);
}

} // namespace

QString Trash::homeTrashPath()
{
    const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return dataHome.isEmpty() ? QString() : dataHome + QStringLiteral("/Trash");
}

std::optional<QString> Trash::moveToTrash(const QString& path)
{
    const QFileInfo source(path);
    if (path.isEmpty() || (!source.exists() && !source.isSymLink())) {
        return std::nullopt;
    }
    const QString original = source.absoluteFilePath();
    const QString homeTrash = homeTrashPath();
    if (!ensureHomeTrash(homeTrash)) {
        return std::nullopt;
    }
    QString trashed;
    if (!QFile::moveToTrash(original, &trashed) || trashed.isEmpty()) {
        return std::nullopt;
    }
    if (!landedInTrash(trashed, homeTrash)) {
        moveBack(trashed, original);
        return std::nullopt;
    }
    return trashed;
}

} // namespace brindle
