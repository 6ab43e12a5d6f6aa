#include "Quillet/library/NewFileWriter.hpp"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace quillet {
namespace {

// Like any document the user saves: readable by others as the umask allows.
constexpr mode_t documentMode = 0666;

NewFileWriter::Result failure(const QString& path, int error)
{
    return {NewFileWriter::Status::failed, 0,
            QStringLiteral("couldn't write %1: %2").arg(path, QString::fromLocal8Bit(std::strerror(error)))};
}

// 0 or the errno of the failure.
int writeAll(int fd, const QByteArray& bytes)
{
    const char* data = bytes.constData();
    std::size_t left = static_cast<std::size_t>(bytes.size());
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

} // namespace

NewFileWriter::Result NewFileWriter::write(const QString& path, const QByteArray& bytes)
{
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, documentMode);
    if (fd < 0) {
        return errno == EEXIST ? Result{Status::nameTaken, 0, QString()} : failure(path, errno);
    }
    int error = writeAll(fd, bytes);
    if (::close(fd) != 0 && error == 0) {
        error = errno;
    }
    if (error != 0) {
        ::unlink(name.constData());
        return failure(path, error);
    }
    return {Status::written, bytes.size(), QString()};
}

} // namespace quillet
