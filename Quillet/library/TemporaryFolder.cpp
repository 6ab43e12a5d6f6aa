#include "Quillet/library/TemporaryFolder.hpp"

#include <QDir>
#include <QFile>
#include <QUuid>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillet {
namespace {

constexpr mode_t ownerOnlyFolder = 0700;
constexpr mode_t ownerOnlyFile = 0600;

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// Whether `path` is a real folder (not a link) of this user that nobody else can enter, making it
// so when only its mode is too open.
bool isPrivateFolder(const QString& path)
{
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct stat status {};
    bool isPrivate = ::fstat(fd, &status) == 0 && S_ISDIR(status.st_mode) && status.st_uid == ::getuid();
    if (isPrivate && (status.st_mode & 077) != 0) {
        isPrivate = ::fchmod(fd, ownerOnlyFolder) == 0;
    }
    ::close(fd);
    return isPrivate;
}

bool makePrivateFolder(const QString& path)
{
    if (::mkdir(QFile::encodeName(path).constData(), ownerOnlyFolder) != 0 && errno != EEXIST) {
        return false;
    }
    return isPrivateFolder(path);
}

// The session's runtime folder, when it is there and the user's own.
QString runtimeFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (runtime.isEmpty() || !QDir::isAbsolutePath(runtime) || !isPrivateFolder(runtime)) {
        return QString();
    }
    return runtime;
}

Outcome<QString> freshFolder()
{
    QByteArray pattern = QFile::encodeName(QDir::tempPath() + QStringLiteral("/quillet-XXXXXX"));
    if (::mkdtemp(pattern.data()) == nullptr) {
        return Outcome<QString>::failure(QStringLiteral("couldn't make a private folder in %1: %2")
                                             .arg(QDir::tempPath(), systemError(errno)));
    }
    return QFile::decodeName(pattern);
}

} // namespace

Outcome<QString> TemporaryFolder::path()
{
    const QString runtime = runtimeFolder();
    const QString shared = runtime.isEmpty()
                               ? QDir::tempPath() + QStringLiteral("/quillet-%1").arg(::getuid())
                               : runtime + QStringLiteral("/quillet");
    if (makePrivateFolder(shared)) {
        return shared;
    }
    return freshFolder();
}

Outcome<QString> TemporaryFolder::newFile(const QString& extension)
{
    const auto folder = path();
    if (!folder.isSuccess()) {
        return folder;
    }
    const QString name = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    const QString file = folder.value() + QLatin1Char('/') + name + QLatin1Char('.') + extension;
    const int fd = ::open(QFile::encodeName(file).constData(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, ownerOnlyFile);
    if (fd < 0) {
        return Outcome<QString>::failure(
            QStringLiteral("couldn't create %1: %2").arg(file, systemError(errno)));
    }
    ::close(fd);
    return file;
}

} // namespace quillet
