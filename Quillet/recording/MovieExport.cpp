#include "Quillet/recording/MovieExport.hpp"

#include "Quillet/library/AtomicFileWriter.hpp"
#include "Quillet/recording/MediaLibrary.hpp"

#include <QFile>

namespace quillet {

std::optional<QString> MovieExport::toMP4(const QString& movie, const QString& destination)
{
    const auto remux = MediaLibrary::remux();
    if (remux == nullptr) {
        return QStringLiteral("the media module could not be loaded: %1").arg(MediaLibrary::problem());
    }
    if (QFile::exists(destination)) {
        return QStringLiteral("%1 already exists").arg(destination);
    }
    const QString hidden = AtomicFileWriter::hiddenSibling(destination);
    if (QString failure; !remux(movie, hidden, failure)) {
        QFile::remove(hidden);
        return failure;
    }
    const AtomicFileWriter::Result published = AtomicFileWriter::publish(hidden, destination);
    switch (published.status) {
    case AtomicFileWriter::Status::written:
        return std::nullopt;
    case AtomicFileWriter::Status::nameTaken:
        QFile::remove(hidden);
        return QStringLiteral("%1 already exists").arg(destination);
    case AtomicFileWriter::Status::failed:
        QFile::remove(hidden);
        return published.error;
    }
    return published.error;
}

} // namespace quillet
