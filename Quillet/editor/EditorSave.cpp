#include "Quillet/editor/EditorSave.hpp"

#include "Quillet/library/AtomicFileWriter.hpp"

#include <QFile>
#include <QFileInfo>

#include <unistd.h>

namespace quillet::EditorSave {
namespace {

// Names tried for a new file before giving up: each taken one was made by someone in the meantime.
constexpr int newNameAttempts = 100;

[[nodiscard]] Outcome writeNewFile(const QString& path, const QByteArray& bytes)
{
    for (int attempt = 1; attempt <= newNameAttempts; ++attempt) {
        const QString candidate = newFileName(path, attempt);
        const AtomicFileWriter::Result result = AtomicFileWriter::createNew(candidate, bytes);
        switch (result.status) {
        case AtomicFileWriter::Status::written:
            return {FileChange::none, std::nullopt, candidate};
        case AtomicFileWriter::Status::nameTaken:
            continue;
        case AtomicFileWriter::Status::failed:
            return {FileChange::none, result.error, candidate};
        }
    }
    return {FileChange::none, QStringLiteral("couldn't find a free name beside %1").arg(path), QString()};
}

} // namespace

QString newFileName(const QString& path, int attempt)
{
    const QFileInfo info(path);
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    const QString mark = attempt <= 1 ? QStringLiteral(" (edited)") : QStringLiteral(" (edited %1)").arg(attempt);
    return info.path() + QLatin1Char('/') + info.completeBaseName() + mark + suffix;
}

Outcome write(const QString& path, const QByteArray& bytes, const std::optional<FileIdentity>& opened, Mode mode,
              const Writer& writer)
{
    switch (mode) {
    case Mode::checked:
        if (const FileChange change = fileChangeSince(opened, path); change != FileChange::none) {
            return {change, std::nullopt, path};
        }
        break;
    case Mode::overwrite:
        if (const auto now = FileIdentity::of(path); now && now->isLink && !(opened && opened->isLink)) {
            ::unlink(QFile::encodeName(path).constData());
        }
        break;
    case Mode::asNewFile:
        return writeNewFile(path, bytes);
    }
    return {FileChange::none, writer(path, bytes), path};
}

} // namespace quillet::EditorSave
