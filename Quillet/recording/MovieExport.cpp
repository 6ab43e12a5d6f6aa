#include "Quillet/recording/MovieExport.hpp"

#include "Quillet/library/HiddenScratchFile.hpp"
#include "Quillet/recording/MediaLibrary.hpp"

#include <QFile>

namespace quillet {
namespace {

using Status = AtomicFileWriter::Status;

MovieExport::Result failed(QString error)
{
    return {Status::failed, std::move(error), nullptr};
}

} // namespace

MovieExport::Result MovieExport::toMP4(const QString& movie, const QString& destination)
{
    const auto remux = MediaLibrary::remux();
    if (remux == nullptr) {
        return failed(
            QStringLiteral("the media module could not be loaded: %1").arg(MediaLibrary::problem()));
    }
    QString error;
    // Locked while it is written, so that a start that finds it after a crash knows it for a leftover.
    std::shared_ptr<HiddenScratchFile> scratch = HiddenScratchFile::beside(destination, error);
    if (!scratch) {
        return failed(error);
    }
    if (QString failure; !remux(movie, scratch->path(), failure)) {
        return failed(failure);
    }
    return publish(std::move(scratch), destination);
}

MovieExport::Result MovieExport::publish(std::shared_ptr<HiddenScratchFile> unnamed,
                                         const QString& destination)
{
    const AtomicFileWriter::Result published = unnamed->publish(destination);
    switch (published.status) {
    case Status::written:
        return {Status::written, QString(), nullptr};
    case Status::nameTaken:
        return {Status::nameTaken, QStringLiteral("%1 already exists").arg(destination), std::move(unnamed)};
    case Status::failed:
        return failed(published.error);
    }
    return failed(published.error);
}

} // namespace quillet
