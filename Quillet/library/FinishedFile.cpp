#include "Quillet/library/FinishedFile.hpp"

#include <QFile>
#include <QFileInfo>
#include <QUuid>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace quillet {
namespace {

constexpr mode_t documentMode = 0666;
constexpr std::size_t copyChunk = 1 << 20;

FinishedFile::Result failure(const QString& path, int error)
{
    return {FinishedFile::Status::failed,
            QStringLiteral("couldn't write %1: %2").arg(path, QString::fromLocal8Bit(std::strerror(error)))};
}

int syncPath(const QByteArray& path, int flags)
{
    const int fd = ::open(path.constData(), flags | O_CLOEXEC);
    if (fd < 0) {
        return errno;
    }
    const int error = ::fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    return error;
}

// 0 or the errno of the failure.
int copyInto(int from, int to)
{
    std::string buffer(copyChunk, '\0');
    for (;;) {
        const ssize_t got = ::read(from, buffer.data(), buffer.size());
        if (got == 0) {
            return 0;
        }
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        for (ssize_t done = 0; done < got;) {
            const ssize_t put = ::write(to, buffer.data() + done, std::size_t(got - done));
            if (put < 0 && errno != EINTR) {
                return errno;
            }
            done += put > 0 ? put : 0;
        }
    }
}

// Copies `from` to a hidden file beside `path`; the hidden file's name, or the failure.
FinishedFile::Result copyBeside(const QString& from, const QString& path, QString& hidden)
{
    hidden = FinishedFile::hiddenSibling(path);
    const int source = ::open(QFile::encodeName(from).constData(), O_RDONLY | O_CLOEXEC);
    if (source < 0) {
        return failure(path, errno);
    }
    const int target =
        ::open(QFile::encodeName(hidden).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, documentMode);
    if (target < 0) {
        const int error = errno;
        ::close(source);
        return failure(path, error);
    }
    int error = copyInto(source, target);
    ::close(source);
    if (::close(target) != 0 && error == 0) {
        error = errno;
    }
    if (error != 0) {
        QFile::remove(hidden);
        return failure(path, error);
    }
    return {FinishedFile::Status::done, {}};
}

} // namespace

QString FinishedFile::hiddenSibling(const QString& path)
{
    const QFileInfo info(path);
    return info.path() + QStringLiteral("/.") + info.fileName() + QLatin1Char('.') +
           QUuid::createUuid().toString(QUuid::Id128).left(12) + QStringLiteral(".part");
}

FinishedFile::Result FinishedFile::publish(const QString& hidden, const QString& path)
{
    const QByteArray from = QFile::encodeName(hidden);
    const QByteArray to = QFile::encodeName(path);
    if (const int error = syncPath(from, O_RDONLY); error != 0) {
        return failure(path, error);
    }
    // A link fails when the name exists, where a rename would replace it.
    if (::link(from.constData(), to.constData()) != 0) {
        return errno == EEXIST ? Result{Status::nameTaken, {}} : failure(path, errno);
    }
    ::unlink(from.constData());
    (void)syncPath(QFile::encodeName(QFileInfo(path).path()), O_RDONLY | O_DIRECTORY);
    return {Status::done, {}};
}

FinishedFile::Result FinishedFile::move(const QString& from, const QString& path)
{
    const QByteArray source = QFile::encodeName(from);
    if (::link(source.constData(), QFile::encodeName(path).constData()) == 0) {
        ::unlink(source.constData());
        (void)syncPath(QFile::encodeName(QFileInfo(path).path()), O_RDONLY | O_DIRECTORY);
        return {Status::done, {}};
    }
    if (errno == EEXIST) {
        return {Status::nameTaken, {}};
    }
    if (errno != EXDEV && errno != EPERM) {
        return failure(path, errno);
    }
    QString hidden;
    if (auto copied = copyBeside(from, path, hidden); copied.status != Status::done) {
        return copied;
    }
    const Result published = publish(hidden, path);
    if (published.status != Status::done) {
        QFile::remove(hidden);
        return published;
    }
    ::unlink(source.constData());
    return published;
}

} // namespace quillet
