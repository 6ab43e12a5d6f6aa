#include "Quillet/library/AtomicFileWriter.hpp"

#include "Brindle/SystemError.hpp"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace quillet {
namespace {

// Like any document the user saves: readable by others as the umask allows.
constexpr mode_t documentMode = 0666;
constexpr mode_t permissionBits = 07777;
// Hidden scratch names are random; this many clashes in a row means something else is wrong.
constexpr int hiddenNameAttempts = 64;
constexpr std::size_t copyChunkBytes = std::size_t(1) << 20;

using Status = AtomicFileWriter::Status;
using Result = AtomicFileWriter::Result;

enum class Publishing { createNew, replace };

class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor()
    {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    void reset(int fd)
    {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        fd_ = fd;
    }
    [[nodiscard]] int get() const { return fd_; }
    [[nodiscard]] bool isOpen() const { return fd_ >= 0; }

private:
    int fd_;
};

Result failure(const QString& path, int error)
{
    return {Status::failed, 0,
            QStringLiteral("couldn't write %1: %2").arg(path, brindle::systemErrorText(error))};
}

// 0 or the errno of the failure.
int writeAll(int fd, const char* data, std::size_t left)
{
    while (left > 0) {
        const ssize_t written = ::write(fd, data, left);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    return 0;
}

// Copies what is left to read of `from` into `to`; 0 or the errno of the failure.
int copyAll(int from, int to)
{
    std::vector<char> buffer(copyChunkBytes);
    for (;;) {
        const ssize_t got = ::read(from, buffer.data(), buffer.size());
        if (got == 0) {
            return 0;
        }
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return errno;
        }
        if (const int error = writeAll(to, buffer.data(), std::size_t(got))) {
            return error;
        }
    }
}

QByteArray hiddenName()
{
    return QByteArrayLiteral(".quillet-") + QByteArray::number(QRandomGenerator::global()->generate64(), 16) +
           QByteArrayLiteral(".part");
}

// Whether a failed link says the file system has no hard links at all (some FUSE mounts).
bool meansNoLinks(int error)
{
    return error == EPERM || error == ENOSYS || error == EOPNOTSUPP;
}

// The last resort where a file system offers neither an exclusive rename nor hard links: the name is
// created exclusively, so nothing is ever replaced, and filled from `source`; for that moment the name
// shows a partial file, and a failure removes it again. 0 or the errno of the failure.
int copyToNewName(int folder, int source, const char* to)
{
    const FileDescriptor target(
        ::openat(folder, to, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, documentMode));
    if (!target.isOpen()) {
        return errno;
    }
    int error = ::lseek(source, 0, SEEK_SET) < 0 ? errno : copyAll(source, target.get());
    if (error == 0 && ::fdatasync(target.get()) != 0) {
        error = errno;
    }
    if (error != 0) {
        ::unlinkat(folder, to, 0);
    }
    return error;
}

// Gives `from` the name `to` inside `folder` unless something has that name (EEXIST); on success
// `from` is gone. 0 or the errno of the failure.
int renameWithoutReplacing(int folder, const char* from, const char* to)
{
    if (::renameat2(folder, from, folder, to, RENAME_NOREPLACE) == 0) {
        return 0;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return errno;
    }
    // No exclusive rename on this file system: a hard link is just as exclusive.
    if (::linkat(folder, from, folder, to, 0) == 0) {
        ::unlinkat(folder, from, 0);
        return 0;
    }
    if (!meansNoLinks(errno)) {
        return errno;
    }
    const FileDescriptor source(::openat(folder, from, O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (!source.isOpen()) {
        return errno;
    }
    const int copied = copyToNewName(folder, source.get(), to);
    if (copied == 0) {
        ::unlinkat(folder, from, 0);
    }
    return copied;
}

// The file being written: nameless where the file system can do that, else under a hidden name that
// is removed again unless it was renamed into place.
class ScratchFile {
public:
    explicit ScratchFile(int folder) : folder_(folder) {}
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;
    ~ScratchFile()
    {
        if (!hiddenName_.isEmpty()) {
            ::unlinkat(folder_, hiddenName_.constData(), 0);
        }
    }

    // 0 or the errno of the failure.
    int open()
    {
        // Readable too: the last resort of a file system without links copies it out again.
        fd_.reset(::openat(folder_, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, documentMode));
        if (fd_.isOpen()) {
            return 0;
        }
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
            return errno;
        }
        return retryWithHiddenNames([this](const QByteArray& name) {
            fd_.reset(::openat(folder_, name.constData(),
                               O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, documentMode));
            // Locked while written, so that a start's clean-up of abandoned scratch files passes it by.
            if (fd_.isOpen()) {
                ::flock(fd_.get(), LOCK_EX | LOCK_NB);
            }
            return fd_.isOpen();
        });
    }

    [[nodiscard]] int fd() const { return fd_.get(); }

    // Gives the file `name` unless something has it already (EEXIST).
    int publishNew(const char* name)
    {
        if (hiddenName_.isEmpty()) {
            const int linked = linkNameless(name);
            return meansNoLinks(linked) ? copyToNewName(folder_, fd_.get(), name) : linked;
        }
        const int error = renameWithoutReplacing(folder_, hiddenName_.constData(), name);
        if (error == 0) {
            hiddenName_.clear();
        }
        return error;
    }

    // Puts the file in place of whatever has `name`, in one step.
    int publishReplacing(const char* name)
    {
        if (hiddenName_.isEmpty()) {
            // A nameless file cannot be renamed over another: it gets a hidden name for that moment.
            const int linked = retryWithHiddenNames(
                [this](const QByteArray& hidden) { return linkNameless(hidden.constData()) == 0; });
            if (linked != 0) {
                return linked;
            }
        }
        if (::renameat(folder_, hiddenName_.constData(), folder_, name) != 0) {
            return errno;
        }
        hiddenName_.clear();
        return 0;
    }

private:
    // Tries `attempt` with fresh hidden names until one is not taken; 0 or the errno.
    template <typename Attempt> int retryWithHiddenNames(Attempt attempt)
    {
        for (int i = 0; i < hiddenNameAttempts; ++i) {
            const QByteArray name = hiddenName();
            if (attempt(name)) {
                hiddenName_ = name;
                return 0;
            }
            if (errno != EEXIST) {
                return errno;
            }
        }
        return EEXIST;
    }

    int linkNameless(const char* name)
    {
        if (::linkat(fd_.get(), "", folder_, name, AT_EMPTY_PATH) == 0) {
            return 0;
        }
        if (errno != ENOENT && errno != EPERM) {
            return errno;
        }
        // Linking the descriptor itself needs a privilege; its /proc entry does not.
        char procPath[32];
        std::snprintf(procPath, sizeof procPath, "/proc/self/fd/%d", fd_.get());
        return ::linkat(AT_FDCWD, procPath, folder_, name, AT_SYMLINK_FOLLOW) == 0 ? 0 : errno;
    }

    int folder_;
    FileDescriptor fd_;
    QByteArray hiddenName_;
};

// Where the bytes finally go: a link is saved through, so it keeps pointing at the file.
QString replacedPath(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isSymLink()) {
        return path;
    }
    const QString target = info.canonicalFilePath();
    if (!target.isEmpty()) {
        return target;
    }
    // A link the kernel resolves but no path names (/dev/stdout to a pipe) is opened as it is; a
    // dangling one names the file the save makes.
    struct stat status {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? path : info.symLinkTarget();
}

// The existing file's permissions carry over to its replacement.
void keepPermissions(int folder, const char* name, int fd)
{
    struct stat status {};
    if (::fstatat(folder, name, &status, 0) == 0 && S_ISREG(status.st_mode)) {
        ::fchmod(fd, status.st_mode & permissionBits);
    }
}

// Fills the scratch file; 0 or the errno of the failure.
using Fill = std::function<int(int fd)>;

// A report asked for on a terminal, a pipe or /dev/null is written into it, as a shell's redirection
// would; anything else that is not a regular file (a folder, a disk, a socket) is never replaced.
Result writeInPlace(const QString& path, mode_t type, const Fill& fill)
{
    if (!S_ISFIFO(type) && !S_ISCHR(type)) {
        return {Status::failed, 0, QStringLiteral("couldn't write %1: not a regular file").arg(path)};
    }
    // Not blocking: a FIFO nobody reads fails at once instead of holding the writer.
    const FileDescriptor stream(
        ::open(QFile::encodeName(path).constData(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!stream.isOpen()) {
        return failure(path, errno);
    }
    ::fcntl(stream.get(), F_SETFL, ::fcntl(stream.get(), F_GETFL) & ~O_NONBLOCK);
    if (const int error = fill(stream.get())) {
        return failure(path, error);
    }
    return {Status::written, 0, QString()};
}

Result write(const QString& requested, const Fill& fill, Publishing publishing)
{
    const QString path = publishing == Publishing::replace ? replacedPath(requested) : requested;
    struct stat target {};
    if (publishing == Publishing::replace && ::stat(QFile::encodeName(path).constData(), &target) == 0 &&
        !S_ISREG(target.st_mode)) {
        return writeInPlace(path, target.st_mode, fill);
    }
    const QFileInfo info(path);
    const QByteArray folderName = QFile::encodeName(info.absolutePath());
    const QByteArray name = QFile::encodeName(info.fileName());

    const FileDescriptor folder(::open(folderName.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder.isOpen()) {
        return failure(path, errno);
    }
    ScratchFile scratch(folder.get());
    if (const int error = scratch.open()) {
        return failure(path, error);
    }
    if (publishing == Publishing::replace) {
        keepPermissions(folder.get(), name.constData(), scratch.fd());
    }
    if (const int error = fill(scratch.fd())) {
        return failure(path, error);
    }
    if (::fdatasync(scratch.fd()) != 0) {
        return failure(path, errno);
    }
    const int published = publishing == Publishing::createNew ? scratch.publishNew(name.constData())
                                                              : scratch.publishReplacing(name.constData());
    if (published == EEXIST && publishing == Publishing::createNew) {
        return {Status::nameTaken, 0, QString()};
    }
    if (published != 0) {
        return failure(path, published);
    }
    // The file is complete on disk; syncing the folder makes its name survive a crash too. A failure
    // here cannot be undone and does not make the file any less there.
    ::fsync(folder.get());
    struct stat status {};
    return {Status::written, ::fstat(scratch.fd(), &status) == 0 ? qint64(status.st_size) : 0, QString()};
}

Fill bytesFill(const QByteArray& bytes)
{
    return [&bytes](int fd) { return writeAll(fd, bytes.constData(), std::size_t(bytes.size())); };
}

} // namespace

Result AtomicFileWriter::createNew(const QString& path, const QByteArray& bytes)
{
    return write(path, bytesFill(bytes), Publishing::createNew);
}

Result AtomicFileWriter::replace(const QString& path, const QByteArray& bytes)
{
    return write(path, bytesFill(bytes), Publishing::replace);
}

QString AtomicFileWriter::hiddenSibling(const QString& path)
{
    return QFileInfo(path).absolutePath() + QLatin1Char('/') + QString::fromLatin1(hiddenName());
}

Result AtomicFileWriter::publish(const QString& hidden, const QString& path)
{
    const QFileInfo info(path);
    const FileDescriptor folder(
        ::open(QFile::encodeName(info.absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder.isOpen()) {
        return failure(path, errno);
    }
    const QByteArray hiddenPath = QFile::encodeName(hidden);
    const FileDescriptor file(::open(hiddenPath.constData(), O_RDONLY | O_CLOEXEC));
    if (!file.isOpen()) {
        return failure(path, errno);
    }
    if (::fsync(file.get()) != 0) {
        return failure(path, errno);
    }
    const QByteArray hiddenName = QFile::encodeName(QFileInfo(hidden).fileName());
    const int published = renameWithoutReplacing(folder.get(), hiddenName.constData(),
                                                 QFile::encodeName(info.fileName()).constData());
    if (published == EEXIST) {
        return {Status::nameTaken, 0, QString()};
    }
    if (published != 0) {
        return failure(path, published);
    }
    ::fsync(folder.get());
    struct stat status {};
    return {Status::written, ::fstat(file.get(), &status) == 0 ? qint64(status.st_size) : 0, QString()};
}

Result AtomicFileWriter::move(const QString& from, const QString& path)
{
    const QByteArray source = QFile::encodeName(from);
    if (::link(source.constData(), QFile::encodeName(path).constData()) == 0) {
        ::unlink(source.constData());
        const FileDescriptor folder(::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(),
                                           O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (folder.isOpen()) {
            ::fsync(folder.get());
        }
        return {Status::written, QFileInfo(path).size(), QString()};
    }
    if (errno == EEXIST) {
        return {Status::nameTaken, 0, QString()};
    }
    if (errno != EXDEV && errno != EPERM) {
        return failure(path, errno);
    }
    // Another file system: a complete copy under the name first, the original removed after.
    const FileDescriptor input(::open(source.constData(), O_RDONLY | O_CLOEXEC));
    if (!input.isOpen()) {
        return failure(path, errno);
    }
    const Result copied = write(
        path, [&input](int fd) { return copyAll(input.get(), fd); }, Publishing::createNew);
    if (copied.status == Status::written) {
        ::unlink(source.constData());
    }
    return copied;
}

} // namespace quillet
