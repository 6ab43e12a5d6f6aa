#include "Quillet/library/HiddenScratchFile.hpp"

#include "Brindle/SystemError.hpp"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillet {
namespace {

// Random names rarely clash; this many clashes in a row means something else is wrong.
constexpr int nameAttempts = 64;
constexpr mode_t documentMode = 0666;

// Created, then locked: a cleaner that took it in between has unlinked it, and it is of no use.
int createLocked(const QByteArray& path)
{
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, documentMode);
    if (fd < 0) {
        return -1;
    }
    struct stat status {};
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::fstat(fd, &status) != 0 || status.st_nlink == 0) {
        ::close(fd);
        errno = EEXIST; // another name, then
        return -1;
    }
    return fd;
}

bool isAbandoned(const QString& path)
{
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return false;
    }
    struct stat status {};
    const bool ours = ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && status.st_uid == ::getuid();
    const auto untouched =
        std::chrono::system_clock::now() - std::chrono::system_clock::from_time_t(status.st_mtim.tv_sec);
    // The lock is kept while the file is removed, so a writer that opens it now finds it unlinked.
    const bool abandoned = ours && untouched > HiddenScratchFile::abandonedAfter &&
                           ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::unlink(QFile::encodeName(path)) == 0;
    ::close(fd);
    return abandoned;
}

} // namespace

std::unique_ptr<HiddenScratchFile> HiddenScratchFile::beside(const QString& destination, QString& error)
{
    for (int attempt = 0; attempt < nameAttempts; ++attempt) {
        const QString path = AtomicFileWriter::hiddenSibling(destination);
        const int fd = createLocked(QFile::encodeName(path));
        if (fd >= 0) {
            return std::unique_ptr<HiddenScratchFile>(new HiddenScratchFile(path, fd));
        }
        if (errno != EEXIST) {
            error = QStringLiteral("couldn't write %1: %2").arg(destination, brindle::systemErrorText(errno));
            return nullptr;
        }
    }
    error = QStringLiteral("couldn't write %1: %2").arg(destination, brindle::systemErrorText(EEXIST));
    return nullptr;
}

HiddenScratchFile::~HiddenScratchFile()
{
    if (!path_.isEmpty()) {
        ::unlink(QFile::encodeName(path_).constData());
    }
    ::close(lock_);
}

AtomicFileWriter::Result HiddenScratchFile::publish(const QString& destination)
{
    const AtomicFileWriter::Result result = AtomicFileWriter::publish(path_, destination);
    if (result.status == AtomicFileWriter::Status::written) {
        path_.clear();
    }
    return result;
}

int HiddenScratchFile::removeAbandoned(const QString& folder)
{
    int removed = 0;
    const QFileInfoList files = QDir(folder).entryInfoList({QStringLiteral(".quillet-*.part")},
                                                           QDir::Files | QDir::Hidden | QDir::NoSymLinks);
    for (const QFileInfo& file : files) {
        removed += isAbandoned(file.filePath()) ? 1 : 0;
    }
    return removed;
}

} // namespace quillet
