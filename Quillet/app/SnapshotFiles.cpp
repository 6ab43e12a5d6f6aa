#include "Quillet/app/SnapshotFiles.hpp"

#include "Quillet/library/AtomicFileWriter.hpp"

#include <QBuffer>
#include <QDir>
#include <QFile>

#include <sys/stat.h>

namespace quillet {

SnapshotFiles::SnapshotFiles(QString folder) : folder_(std::move(folder)) {}

bool SnapshotFiles::folderExists()
{
    if (QFileInfo(folder_).isDir()) {
        return true;
    }
    errors_.append(QStringLiteral("%1 is not a folder").arg(folder_));
    return false;
}

QString SnapshotFiles::pathOf(const QString& fileName) const
{
    return QDir(folder_).filePath(fileName);
}

bool SnapshotFiles::write(const QString& fileName, const QImage& image)
{
    const QString path = pathOf(fileName);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (image.isNull() || !buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG")) {
        errors_.append(QStringLiteral("couldn't render %1").arg(path));
        return false;
    }
    struct stat status {};
    const bool taken = ::lstat(QFile::encodeName(path).constData(), &status) == 0;
    if (taken && !S_ISREG(status.st_mode)) {
        errors_.append(QStringLiteral("couldn't write %1: something other than a file has its name").arg(path));
        return false;
    }
    const AtomicFileWriter::Result result =
        taken ? AtomicFileWriter::replace(path, bytes) : AtomicFileWriter::createNew(path, bytes);
    switch (result.status) {
    case AtomicFileWriter::Status::written:
        return true;
    case AtomicFileWriter::Status::nameTaken:
        errors_.append(QStringLiteral("couldn't write %1: a file appeared under its name").arg(path));
        return false;
    case AtomicFileWriter::Status::failed:
        errors_.append(result.error);
        return false;
    }
    return false;
}

} // namespace quillet
